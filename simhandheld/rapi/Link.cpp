// qamosimlink.dll: the eighteen entry points, behaving as a Windows CE handheld does, and the link
// to the simulated handheld that QAMOVUP_HANDHELD names behind them: its start-up, the handles and
// keys it gave out, and the per-connection call counts that device.ini's faults refer to. Every entry
// point goes through a Call, which holds the link's one lock throughout, so any thread may call.
#include "devicelink/RapiApi.h"
#include "simhandheld/Folder.h"
#include "simhandheld/Registry.h"
#include "simhandheld/Settings.h"

#include <atomic>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace simhandheld {
namespace {

class Link {
public:
    Link() { InitializeCriticalSection(&m_lock); }

    // Starts a connection as device.ini says; the result is CeRapiInitEx's.
    HRESULT Start(RAPIINIT* init)
    {
        const std::wstring mode = m_folder.empty() ? L"silent" : m_settings.connection.Word();
        if (mode == L"refuse" || !(m_startEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr)))
            return E_FAIL;
        init->heRapiInit = m_startEvent;
        init->hrRapiInit = E_PENDING;
        m_init = init;
        if (mode == L"silent")
            return S_OK;
        m_cancelStart = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_startThread = m_cancelStart ? CreateThread(nullptr, 0, &Link::CompleteStart, this, 0, nullptr) : nullptr;
        if (!m_startThread) {
            Stop();
            return E_FAIL;
        }
        return S_OK;
    }
    // Ends the start-up (waits for its thread), closes the event and every handle still open.
    void Stop()
    {
        if (m_startThread) {
            SetEvent(m_cancelStart);
            WaitForSingleObject(m_startThread, INFINITE);
        }
        for (HANDLE* h : {&m_startThread, &m_cancelStart, &m_startEvent}) {
            if (*h)
                CloseHandle(*h);
            *h = nullptr;
        }
        m_connected.store(false);
        m_callLog.Close();
        for (auto& [value, open] : m_handles)
            if (open.first)
                CloseHandle(open.first);
        m_handles.clear();
    }

    bool Connected() const { return m_connected.load(); }
    const std::wstring& Folder() const { return m_folder; }
    const DeviceSettings& Settings() const { return m_settings; }

    // Handles given to the caller: desktop files, registry keys by full name (the predefined roots
    // are their own), and with neither, made-up processes and threads.
    HANDLE Add(HANDLE file = nullptr, std::wstring key = {})
    {
        m_nextHandle += 4;
        m_handles[m_nextHandle] = {file, std::move(key)};
        return reinterpret_cast<HANDLE>(m_nextHandle);
    }
    HANDLE FileOf(HANDLE handle) const
    {
        const auto it = m_handles.find(reinterpret_cast<UINT_PTR>(handle));
        return it != m_handles.end() ? it->second.first : nullptr;
    }
    std::optional<std::wstring> KeyOf(HKEY key) const
    {
        if (const wchar_t* root = RootName(key))
            return root;
        const auto it = m_handles.find(reinterpret_cast<UINT_PTR>(key));
        return it != m_handles.end() && !it->second.second.empty() ? std::optional(it->second.second) : std::nullopt;
    }
    bool Close(HANDLE handle, bool key)
    {
        if (key && RootName(static_cast<HKEY>(handle)))
            return true;
        const auto it = m_handles.find(reinterpret_cast<UINT_PTR>(handle));
        if (it == m_handles.end() || it->second.second.empty() == key)
            return false;
        if (it->second.first)
            CloseHandle(it->second.first);
        m_handles.erase(it);
        return true;
    }
    DWORD NextId() { return m_nextId += 4; }

private:
    friend class Call;
    static DWORD WINAPI CompleteStart(void* link)
    {
        Link& l = *static_cast<Link*>(link);
        if (WaitForSingleObject(l.m_cancelStart, l.m_settings.latencyMs.Number()) == WAIT_TIMEOUT) {
            l.m_connected.store(l.m_settings.connection.Word() == L"answer");
            l.m_init->hrRapiInit = l.m_connected.load() ? S_OK : E_FAIL;
            SetEvent(l.m_startEvent);
        }
        return 0;
    }

    CRITICAL_SECTION m_lock{};
    std::wstring m_folder;
    DeviceSettings m_settings;
    // calls.log, held open while a connection stands: opening and closing it for every call would
    // cost the caller more than most calls take.
    Appender m_callLog;
    std::atomic<bool> m_connected{false};
    RAPIINIT* m_init = nullptr;
    HANDLE m_startEvent = nullptr;
    HANDLE m_cancelStart = nullptr;
    HANDLE m_startThread = nullptr;
    unsigned m_calls = 0;
    std::map<std::wstring, unsigned> m_callsByFunction;
    std::map<UINT_PTR, std::pair<HANDLE, std::wstring>> m_handles;  // the file, the key
    UINT_PTR m_nextHandle = 0;
    DWORD m_nextId = 0;
};

