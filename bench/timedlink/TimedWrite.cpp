// The benchmark's rapi.dll: the simulated handheld's stand-in, whose entry points all go on to
// qamosimlink.dll, except that CeWriteFile also notes when the tool's call came in and when it went
// back, so that the tool's own time between two writes can be told from the time in the call.
// Like the stand-in it is loaded and freed once per run, so it carries no C or C++ runtime; it
// costs the tool two reads of the performance counter per write.
#include "bench/WriteTimesBlock.h"
#include "devicelink/RapiApi.h"

namespace {

PFN_CeWriteFile g_linkWrite = nullptr;
HANDLE g_mapping = nullptr;
bench::WriteTimesBlock* g_block = nullptr;
bool g_resolved = false;

// At the first write: the connection has loaded qamosimlink.dll by then. Without the benchmark's
// block the writes go on unnoted.
void Resolve()
{
    g_resolved = true;
    HMODULE link = ::GetModuleHandleW(L"qamosimlink.dll");
    if (link != nullptr)
        g_linkWrite = reinterpret_cast<PFN_CeWriteFile>(reinterpret_cast<void*>(::GetProcAddress(link, "CeWriteFile")));
    g_mapping = ::OpenFileMappingW(FILE_MAP_WRITE, FALSE, bench::kWriteTimesName);
    if (g_mapping != nullptr)
        g_block = static_cast<bench::WriteTimesBlock*>(::MapViewOfFile(g_mapping, FILE_MAP_WRITE, 0, 0, 0));
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_DETACH) {
        if (g_block != nullptr)
            ::UnmapViewOfFile(g_block);
        if (g_mapping != nullptr)
            ::CloseHandle(g_mapping);
    }
    return TRUE;
}

extern "C" BOOL WINAPI CeWriteFile(HANDLE file, LPCVOID buffer, DWORD bytes, LPDWORD written, LPOVERLAPPED overlapped)
{
    LARGE_INTEGER entry;
    ::QueryPerformanceCounter(&entry);
    if (!g_resolved)
        Resolve();
    if (g_linkWrite == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    const BOOL ok = g_linkWrite(file, buffer, bytes, written, overlapped);
    LARGE_INTEGER exit;
    ::QueryPerformanceCounter(&exit);
    if (g_block != nullptr) {
        const LONG n = ::InterlockedIncrement(&g_block->count) - 1;
        if (n < bench::kWriteTimesCapacity)
            g_block->writes[n] = {entry.QuadPart, exit.QuadPart};
    }
    return ok;
}
