// The entry points on the handheld's registry: registry.reg, read at every call, written at every change.
#include "simhandheld/Registry.h"
#include "simhandheld/rapi/Call.h"
#include "simhandheld/rapi/EntryPoints.h"

#include <cstring>
#include <optional>
#include <string>

using namespace simhandheld;

namespace {

// A registry call: its key named and logged by its full name as the call's subject, and the
// registry file read once the call may go on.
struct RegistryCall {
    RegistryCall(const wchar_t* function, HKEY hKey, LPCWSTR subKey)
        : call(function), key(call.Handheld().KeyOf(hKey))
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
        registry = Registry::Load(File(), &unreadable);
        return registry ? ERROR_SUCCESS : ERROR_REGISTRY_CORRUPT;
    }
    LONG Save() { return registry->Save(File()) ? ERROR_SUCCESS : ERROR_WRITE_FAULT; }
    std::wstring File() { return InFolder(call.Handheld().Folder(), kRegistryFile); }
    // The call's result, with why registry.reg could not be read if it could not.
    LONG Status(LONG status) { return call.Status(status, registry ? L"" : unreadable); }

    Call call;
    std::optional<std::wstring> key;
    std::wstring name;
    std::optional<Registry> registry;
    std::wstring unreadable;
};

}  // namespace

LONG WINAPI CeRegOpenKeyEx(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult)
{
    RegistryCall r(L"CeRegOpenKeyEx", hKey, lpSubKey);
    if (const LONG status = r.Check(phkResult != nullptr))
        return r.Status(status);
    if (!r.registry->KeyExists(*r.key))
        return r.Status(ERROR_FILE_NOT_FOUND);
    *phkResult = static_cast<HKEY>(r.call.Handheld().Add(nullptr, *r.key));
    return r.Status(ERROR_SUCCESS);
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
        return r.Status(status);
    if (!r.registry->KeyExists(*r.key))
        return r.Status(ERROR_KEY_DELETED);
    const std::optional<RegValue> value = r.registry->GetValue(*r.key, r.name);
    if (!value)
        return r.Status(ERROR_FILE_NOT_FOUND);
    const DWORD size = static_cast<DWORD>(value->bytes.size());
    if (lpType)
        *lpType = value->type;
    if (lpData && size > *lpcbData) {
        *lpcbData = size;
        return r.Status(ERROR_MORE_DATA);
    }
    if (lpData)
        // NOLINTNEXTLINE(bugprone-not-null-terminated-result): values are bytes; REG_SZ ones keep their terminator.
        std::memcpy(lpData, value->bytes.data(), size);
    if (lpcbData)
        *lpcbData = size;
    return r.Status(ERROR_SUCCESS);
}

LONG WINAPI CeRegCreateKeyEx(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                             PHKEY phkResult, LPDWORD lpdwDisposition)
{
    RegistryCall r(L"CeRegCreateKeyEx", hKey, lpSubKey);
    if (const LONG status = r.Check(phkResult != nullptr))
        return r.Status(status);
    const bool created = r.registry->CreateKey(*r.key);
    if (created && r.Save() != ERROR_SUCCESS)
        return r.Status(ERROR_WRITE_FAULT);
    if (lpdwDisposition)
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *phkResult = static_cast<HKEY>(r.call.Handheld().Add(nullptr, *r.key));
    return r.Status(ERROR_SUCCESS);
}

LONG WINAPI CeRegSetValueEx(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    RegistryCall r(L"CeRegSetValueEx", hKey, nullptr);
    r.Value(lpValueName);
    r.call.Number(L"type", dwType);
    r.call.Number(L"size", cbData);
    if (const LONG status = r.Check(lpData || cbData == 0))
        return r.Status(status);
    const RegValue value{dwType, std::string(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0)};
    if (!r.registry->SetValue(*r.key, r.name, value))
        return r.Status(ERROR_KEY_DELETED);
    return r.Status(r.Save());
}

LONG WINAPI CeRegDeleteKey(HKEY hKey, LPCWSTR lpSubKey)
{
    RegistryCall r(L"CeRegDeleteKey", hKey, lpSubKey);
    if (const LONG status = r.Check(true))
        return r.Status(status);
    const LONG status = r.registry->DeleteKey(*r.key);
    return r.Status(status != ERROR_SUCCESS ? status : r.Save());
}
