// Owner of one DLL loaded from the Windows system folder only: a copy planted beside the
// program or in the working folder is never picked up.
#pragma once

#include <windows.h>

class SystemLibrary {
public:
    // How the system folder is named to the loader: by LOAD_LIBRARY_SEARCH_SYSTEM32 (Windows 8, or
    // 7 with the update that added AddDllDirectory), or by the file's full path there (older ones).
    enum class Lookup { SearchFlag, FullPath };
    // The way this system supports.
    static Lookup SupportedLookup();

    SystemLibrary() = default;
    ~SystemLibrary() { Free(); }
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    bool Load(const wchar_t* fileName) { return Load(fileName, SupportedLookup()); }
    bool Load(const wchar_t* fileName, Lookup lookup);
    void Free();
    bool IsLoaded() const { return m_hModule != nullptr; }
    FARPROC Find(const char* exportName) const;

private:
    HMODULE m_hModule = nullptr;
};
