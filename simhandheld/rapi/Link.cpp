#include "simhandheld/rapi/Link.h"

#include "simhandheld/Folder.h"

namespace simhandheld {

struct Link::Pending {
    RAPIINIT* init;
    HRESULT outcome;
    DWORD latencyMs;
    HANDLE event;
    HANDLE cancel;
    std::atomic<bool>* connected;
};

namespace {
// Made while the library loads, and never destroyed: the library stays loaded (DllMain), and at
// process exit there is nothing left to join, and nothing to close that the system does not
// close anyway.
Link* const g_link = new Link;
}  // namespace

// The library pins itself at its first load: rapi.dll, which the tool loads and frees once per
// run, only forwards to it, and the 32-bit GCC runtime inside it makes a semaphore at every load
// that no unload closes. A connection's state is reset at each CeRapiInitEx instead.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<LPCWSTR>(&Link::Instance), &self);
    }
    return TRUE;
}

Link& Link::Instance()
{
    return *g_link;
}

void Link::Reload()
{
    m_folder.clear();
    const DWORD n = GetEnvironmentVariableW(kHandheldVariable, nullptr, 0);
    if (n > 1) {
        std::wstring folder(n, L'\0');
        folder.resize(GetEnvironmentVariableW(kHandheldVariable, folder.data(), n));
        if (IsDirectory(folder))
            m_folder = folder;
    }
    std::optional<DeviceSettings> settings;
    if (!m_folder.empty())
        settings = DeviceSettings::Load(m_folder);
    m_settings = settings ? std::move(*settings) : DeviceSettings{};
}

void Link::LogCall(const CallRecord& call)
{
    if (m_folder.empty())
        return;
    if (m_connected.load() && !m_callLog.IsOpen())
        m_callLog.Open(InFolder(m_folder, kCallsFile));
    if (m_callLog.IsOpen())
        AppendCall(m_callLog, call);
    else
        AppendCall(m_folder, call);
}

void Link::ResetCounts()
{
    m_calls = 0;
    m_callsByFunction.clear();
    m_nextHandle = kFirstHandle;
    m_nextId = kFirstId;
}

std::pair<unsigned, unsigned> Link::Count(const wchar_t* function)
{
    return {++m_calls, ++m_callsByFunction[function]};
}

HRESULT Link::Start(RAPIINIT* init)
{
    const ConnectionMode mode = m_folder.empty() ? ConnectionMode::Silent : m_settings.connection;
    if (mode == ConnectionMode::Refuse)
        return E_FAIL;
    m_startEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_startEvent)
        return E_OUTOFMEMORY;
    init->heRapiInit = m_startEvent;
    init->hrRapiInit = E_PENDING;
    if (mode == ConnectionMode::Silent)
        return S_OK;

    m_pending = new Pending{init, mode == ConnectionMode::Answer ? S_OK : E_FAIL, m_settings.latencyMs,
                            m_startEvent, CreateEventW(nullptr, TRUE, FALSE, nullptr), &m_connected};
    m_startThread = CreateThread(nullptr, 0, &Link::CompleteStart, m_pending, 0, nullptr);
    if (!m_startThread) {
        Stop();
        return E_FAIL;
    }
    return S_OK;
}

DWORD WINAPI Link::CompleteStart(void* pending)
{
    Pending* p = static_cast<Pending*>(pending);
    if (WaitForSingleObject(p->cancel, p->latencyMs) == WAIT_TIMEOUT) {
        p->init->hrRapiInit = p->outcome;
        if (SUCCEEDED(p->outcome))
            p->connected->store(true);
        SetEvent(p->event);
    }
    return 0;
}

void Link::Stop()
{
    if (m_pending) {
        SetEvent(m_pending->cancel);
        if (m_startThread) {
            WaitForSingleObject(m_startThread, INFINITE);
            ::CloseHandle(m_startThread);
            m_startThread = nullptr;
        }
        ::CloseHandle(m_pending->cancel);
        delete m_pending;
        m_pending = nullptr;
    }
    m_connected.store(false);
    m_callLog.Close();
    if (m_startEvent) {
        ::CloseHandle(m_startEvent);
        m_startEvent = nullptr;
    }
    CloseAll();
}

void Link::CloseAll()
{
    for (auto& [value, open] : m_handles)
        if (open.desktop)
            ::CloseHandle(open.desktop);
    m_handles.clear();
    m_keys.clear();
}

HANDLE Link::AddHandle(Kind kind, HANDLE desktop)
{
    m_nextHandle += 4;
    m_handles[m_nextHandle] = Open{kind, desktop};
    return reinterpret_cast<HANDLE>(m_nextHandle);
}

HANDLE Link::FileOf(HANDLE handle) const
{
    const auto it = m_handles.find(reinterpret_cast<UINT_PTR>(handle));
    return it != m_handles.end() && it->second.kind == Kind::File ? it->second.desktop : nullptr;
}

bool Link::CloseHandle(HANDLE handle)
{
    const auto it = m_handles.find(reinterpret_cast<UINT_PTR>(handle));
    if (it == m_handles.end())
        return false;
    if (it->second.desktop)
        ::CloseHandle(it->second.desktop);
    m_handles.erase(it);
    return true;
}

std::optional<Link::KeyName> Link::KeyOf(HKEY key) const
{
    if (const std::optional<RegRoot> root = RootOf(key))
        return KeyName{*root, {}};
    const auto it = m_keys.find(reinterpret_cast<UINT_PTR>(key));
    if (it == m_keys.end())
        return std::nullopt;
    return it->second;
}

HKEY Link::AddKey(KeyName name)
{
    m_nextHandle += 4;
    m_keys[m_nextHandle] = std::move(name);
    return reinterpret_cast<HKEY>(m_nextHandle);
}

bool Link::CloseKey(HKEY key)
{
    if (RootOf(key))
        return true;
    return m_keys.erase(reinterpret_cast<UINT_PTR>(key)) > 0;
}

}  // namespace simhandheld
