// Owner of one DLL loaded from the Windows system folder only: a copy planted beside the
// program or in the working folder is never picked up.
#pragma once

#include <windows.h>

class SystemLibrary {
public:
    SystemLibrary() = default;
    ~SystemLibrary() { Free(); }
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    bool Load(const wchar_t* fileName);
    void Free();
    bool IsLoaded() const { return m_hModule != nullptr; }
    FARPROC Find(const char* exportName) const;

private:
    HMODULE m_hModule = nullptr;
};
