// A library planted where a careless lookup would find it: loaded into a process for any reason,
// it leaves a file named after itself plus ".loaded" beside itself. It exports nothing, so a
// program that took it for the remote API library could not go on either.
#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

extern "C" BOOL WINAPI PlantedEntry(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH + 8];
    DWORD n = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH);
    for (const wchar_t* p = L".loaded"; *p != L'\0' && n > 0; ++p)
        path[n++] = *p;
    path[n] = L'\0';
    const HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark != INVALID_HANDLE_VALUE)
        CloseHandle(mark);
    return TRUE;
}
