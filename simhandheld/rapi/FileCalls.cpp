// The entry points on the handheld's files and folders, and the start of its programs, as Windows CE has them.
#include "simhandheld/rapi/Call.h"
#include "simhandheld/rapi/EntryPoints.h"

#include <optional>
#include <string>

using namespace simhandheld;

namespace {

template <typename T>
T WithError(DWORD error, T result)
{
    SetLastError(error);
    return result;
}

// The desktop path of a handheld path; none (and ERROR_PATH_NOT_FOUND) if it has none.
std::optional<std::wstring> Desktop(Call& call, LPCWSTR path)
{
    std::optional<std::wstring> desktop = path ? DesktopPath(call.Handheld().Folder(), path) : std::nullopt;
    if (!desktop)
        SetLastError(ERROR_PATH_NOT_FOUND);
    return desktop;
}

// For a call on one path, logged as its subject: its desktop path, or none if the call must not go on.
std::optional<std::wstring> Target(Call& call, LPCWSTR path)
{
    call.Subject(L"path", path);
    return call.Refused() ? std::nullopt : Desktop(call, path);
}

// One read or write through a handle the link gave out: `move` does it on the desktop file and
// counts what moved, which is then told to the caller, timed by the link and logged.
template <typename Move>
BOOL Transfer(Call& call, HANDLE hFile, const void* buffer, DWORD bytes, LPDWORD done, const wchar_t* what, Move move)
{
    call.Number(L"handle", reinterpret_cast<UINT_PTR>(hFile), true);
    call.Number(L"bytes", bytes);
    if (call.Refused())
        return call.Bool(FALSE);
    if (!done || (!buffer && bytes > 0))
        return call.Bool(WithError(ERROR_INVALID_PARAMETER, FALSE));
    const HANDLE file = call.Handheld().FileOf(hFile);
    if (!file)
        return call.Bool(WithError(ERROR_INVALID_HANDLE, FALSE));
    DWORD count = 0;
    const BOOL ok = move(file, count);
    *done = count;
    call.Transfer(count);
    return call.Bool(ok, what + std::to_wstring(count));
}

}  // namespace

HANDLE WINAPI CeCreateFile(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                           DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE)
{
    Call call(L"CeCreateFile");
    call.Number(L"access", dwDesiredAccess, true);
    call.Number(L"share", dwShareMode, true);
    call.Number(L"disposition", dwCreationDisposition);
    call.Number(L"flags", dwFlagsAndAttributes, true);
    const std::optional<std::wstring> desktop = Target(call, lpFileName);
    if (!desktop)
        return call.Handle(INVALID_HANDLE_VALUE);
    // Checked here, as CE does, rather than left to the desktop file system and its owner rights.
    if ((dwDesiredAccess & GENERIC_WRITE) && dwCreationDisposition != CREATE_NEW && IsReadOnlyFile(*desktop))
        return call.Handle(WithError(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE));
    const HANDLE file = CreateFileW(desktop->c_str(), dwDesiredAccess & (GENERIC_READ | GENERIC_WRITE), dwShareMode,
                                    nullptr, dwCreationDisposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return call.Handle(file);
    const DWORD error = GetLastError();  // ERROR_ALREADY_EXISTS tells OPEN_ALWAYS callers what happened
    return call.Handle(WithError(error, call.Handheld().Add(file)));
}

BOOL WINAPI CeReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                       LPOVERLAPPED)
{
    Call call(L"CeReadFile");
    return Transfer(call, hFile, lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead, L"read=", [&](HANDLE file, DWORD& count) {
        return ReadFile(file, lpBuffer, nNumberOfBytesToRead, &count, nullptr);
    });
}

