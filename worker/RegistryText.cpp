#include "worker/RegistryText.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

ValueRead ValueReadOf(LONG status)
{
    if (status == ERROR_SUCCESS)
        return ValueRead::Read;
    return status == ERROR_FILE_NOT_FOUND || status == ERROR_MORE_DATA ? ValueRead::Missing : ValueRead::Unreadable;
}

ValueRead RegistryText::Read(RapiClass& rapi, HKEY hKey, const wchar_t* valueName)
{
    std::fill(std::begin(m_units), std::end(m_units), L'\0');
    DWORD size = handheld::kTextBufferBytes;
    const ValueRead read = ValueReadOf(
        rapi.CeRegQueryValueEx(hKey, valueName, nullptr, nullptr, reinterpret_cast<LPBYTE>(m_units), &size));
    if (read != ValueRead::Read) {
        std::fill(std::begin(m_units), std::end(m_units), L'\0');  // a failed read may leave bytes behind
        return read;
    }
    // The text ends with the last whole unit read: an odd last byte is not half a character, and
    // nothing beyond what the handheld delivered (nor beyond the buffer) is ever taken for text.
    m_units[std::min(size, handheld::kTextBufferBytes) / sizeof(wchar_t)] = L'\0';
    return read;
}

DWORD RegistryText::BytesToWrite() const
{
    return static_cast<DWORD>((std::wcslen(m_units) + 1) * sizeof(wchar_t));
}