// Made while the library loads and never destroyed: the library stays loaded (DllMain), and at
// process exit there is nothing left to join, and nothing to close that the system does not.
Link& g_link = *new Link;

// Time enough to append a line to calls.log, with room to spare.
constexpr long long kLogWriteAllowanceMicros = 1000;

// Sleep for the bulk, then yield: Sleep alone overshoots by up to a scheduler tick.
void WaitUntil(long long micros)
{
    for (long long left; (left = micros - WallClockMicros()) > 0;)
        Sleep(left > 3000 ? static_cast<DWORD>((left - 2000) / 1000) : 0);
}

// One entry point's call: takes the lock, counts the call, decides whether device.ini makes it fail,
// and on the way out waits out the link's time, writes calls.log and sets any event device.ini names
// for it. The caller's last error survives all of that.
class Call {
public:
    explicit Call(const wchar_t* function) : m_link(g_link)
    {
        EnterCriticalSection(&m_link.m_lock);
        m_record.startMicros = WallClockMicros();
        m_record.function = function;
        // The folder, its settings, the counts and the handles' numbering belong to one connection.
        if (m_record.function == L"CeRapiInitEx") {
            m_link.Stop();
            m_link.m_folder.clear();
            if (const DWORD n = GetEnvironmentVariableW(kHandheldVariable, nullptr, 0); n > 1) {
                std::wstring folder(n, L'\0');
                folder.resize(GetEnvironmentVariableW(kHandheldVariable, folder.data(), n));
                if (IsDirectory(folder))
                    m_link.m_folder = folder;
            }
            const std::optional<DeviceSettings> settings =
                m_link.m_folder.empty() ? std::nullopt : DeviceSettings::Load(m_link.m_folder);
            m_link.m_settings = settings ? *settings : DeviceSettings{};
            m_link.m_calls = 0;
            m_link.m_callsByFunction.clear();
            m_link.m_nextHandle = 0x100;
            m_link.m_nextId = 0x4000;
        }
        m_record.seq = ++m_link.m_calls;
        m_nth = ++m_link.m_callsByFunction[function];
    }
    ~Call()
    {
        const DWORD error = GetLastError();
        const DeviceSettings& settings = m_link.m_settings;
        long long micros = 0;
        if (m_record.function != L"CeRapiInitEx" && m_record.function != L"CeRapiUninit")
            micros += 1000LL * settings.latencyMs.Number();
        if (settings.linkBps.Number() > 0)
            micros += static_cast<long long>(m_bytes * 1000000ULL / settings.linkBps.Number());
        for (const SettingValue& delay : settings.delay.values)
            if (delay.IsFor(m_record.function, m_nth))
                micros += 1000LL * delay.Number(2);
        // The line is written within the call's modelled time, as a real link works within its transfer
        // time, so that it never counts as the caller's; where that is too short, it follows the call.
        const long long due = m_record.startMicros + micros;
        const bool logInTime = due - WallClockMicros() > kLogWriteAllowanceMicros;
        const auto log = [this](long long end) {
            m_record.endMicros = end;
            if (m_link.m_folder.empty())
                return;
            if (m_link.Connected() && !m_link.m_callLog.IsOpen())
                m_link.m_callLog.Open(InFolder(m_link.m_folder, kCallsFile));
            if (!m_link.m_callLog.Append(CallLine(m_record)))
                AppendToFile(InFolder(m_link.m_folder, kCallsFile), CallLine(m_record));
        };
        if (logInTime)
            log(due);
        WaitUntil(due);
        if (!logInTime)
            log(WallClockMicros());
        for (const SettingValue& signal : settings.signal.values)
            if (signal.IsFor(m_record.function, m_nth))
                if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, signal.parts[2].c_str())) {
                    SetEvent(event);
                    CloseHandle(event);
                }
        LeaveCriticalSection(&m_link.m_lock);
        SetLastError(error);
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    Link& Handheld() { return m_link; }
    unsigned Nth() const { return m_nth; }

    // Arguments for the log. A subject is also what fail-path compares with.
    void Text(const wchar_t* name, LPCWSTR text)
    {
        Argument(name, text ? L'"' + std::wstring(text) + L'"' : L"null");
    }
    void Subject(const wchar_t* name, LPCWSTR text)
    {
        Text(name, text);
        if (text)
            m_subjects.emplace_back(text);
    }
    void Number(const wchar_t* name, unsigned long long value, bool hex = false) { Argument(name, NumberText(value, hex)); }

    // True if the call must do nothing: no connection (when it needs one) or a fault from device.ini.
    // The last error is then set; registry calls return RefusalError().
    bool Refused(bool needsConnection = true)
    {
        const DeviceSettings& s = m_link.m_settings;
        const std::wstring& fn = m_record.function;
        bool faulted = false;
        for (const SettingValue& nth : s.failNth.values)
            faulted = faulted || nth.Number(0) == m_record.seq;
        for (const SettingValue& call : s.failCall.values)
            faulted = faulted || call.IsFor(fn, m_nth);
        for (const SettingValue& path : s.failPath.values)
            for (const std::wstring& subject : m_subjects)
                faulted = faulted || (path.parts[0] == fn && EqualsNoCase(path.parts[1], subject));
        m_refusal = needsConnection && !m_link.Connected() ? ERROR_NOT_CONNECTED : faulted ? ERROR_GEN_FAILURE : ERROR_SUCCESS;
        m_record.faulted = m_refusal == ERROR_GEN_FAILURE;
        if (m_refusal != ERROR_SUCCESS)
            SetLastError(m_refusal);
        return m_refusal != ERROR_SUCCESS;
    }
    DWORD RefusalError() const { return m_refusal; }
    // The desktop path of a handheld path; none (and ERROR_PATH_NOT_FOUND) if it has none.
    std::optional<std::wstring> Desktop(LPCWSTR path)
    {
        std::optional<std::wstring> desktop = path ? DesktopPath(m_link.Folder(), path) : std::nullopt;
        if (!desktop)
            SetLastError(ERROR_PATH_NOT_FOUND);
        return desktop;
    }
    // For a call on one path, logged as its subject: its desktop path, or none if the call must not go on.
    std::optional<std::wstring> Target(LPCWSTR path)
    {
        Subject(L"path", path);
        return Refused() ? std::nullopt : Desktop(path);
    }
    // Bytes that crossed the link: the call lasts bytes / link-bps seconds longer.
    void Transfer(unsigned long long bytes) { m_bytes += bytes; }

    // Record the result, and return it.
    BOOL Bool(BOOL ok, const std::wstring& detail = {})
    {
        return Record(ok, !ok, (ok ? L"TRUE" : L"FALSE error=" + std::to_wstring(GetLastError())) + (detail.empty() ? L"" : L" " + detail));
    }
    HANDLE Handle(HANDLE h)
    {
        const bool failed = h == INVALID_HANDLE_VALUE;
        return Record(h, failed, failed ? L"INVALID_HANDLE_VALUE error=" + std::to_wstring(GetLastError()) : NumberText(reinterpret_cast<UINT_PTR>(h), true));
    }
    LONG Status(LONG status) { return Record(status, status != ERROR_SUCCESS, std::to_wstring(status)); }
    HRESULT Result(HRESULT hr) { return Record(hr, FAILED(hr), NumberText(static_cast<unsigned long>(hr), true)); }
    int Int(int value) { return Record(value, value == 0, std::to_wstring(value)); }

