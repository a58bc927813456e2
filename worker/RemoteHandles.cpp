#include "worker/RemoteHandles.h"

bool RemoteKey::Open(HKEY root, const wchar_t* subKey, REGSAM access)
{
    Close();
    HKEY hKey = nullptr;
    if (m_rapi.CeRegOpenKeyEx(root, subKey, 0, access, &hKey) != ERROR_SUCCESS)
        return false;
    m_hKey = hKey;
    return true;
}

bool RemoteKey::Create(HKEY root, const wchar_t* subKey)
{
    Close();
    wchar_t noClass[] = L"";
    HKEY hKey = nullptr;
    if (m_rapi.CeRegCreateKeyEx(root, subKey, 0, noClass, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                                nullptr) != ERROR_SUCCESS)
        return false;
    m_hKey = hKey;
    return true;
}
