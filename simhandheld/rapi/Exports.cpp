// The eighteen entry points of the stand-in rapi.dll, behaving as a Windows CE handheld does.
#include "devicelink/RapiApi.h"
#include "simhandheld/Folder.h"
#include "simhandheld/Registry.h"
#include "simhandheld/Text.h"
#include "simhandheld/rapi/Link.h"

#include <cstring>
#include <type_traits>

using namespace simhandheld;

namespace {

template <typename T>
T WithError(DWORD error, T result)
{
    SetLastError(error);
    return result;
}

// One read or write through a file handle the link gave out.
BOOL Transfer(const wchar_t* function, HANDLE hFile, LPVOID buffer, DWORD bytes, LPDWORD done, bool write)
{
    Call call(function);
    call.Number(L"handle", reinterpret_cast<UINT_PTR>(hFile), true);
    call.Number(L"bytes", bytes);
    if (call.Refused())
        return call.Bool(FALSE);
    if (!done || (!buffer && bytes > 0))
        return call.Bool(WithError(ERROR_INVALID_PARAMETER, FALSE));
    HANDLE file = call.Handheld().FileOf(hFile);
    if (!file)
        return call.Bool(WithError(ERROR_INVALID_HANDLE, FALSE));
    DWORD count = 0;
    const BOOL ok = write ? WriteFile(file, buffer, bytes, &count, nullptr) : ReadFile(file, buffer, bytes, &count, nullptr);
    *done = count;
    call.Transfer(count);
    return call.Bool(ok, (write ? L"written=" : L"read=") + std::to_wstring(count));
}

// A registry call: its key named and logged by its full name as the call's subject, and the
// registry file read once the call may go on.
struct RegistryCall {
    RegistryCall(const wchar_t* function, HKEY hKey, LPCWSTR subKey) : call(function), key(call.Handheld().KeyOf(hKey))
    {
        if (!key) {
            call.Number(L"key", reinterpret_cast<UINT_PTR>(hKey), true);
            call.Text(L"subkey", subKey);
            return;
        }
        std::wstring_view rest = subKey ? subKey : L"";
        for (std::wstring_view part = NextComponent(rest); !part.empty(); part = NextComponent(rest))
            *key += L'\\' + std::wstring(part);
        call.Subject(L"key", key->c_str());
    }

    // The value a call reads or writes is a subject of fail-path too.
    void Value(LPCWSTR valueName)
    {
        name = valueName ? valueName : L"";
        if (key)
            call.Subject(L"value", (*key + L'\\' + name).c_str());
    }
    // ERROR_SUCCESS if the call may go on; else what it returns.
    LONG Check(bool argumentsValid)
    {
        if (!argumentsValid)
            return ERROR_INVALID_PARAMETER;
        if (call.Refused())
            return static_cast<LONG>(call.RefusalError());
        if (!key)
            return ERROR_INVALID_HANDLE;
        registry = Registry::Load(File());
        return registry ? ERROR_SUCCESS : ERROR_REGISTRY_CORRUPT;
    }
    LONG Save() { return registry->Save(File()) ? ERROR_SUCCESS : ERROR_WRITE_FAULT; }
    std::wstring File() { return InFolder(call.Handheld().Folder(), kRegistryFile); }

    Call call;
    std::optional<std::wstring> key;
    std::wstring name;
    std::optional<Registry> registry;
};

}  // namespace

