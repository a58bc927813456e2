// rapi.dll: each entry point hands its call to qamosimlink.dll, loaded by the full path of this
// library's own folder (README.md says why), with no runtime, whose 32-bit start-up leaks a semaphore.
#include "devicelink/RapiApi.h"

#include <type_traits>

// NOLINTNEXTLINE(bugprone-reserved-identifier): the linker's name for this module's own base address.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

HMODULE g_link = nullptr;

// Resolved at the first call rather than at load time, where no library may be loaded.
FARPROC Find(const char* name)
{
    if (g_link == nullptr) {
        wchar_t path[MAX_PATH + 16];
        DWORD n = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH);
        while (n > 0 && n < MAX_PATH && path[n - 1] != L'\\')
            --n;
        if (n > 0 && n < MAX_PATH) {  // else its path is cut short
            lstrcpyW(path + n, L"qamosimlink.dll");
            g_link = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
    }
    if (g_link == nullptr)
        SetLastError(ERROR_MOD_NOT_FOUND);
    return g_link != nullptr ? GetProcAddress(g_link, name) : nullptr;
}

constexpr LONG kMissing = ERROR_MOD_NOT_FOUND;

}  // namespace

// The call goes on with the same arguments, or fails as its function fails without a link.
#define QAMOSIM_FORWARD(name, args, failure)                                 \
    {                                                                        \
        const auto linked = reinterpret_cast<PFN_##name>(reinterpret_cast<void*>(Find(#name))); \
        return linked != nullptr ? linked args : (failure);                            \
    }

extern "C" {

HRESULT WINAPI CeRapiInitEx(RAPIINIT* p) QAMOSIM_FORWARD(CeRapiInitEx, (p), HRESULT_FROM_WIN32(kMissing))
HRESULT WINAPI CeRapiUninit() QAMOSIM_FORWARD(CeRapiUninit, (), HRESULT_FROM_WIN32(kMissing))
HANDLE WINAPI CeCreateFile(LPCWSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g)
    QAMOSIM_FORWARD(CeCreateFile, (a, b, c, d, e, f, g), INVALID_HANDLE_VALUE)
BOOL WINAPI CeReadFile(HANDLE a, LPVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e)
    QAMOSIM_FORWARD(CeReadFile, (a, b, c, d, e), FALSE)
BOOL WINAPI CeWriteFile(HANDLE a, LPCVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e)
    QAMOSIM_FORWARD(CeWriteFile, (a, b, c, d, e), FALSE)
BOOL WINAPI CeCloseHandle(HANDLE a) QAMOSIM_FORWARD(CeCloseHandle, (a), FALSE)
BOOL WINAPI CeDeleteFile(LPCWSTR a) QAMOSIM_FORWARD(CeDeleteFile, (a), FALSE)
BOOL WINAPI CeCreateDirectory(LPCWSTR a, LPSECURITY_ATTRIBUTES b) QAMOSIM_FORWARD(CeCreateDirectory, (a, b), FALSE)
BOOL WINAPI CeSetFileAttributes(LPCWSTR a, DWORD b) QAMOSIM_FORWARD(CeSetFileAttributes, (a, b), FALSE)
BOOL WINAPI CeCreateProcess(LPCWSTR a, LPCWSTR b, LPSECURITY_ATTRIBUTES c, LPSECURITY_ATTRIBUTES d, BOOL e, DWORD f,
                            LPVOID g, LPWSTR h, LPSTARTUPINFOW i, LPPROCESS_INFORMATION j)
    QAMOSIM_FORWARD(CeCreateProcess, (a, b, c, d, e, f, g, h, i, j), FALSE)
LONG WINAPI CeRegOpenKeyEx(HKEY a, LPCWSTR b, DWORD c, REGSAM d, PHKEY e)
    QAMOSIM_FORWARD(CeRegOpenKeyEx, (a, b, c, d, e), kMissing)
LONG WINAPI CeRegCloseKey(HKEY a) QAMOSIM_FORWARD(CeRegCloseKey, (a), kMissing)
LONG WINAPI CeRegQueryValueEx(HKEY a, LPCWSTR b, LPDWORD c, LPDWORD d, LPBYTE e, LPDWORD f)
    QAMOSIM_FORWARD(CeRegQueryValueEx, (a, b, c, d, e, f), kMissing)
INT WINAPI CeGetDesktopDeviceCaps(INT a) QAMOSIM_FORWARD(CeGetDesktopDeviceCaps, (a), 0)
LONG WINAPI CeRegCreateKeyEx(HKEY a, LPCWSTR b, DWORD c, LPWSTR d, DWORD e, REGSAM f, LPSECURITY_ATTRIBUTES g,
                             PHKEY h, LPDWORD i) QAMOSIM_FORWARD(CeRegCreateKeyEx, (a, b, c, d, e, f, g, h, i), kMissing)
LONG WINAPI CeRegSetValueEx(HKEY a, LPCWSTR b, DWORD c, DWORD d, const BYTE* e, DWORD f)
    QAMOSIM_FORWARD(CeRegSetValueEx, (a, b, c, d, e, f), kMissing)
BOOL WINAPI CeMoveFile(LPCWSTR a, LPCWSTR b) QAMOSIM_FORWARD(CeMoveFile, (a, b), FALSE)
LONG WINAPI CeRegDeleteKey(HKEY a, LPCWSTR b) QAMOSIM_FORWARD(CeRegDeleteKey, (a, b), kMissing)

}  // extern "C"

#define QAMOSIM_CHECK_SIGNATURE(name, ret, params) static_assert(std::is_same_v<decltype(&(name)), PFN_##name>, #name);
QAMOVUP_RAPI_ENTRY_POINTS(QAMOSIM_CHECK_SIGNATURE)
#undef QAMOSIM_CHECK_SIGNATURE
