#include "worker/RegistryText.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

bool RegistryText::Read(RapiClass& rapi, HKEY hKey, const wchar_t* valueName)
{
    std::fill(std::begin(m_units), std::end(m_units), L'\0');
    DWORD size = handheld::kTextBufferBytes;
    m_read = rapi.CeRegQueryValueEx(hKey, valueName, nullptr, nullptr, reinterpret_cast<LPBYTE>(m_units),
                                    &size) == ERROR_SUCCESS;
    if (!m_read) {
        std::fill(std::begin(m_units), std::end(m_units), L'\0');  // a failed read may leave bytes behind
        m_bytesRead = 0;
        return false;
    }
    // The buffer was zeroed and the spare unit is never handed out, so the text stays
    // terminated even when the handheld filled all 520 bytes or sent an odd byte count.
    m_bytesRead = std::min(size, handheld::kTextBufferBytes);
    return true;
}

DWORD RegistryText::BytesToWrite() const
{
    const DWORD withTerminator = static_cast<DWORD>((std::wcslen(m_units) + 1) * sizeof(wchar_t));
    return m_read ? std::min(withTerminator, m_bytesRead) : withTerminator;
}
