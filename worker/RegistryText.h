// A text value read from the handheld's registry into the fixed 520-byte buffer. What the
// handheld sends may be unterminated or of odd length: the text is always terminated here, and
// writing it back never sends more than was read.
#pragma once

#include "worker/HandheldNames.h"
#include "worker/RemoteHandles.h"

class RegistryText {
public:
    // False when the value is missing, unreadable or larger than the buffer; the text is then empty.
    bool Read(RapiClass& rapi, HKEY hKey, const wchar_t* valueName);

    const wchar_t* Text() const { return m_units; }
    // The text and its terminator, but no more than the handheld delivered (2 bytes for a
    // value that could not be read: the terminator alone).
    DWORD BytesToWrite() const;

private:
    wchar_t m_units[handheld::kTextBufferUnits + 1] = {};  // a spare unit keeps it terminated
    DWORD m_bytesRead = 0;
    bool m_read = false;
};