private:
    void Argument(const wchar_t* name, const std::wstring& value)
    {
        m_record.arguments += (m_record.arguments.empty() ? L"" : L" ") + std::wstring(name) + L'=' + value;
    }
    template <typename T>
    T Record(T value, bool failed, std::wstring result)
    {
        m_record.failed = failed;
        m_record.result = std::move(result);
        return value;
    }

    Link& m_link;
    CallRecord m_record;
    unsigned m_nth = 0;
    std::vector<std::wstring> m_subjects;
    DWORD m_refusal = ERROR_SUCCESS;
    unsigned long long m_bytes = 0;
};

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
    // short-write: the handheld takes only the first bytes it is handed, and says so.
    for (const SettingValue& shortWrite : call.Handheld().Settings().shortWrite.values)
        if (write && shortWrite.Number(0) == call.Nth() && shortWrite.Number(1) < bytes)
            bytes = shortWrite.Number(1);
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

// The library pins itself at its first load, so that rapi.dll, which the tool loads and frees once
// per run, holds no C++ runtime of its own. A connection's state is reset at each CeRapiInitEx instead.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    HMODULE self = nullptr;
    if (reason == DLL_PROCESS_ATTACH)
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<LPCWSTR>(&DllMain), &self);
    return TRUE;
}

}  // namespace simhandheld

using namespace simhandheld;

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
