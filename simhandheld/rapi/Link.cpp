#include "simhandheld/rapi/Link.h"

#include "simhandheld/Registry.h"

namespace simhandheld {
namespace {

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

HRESULT Link::Start(RAPIINIT* init)
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

DWORD WINAPI Link::CompleteStart(void* link)
{
    Link& l = *static_cast<Link*>(link);
    if (WaitForSingleObject(l.m_cancelStart, l.m_settings.latencyMs.Number()) == WAIT_TIMEOUT) {
        l.m_connected.store(l.m_settings.connection.Word() == L"answer");
        l.m_init->hrRapiInit = l.m_connected.load() ? S_OK : E_FAIL;
        SetEvent(l.m_startEvent);
    }
    return 0;
}

void Link::Stop()
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

HANDLE Link::Add(HANDLE file, std::wstring key)
{
    m_nextHandle += 4;
    m_handles[m_nextHandle] = {file, std::move(key)};
    return reinterpret_cast<HANDLE>(m_nextHandle);
}

HANDLE Link::FileOf(HANDLE handle) const
{
    const auto it = m_handles.find(reinterpret_cast<UINT_PTR>(handle));
    return it != m_handles.end() ? it->second.first : nullptr;
}

std::optional<std::wstring> Link::KeyOf(HKEY key) const
{
    if (const wchar_t* root = RootName(key))
        return root;
    const auto it = m_handles.find(reinterpret_cast<UINT_PTR>(key));
    return it != m_handles.end() && !it->second.second.empty() ? std::optional(it->second.second) : std::nullopt;
}

bool Link::Close(HANDLE handle, bool key)
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

Call::Call(const wchar_t* function) : m_link(g_link)
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

Call::~Call()
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
    // The line is written within the time the link model gives the call, as a real link does its
    // own work within its transfer time, so that it never counts as the caller's; where that time
    // is too short for it, the line follows the call's end.
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

void Call::Argument(const wchar_t* name, const std::wstring& value)
{
    m_record.arguments += (m_record.arguments.empty() ? L"" : L" ") + std::wstring(name) + L'=' + value;
}

void Call::Text(const wchar_t* name, LPCWSTR text)
{
    Argument(name, text ? L'"' + std::wstring(text) + L'"' : L"null");
}

void Call::Subject(const wchar_t* name, LPCWSTR text)
{
    Text(name, text);
    if (text)
        m_subjects.emplace_back(text);
}

bool Call::Refused(bool needsConnection)
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

std::optional<std::wstring> Call::Desktop(LPCWSTR path)
{
    std::optional<std::wstring> desktop = path ? DesktopPath(m_link.Folder(), path) : std::nullopt;
    if (!desktop)
        SetLastError(ERROR_PATH_NOT_FOUND);
    return desktop;
}

std::optional<std::wstring> Call::Target(LPCWSTR path)
{
    Subject(L"path", path);
    return Refused() ? std::nullopt : Desktop(path);
}

}  // namespace simhandheld
