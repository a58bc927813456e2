// The benchmark's rapi.dll: the simulated handheld's stand-in, whose entry points all go on to
// qamosimlink.dll, except that CeWriteFile also notes when the tool's call came in and when it went
// back, so that the tool's own time between two writes can be told from the time in the call. It
// also notes, through the tool's own imports, when the worker sends each progress report and has
// its answer, and when the dialog sets its bar and then its title, so that the benchmark can tell
// which reports met a paint. Like the stand-in it carries no C or C++ runtime. It costs the tool
// two reads of the performance counter per write, per report and per paint; once it has
// redirected the imports it stays loaded until the tool ends.
#include "bench/TimedCallsBlock.h"
#include "devicelink/RapiApi.h"
#include "worker/VupMessages.h"

#include <commctrl.h>

namespace {

using SendMessageFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
using SetWindowTextFn = BOOL(WINAPI*)(HWND, LPCWSTR);

PFN_CeWriteFile g_linkWrite = nullptr;
HANDLE g_mapping = nullptr;
bench::TimedCallsBlock* g_block = nullptr;
bool g_resolved = false;
bool g_pinned = false;
SendMessageFn g_sendMessageA = nullptr;
SendMessageFn g_sendMessageW = nullptr;
SetWindowTextFn g_setWindowTextW = nullptr;
// Set and read on the user-interface thread only: its bar was set then, and its title not yet.
LONGLONG g_paintStart = 0;

LONGLONG Now()
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void Note(bench::TimedCallList& list, LONGLONG start, LONGLONG end)
{
    const LONG n = ::InterlockedIncrement(&list.count) - 1;
    if (n < bench::kTimedCallsCapacity)
        list.calls[n] = {start, end};
}

LRESULT WINAPI TimedSendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_VUP_PROGRESS)
        return g_sendMessageA(window, message, wParam, lParam);
    const LONGLONG start = Now();
    const LRESULT result = g_sendMessageA(window, message, wParam, lParam);
    Note(g_block->reports, start, Now());
    return result;
}

LRESULT WINAPI TimedSendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PBM_SETPOS)
        g_paintStart = Now();
    return g_sendMessageW(window, message, wParam, lParam);
}

BOOL WINAPI TimedSetWindowTextW(HWND window, LPCWSTR text)
{
    const BOOL ok = g_setWindowTextW(window, text);
    if (g_paintStart != 0) {
        Note(g_block->paints, g_paintStart, Now());
        g_paintStart = 0;
    }
    return ok;
}

bool SameName(const char* a, const char* b)
{
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// For an import the benchmark times: the timed function, and where the original goes.
bool TimedImport(const char* name, void*& timed, void**& original)
{
    if (SameName(name, "SendMessageA")) {
        timed = reinterpret_cast<void*>(&TimedSendMessageA);
        original = reinterpret_cast<void**>(&g_sendMessageA);
    } else if (SameName(name, "SendMessageW")) {
        timed = reinterpret_cast<void*>(&TimedSendMessageW);
        original = reinterpret_cast<void**>(&g_sendMessageW);
    } else if (SameName(name, "SetWindowTextW")) {
        timed = reinterpret_cast<void*>(&TimedSetWindowTextW);
        original = reinterpret_cast<void**>(&g_setWindowTextW);
    } else {
        return false;
    }
    return true;
}

// Points the program's own imports of the timed functions at them.
void RedirectImports()
{
    BYTE* const base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return;
    for (auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         library->Name != 0; ++library) {
        if (library->OriginalFirstThunk == 0)
            continue;
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            void* timed = nullptr;
            void** original = nullptr;
            DWORD protection = 0;
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
                !TimedImport(reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name,
                             timed, original) ||
                !::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_EXECUTE_READWRITE,
                                  &protection))
                continue;
            *original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<decltype(slots->u1.Function)>(timed);
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
        }
    }
}

// At the first write: the connection has loaded qamosimlink.dll by then.
void Resolve()
{
    g_resolved = true;
    HMODULE link = ::GetModuleHandleW(L"qamosimlink.dll");
    if (link != nullptr)
        g_linkWrite = reinterpret_cast<PFN_CeWriteFile>(reinterpret_cast<void*>(::GetProcAddress(link, "CeWriteFile")));
}

// As the tool loads this library, before its copies begin: a copy may hold on to an import's
// address from its start to its end. Without the benchmark's block nothing is noted.
void Attach()
{
    g_mapping = ::OpenFileMappingW(FILE_MAP_WRITE, FALSE, bench::kTimedCallsName);
    if (g_mapping != nullptr)
        g_block = static_cast<bench::TimedCallsBlock*>(::MapViewOfFile(g_mapping, FILE_MAP_WRITE, 0, 0, 0));
    // The tool's imports will lead here until it ends, so this library must stay loaded as long.
    HMODULE self = nullptr;
    g_pinned = g_block != nullptr &&
               ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                    reinterpret_cast<LPCWSTR>(&Note), &self);
    if (g_pinned)
        RedirectImports();
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        Attach();
    // Once pinned, the block is left to the end of the process: the tool may still be painting.
    if (reason == DLL_PROCESS_DETACH && !g_pinned) {
        if (g_block != nullptr)
            ::UnmapViewOfFile(g_block);
        if (g_mapping != nullptr)
            ::CloseHandle(g_mapping);
    }
    return TRUE;
}

extern "C" BOOL WINAPI CeWriteFile(HANDLE file, LPCVOID buffer, DWORD bytes, LPDWORD written, LPOVERLAPPED overlapped)
{
    const LONGLONG entry = Now();
    if (!g_resolved)
        Resolve();
    if (g_linkWrite == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    const BOOL ok = g_linkWrite(file, buffer, bytes, written, overlapped);
    if (g_block != nullptr)
        Note(g_block->writes, entry, Now());
    return ok;
}
