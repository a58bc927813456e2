// The Windows CE remote API as rapi.dll exports it. mingw-w64 ships no rapi.h, so the
// start-up record and the eighteen signatures the tool uses are declared here, once, for
// both the tool and the simulated handheld.
#pragma once

#include <windows.h>

struct RAPIINIT {
    DWORD cbSize;
    HANDLE heRapiInit;
    HRESULT hrRapiInit;
};
// cbSize tells the library which record it was given: the handle is pointer-sized and aligned.
#ifdef _WIN64
static_assert(sizeof(RAPIINIT) == 24, "RAPIINIT of a 64-bit caller");
#else
static_assert(sizeof(RAPIINIT) == 12, "RAPIINIT of a 32-bit caller");
#endif

// Every entry point the revision-up calls, in the order they are resolved:
// X(name, return type, parameter list).
#define QAMOVUP_RAPI_ENTRY_POINTS(X)                                                             \
    X(CeRapiInitEx, HRESULT, (RAPIINIT * pRapiInit))                                             \
    X(CeRapiUninit, HRESULT, ())                                                                 \
    X(CeCreateFile, HANDLE,                                                                      \
      (LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,                             \
       LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,                  \
       DWORD dwFlagsAndAttributes, HANDLE hTemplateFile))                                        \
    X(CeReadFile, BOOL,                                                                          \
      (HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,   \
       LPOVERLAPPED lpOverlapped))                                                               \
    X(CeWriteFile, BOOL,                                                                         \
      (HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,                              \
       LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped))                               \
    X(CeCloseHandle, BOOL, (HANDLE hObject))                                                     \
    X(CeDeleteFile, BOOL, (LPCWSTR lpFileName))                                                  \
    X(CeCreateDirectory, BOOL, (LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes)) \
    X(CeSetFileAttributes, BOOL, (LPCWSTR lpFileName, DWORD dwFileAttributes))                   \
    X(CeCreateProcess, BOOL,                                                                     \
      (LPCWSTR lpApplicationName, LPCWSTR lpCommandLine,                                         \
       LPSECURITY_ATTRIBUTES lpProcessAttributes, LPSECURITY_ATTRIBUTES lpThreadAttributes,      \
       BOOL bInheritHandles, DWORD dwCreationFlags, LPVOID lpEnvironment,                        \
       LPWSTR lpCurrentDirectory, LPSTARTUPINFOW lpStartupInfo,                                  \
       LPPROCESS_INFORMATION lpProcessInformation))                                              \
    X(CeRegOpenKeyEx, LONG,                                                                      \
      (HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult))        \
    X(CeRegCloseKey, LONG, (HKEY hKey))                                                          \
    X(CeRegQueryValueEx, LONG,                                                                   \
      (HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,        \
       LPDWORD lpcbData))                                                                        \
    X(CeGetDesktopDeviceCaps, INT, (INT nIndex))                                                 \
    X(CeRegCreateKeyEx, LONG,                                                                    \
      (HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,             \
       REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,           \
       LPDWORD lpdwDisposition))                                                                 \
    X(CeRegSetValueEx, LONG,                                                                     \
      (HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,         \
       DWORD cbData))                                                                            \
    X(CeMoveFile, BOOL, (LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName))                     \
    X(CeRegDeleteKey, LONG, (HKEY hKey, LPCWSTR lpSubKey))

// Pointer types PFN_CeRapiInitEx ... PFN_CeRegDeleteKey.
// NOLINTNEXTLINE(bugprone-macro-parentheses): params is already the parenthesized parameter list.
#define QAMOVUP_RAPI_DECLARE_PFN(name, ret, params) using PFN_##name = ret(WINAPI*) params;
QAMOVUP_RAPI_ENTRY_POINTS(QAMOVUP_RAPI_DECLARE_PFN)
#undef QAMOVUP_RAPI_DECLARE_PFN