extern "C" {

HRESULT WINAPI CeRapiInitEx(RAPIINIT* pRapiInit)
{
    Call call(L"CeRapiInitEx");
    call.Number(L"cbSize", pRapiInit ? pRapiInit->cbSize : 0);
    if (!pRapiInit || pRapiInit->cbSize != sizeof(RAPIINIT))
        return call.Result(E_INVALIDARG);
    if (call.Refused(false))
        return call.Result(E_FAIL);
    return call.Result(call.Handheld().Start(pRapiInit));
}

HRESULT WINAPI CeRapiUninit()
{
    Call call(L"CeRapiUninit");
    const bool faulted = call.Refused(false);
    // Even a faulted stop ends the start-up: unloading the library afterwards must be safe.
    call.Handheld().Stop();
    return call.Result(faulted ? E_FAIL : S_OK);
}

HANDLE WINAPI CeCreateFile(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                           DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE)
{
    Call call(L"CeCreateFile");
    call.Number(L"access", dwDesiredAccess, true);
    call.Number(L"share", dwShareMode, true);
    call.Number(L"disposition", dwCreationDisposition);
    call.Number(L"flags", dwFlagsAndAttributes, true);
    const std::optional<std::wstring> desktop = call.Target(lpFileName);
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
    return Transfer(L"CeReadFile", hFile, lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead, false);
}

BOOL WINAPI CeWriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                        LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED)
{
    return Transfer(L"CeWriteFile", hFile, const_cast<LPVOID>(lpBuffer), nNumberOfBytesToWrite,
                    lpNumberOfBytesWritten, true);
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
    const std::optional<std::wstring> desktop = call.Target(lpFileName);
    if (desktop && (IsDirectory(*desktop) || IsReadOnlyFile(*desktop)))
        return call.Bool(WithError(ERROR_ACCESS_DENIED, FALSE));
    return call.Bool(desktop && DeleteFileW(desktop->c_str()));
}

BOOL WINAPI CeCreateDirectory(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES)
{
    Call call(L"CeCreateDirectory");
    const std::optional<std::wstring> desktop = call.Target(lpPathName);
    return call.Bool(desktop && (Exists(*desktop) ? WithError(ERROR_ALREADY_EXISTS, FALSE) : CreateDirectoryW(desktop->c_str(), nullptr)));
}

