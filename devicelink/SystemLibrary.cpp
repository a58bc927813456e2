#include "devicelink/SystemLibrary.h"

#include <string>

namespace {

std::wstring SystemFolderPath(const wchar_t* fileName)
{
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::wstring path(folder, length);
    path += L'\\';
    path += fileName;
    return path;
}

}  // namespace

// LOAD_LIBRARY_SEARCH_SYSTEM32 needs Windows 8, or Windows 7 with KB2533623, which is also
// what added AddDllDirectory; older systems reject the flag.
SystemLibrary::Lookup SystemLibrary::SupportedLookup()
{
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    return kernel != nullptr && ::GetProcAddress(kernel, "AddDllDirectory") != nullptr ? Lookup::SearchFlag
                                                                                         : Lookup::FullPath;
}

bool SystemLibrary::Load(const wchar_t* fileName, Lookup lookup)
{
    Free();
    if (lookup == Lookup::SearchFlag) {
        m_hModule = ::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    } else {
        const std::wstring path = SystemFolderPath(fileName);
        if (!path.empty())
            m_hModule = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    return m_hModule != nullptr;
}

void SystemLibrary::Free()
{
    if (m_hModule != nullptr) {
        ::FreeLibrary(m_hModule);
        m_hModule = nullptr;
    }
}

FARPROC SystemLibrary::Find(const char* exportName) const
{
    return m_hModule != nullptr ? ::GetProcAddress(m_hModule, exportName) : nullptr;
}
