// A text value read from the handheld's registry into the fixed 520-byte buffer. What the
// handheld sends may be unterminated or of odd length: the text is its whole UTF-16 units up to
// the first terminator or the end of what was read, and is always terminated here.
#pragma once

#include "worker/HandheldNames.h"
#include "worker/RemoteHandles.h"

// How the read of one registry value ended.
enum class ValueRead {
    Read,
    Missing,     // not there, or larger than its buffer: it takes its default
    Unreadable,  // there, but the read failed (a glitch on the link): what it holds is unknown
};

// The outcome of CeRegQueryValueEx's status.
ValueRead ValueReadOf(LONG status);

class RegistryText {
public:
    // The text is empty unless the value was read.
    ValueRead Read(RapiClass& rapi, HKEY hKey, const wchar_t* valueName);

    const wchar_t* Text() const { return m_units; }
    // The text and its terminator: (length + 1) * 2 bytes, 522 for a text that filled the buffer.
    DWORD BytesToWrite() const;

private:
    wchar_t m_units[handheld::kTextBufferUnits + 1] = {};  // a spare unit keeps it terminated
};