BOOL WINAPI CeSetFileAttributes(LPCWSTR lpFileName, DWORD dwFileAttributes)
{
    Call call(L"CeSetFileAttributes");
    call.Number(L"attributes", dwFileAttributes, true);
    const std::optional<std::wstring> desktop = call.Target(lpFileName);
    return call.Bool(desktop && SetReadOnlyFile(*desktop, (dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0));
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
    Link& link = call.Handheld();
    if (!AppendStarted(link.Folder(), {lpApplicationName ? lpApplicationName : L"", lpCommandLine ? lpCommandLine : L""}))
        return call.Bool(WithError(ERROR_GEN_FAILURE, FALSE));
    if (lpProcessInformation) {
        lpProcessInformation->hProcess = link.Add();
        lpProcessInformation->hThread = link.Add();
        lpProcessInformation->dwProcessId = link.NextId();
        lpProcessInformation->dwThreadId = link.NextId();
    }
    return call.Bool(TRUE);
}

LONG WINAPI CeRegOpenKeyEx(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult)
{
    RegistryCall r(L"CeRegOpenKeyEx", hKey, lpSubKey);
    if (const LONG status = r.Check(phkResult != nullptr))
        return r.call.Status(status);
    if (!r.registry->KeyExists(*r.key))
        return r.call.Status(ERROR_FILE_NOT_FOUND);
    *phkResult = static_cast<HKEY>(r.call.Handheld().Add(nullptr, *r.key));
    return r.call.Status(ERROR_SUCCESS);
}

LONG WINAPI CeRegCloseKey(HKEY hKey)
{
    Call call(L"CeRegCloseKey");
    call.Number(L"key", reinterpret_cast<UINT_PTR>(hKey), true);
    if (call.Refused())
        return call.Status(static_cast<LONG>(call.RefusalError()));
    return call.Status(call.Handheld().Close(hKey, true) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
}

LONG WINAPI CeRegQueryValueEx(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                              LPDWORD lpcbData)
{
    RegistryCall r(L"CeRegQueryValueEx", hKey, nullptr);
    r.Value(lpValueName);
    r.call.Number(L"size", lpcbData ? *lpcbData : 0);
    if (const LONG status = r.Check(!lpData || lpcbData))
        return r.call.Status(status);
    if (!r.registry->KeyExists(*r.key))
        return r.call.Status(ERROR_KEY_DELETED);
    const std::optional<RegValue> value = r.registry->GetValue(*r.key, r.name);
    if (!value)
        return r.call.Status(ERROR_FILE_NOT_FOUND);
    const DWORD size = static_cast<DWORD>(value->bytes.size());
    if (lpType)
        *lpType = value->type;
    if (lpData && size > *lpcbData) {
        *lpcbData = size;
        return r.call.Status(ERROR_MORE_DATA);
    }
    if (lpData)
        // NOLINTNEXTLINE(bugprone-not-null-terminated-result): values are bytes; REG_SZ ones keep their terminator.
        std::memcpy(lpData, value->bytes.data(), size);
    if (lpcbData)
        *lpcbData = size;
    return r.call.Status(ERROR_SUCCESS);
}

INT WINAPI CeGetDesktopDeviceCaps(INT nIndex)
{
    Call call(L"CeGetDesktopDeviceCaps");
    call.Number(L"index", static_cast<unsigned>(nIndex));
    if (call.Refused())
        return call.Int(0);
    const int dpi = static_cast<int>(call.Handheld().Settings().dpi.Number());
    return call.Int(nIndex == LOGPIXELSX || nIndex == LOGPIXELSY ? dpi : nIndex == HORZRES ? 480 : nIndex == VERTRES ? 640
                    : nIndex == BITSPIXEL ? 16 : nIndex == PLANES ? 1 : 0);
}

LONG WINAPI CeRegCreateKeyEx(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                             PHKEY phkResult, LPDWORD lpdwDisposition)
{
    RegistryCall r(L"CeRegCreateKeyEx", hKey, lpSubKey);
    if (const LONG status = r.Check(phkResult != nullptr))
        return r.call.Status(status);
    const bool created = r.registry->CreateKey(*r.key);
    if (created && r.Save() != ERROR_SUCCESS)
        return r.call.Status(ERROR_WRITE_FAULT);
    if (lpdwDisposition)
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *phkResult = static_cast<HKEY>(r.call.Handheld().Add(nullptr, *r.key));
    return r.call.Status(ERROR_SUCCESS);
}

LONG WINAPI CeRegSetValueEx(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                            DWORD cbData)
{
    RegistryCall r(L"CeRegSetValueEx", hKey, nullptr);
    r.Value(lpValueName);
    r.call.Number(L"type", dwType);
    r.call.Number(L"size", cbData);
    if (const LONG status = r.Check(lpData || cbData == 0))
        return r.call.Status(status);
    const RegValue value{dwType, std::string(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0)};
    if (!r.registry->SetValue(*r.key, r.name, value))
        return r.call.Status(ERROR_KEY_DELETED);
    return r.call.Status(r.Save());
}

BOOL WINAPI CeMoveFile(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName)
{
    Call call(L"CeMoveFile");
    call.Subject(L"from", lpExistingFileName);
    call.Subject(L"to", lpNewFileName);
    if (call.Refused())
        return call.Bool(FALSE);
    const std::optional<std::wstring> from = call.Desktop(lpExistingFileName);
    const std::optional<std::wstring> to = call.Desktop(lpNewFileName);
    return call.Bool(from && to && (Exists(*to) ? WithError(ERROR_ALREADY_EXISTS, FALSE) : MoveFileW(from->c_str(), to->c_str())));
}

LONG WINAPI CeRegDeleteKey(HKEY hKey, LPCWSTR lpSubKey)
{
    RegistryCall r(L"CeRegDeleteKey", hKey, lpSubKey);
    if (const LONG status = r.Check(true))
        return r.call.Status(status);
    const LONG status = r.registry->DeleteKey(*r.key);
    return r.call.Status(status != ERROR_SUCCESS ? status : r.Save());
}

}  // extern "C"

// Each definition must keep the documented signature the tool resolves it with.
#define QAMOVUP_SIM_CHECK_SIGNATURE(name, ret, params) static_assert(std::is_same_v<decltype(&(name)), PFN_##name>, #name);
QAMOVUP_RAPI_ENTRY_POINTS(QAMOVUP_SIM_CHECK_SIGNATURE)
#undef QAMOVUP_SIM_CHECK_SIGNATURE