BOOL WINAPI CeWriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                        LPOVERLAPPED)
{
    Call call(L"CeWriteFile");
    return Transfer(call, hFile, lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten, L"written=", [&](HANDLE file, DWORD& count) {
        // short-write: the handheld takes only the first bytes it is handed, and says so.
        DWORD taken = nNumberOfBytesToWrite;
        for (const SettingValue& shortWrite : call.Handheld().Settings().shortWrite.values)
            if (shortWrite.Number(0) == call.Nth() && shortWrite.Number(1) < taken)
                taken = shortWrite.Number(1);
        return WriteFile(file, lpBuffer, taken, &count, nullptr);
    });
}

BOOL WINAPI CeCloseHandle(HANDLE hObject)
{
    Call call(L"CeCloseHandle");
    call.Number(L"handle", reinterpret_cast<UINT_PTR>(hObject), true);
    if (call.Refused())
        return call.Bool(FALSE);
    return call.Bool(call.Handheld().Close(hObject, false) ? TRUE : WithError(ERROR_INVALID_HANDLE, FALSE));
}

BOOL WINAPI CeDeleteFile(LPCWSTR lpFileName)
{
    Call call(L"CeDeleteFile");
    const std::optional<std::wstring> desktop = Target(call, lpFileName);
    if (desktop && (IsDirectory(*desktop) || IsReadOnlyFile(*desktop)))
        return call.Bool(WithError(ERROR_ACCESS_DENIED, FALSE));
    return call.Bool(desktop && DeleteFileW(desktop->c_str()));
}

BOOL WINAPI CeCreateDirectory(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES)
{
    Call call(L"CeCreateDirectory");
    const std::optional<std::wstring> desktop = Target(call, lpPathName);
    return call.Bool(desktop && (Exists(*desktop) ? WithError(ERROR_ALREADY_EXISTS, FALSE) : CreateDirectoryW(desktop->c_str(), nullptr)));
}

BOOL WINAPI CeSetFileAttributes(LPCWSTR lpFileName, DWORD dwFileAttributes)
{
    Call call(L"CeSetFileAttributes");
    call.Number(L"attributes", dwFileAttributes, true);
    const std::optional<std::wstring> desktop = Target(call, lpFileName);
    return call.Bool(desktop && SetReadOnlyFile(*desktop, (dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0));
}

BOOL WINAPI CeMoveFile(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName)
{
    Call call(L"CeMoveFile");
    call.Subject(L"from", lpExistingFileName);
    call.Subject(L"to", lpNewFileName);
    if (call.Refused())
        return call.Bool(FALSE);
    const std::optional<std::wstring> from = Desktop(call, lpExistingFileName);
    const std::optional<std::wstring> to = Desktop(call, lpNewFileName);
    return call.Bool(from && to && (Exists(*to) ? WithError(ERROR_ALREADY_EXISTS, FALSE) : MoveFileW(from->c_str(), to->c_str())));
}

BOOL WINAPI CeCreateProcess(LPCWSTR lpApplicationName, LPCWSTR lpCommandLine, LPSECURITY_ATTRIBUTES,
                            LPSECURITY_ATTRIBUTES, BOOL, DWORD dwCreationFlags, LPVOID, LPWSTR, LPSTARTUPINFOW,
                            LPPROCESS_INFORMATION lpProcessInformation)
{
    Call call(L"CeCreateProcess");
    call.Subject(L"program", lpApplicationName);
    call.Text(L"commandLine", lpCommandLine);
    call.Number(L"flags", dwCreationFlags, true);
    if (call.Refused())
        return call.Bool(FALSE);
    if (!AppendStarted(call.Handheld().Folder(), {lpApplicationName ? lpApplicationName : L"", lpCommandLine ? lpCommandLine : L""}))
        return call.Bool(WithError(ERROR_GEN_FAILURE, FALSE));
    if (lpProcessInformation) {
        Connection& handheld = call.Handheld();
        lpProcessInformation->hProcess = handheld.Add();
        lpProcessInformation->hThread = handheld.Add();
        lpProcessInformation->dwProcessId = handheld.NextId();
        lpProcessInformation->dwThreadId = handheld.NextId();
    }
    return call.Bool(TRUE);
}
