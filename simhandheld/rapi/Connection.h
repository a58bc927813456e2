// The connection that a CeRapiInitEx begins: the handheld folder QAMOVUP_HANDHELD names and its
// settings, the start-up that completes it, its call counts and calls.log, and the handles it gives out.
#pragma once

#include "devicelink/RapiApi.h"
#include "simhandheld/Folder.h"
#include "simhandheld/Registry.h"
#include "simhandheld/Settings.h"

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace simhandheld {

class Connection {
public:
    Connection() { InitializeCriticalSection(&m_lock); }

    // Held by each call from its start to its result, so that calls from any thread run one at a time.
    struct Hold {
        explicit Hold(Connection& connection) : lock(connection.m_lock) { EnterCriticalSection(&lock); }
        ~Hold() { LeaveCriticalSection(&lock); }
        Hold(const Hold&) = delete;
        CRITICAL_SECTION& lock;
    };

    // Ends the connection before and begins a new one, counted from its first call, its folder and
    // settings read afresh. Why device.ini cannot be used, if it cannot (the defaults apply then).
    std::wstring Renew()
    {
        Stop();
        m_folder.clear();
        if (const DWORD n = GetEnvironmentVariableW(kHandheldVariable, nullptr, 0); n > 1) {
            std::wstring folder(n, L'\0');
            folder.resize(GetEnvironmentVariableW(kHandheldVariable, folder.data(), n));
            if (IsDirectory(folder))
                m_folder = folder;
        }
        std::wstring unusable;
        m_settings = (m_folder.empty() ? DeviceSettings() : DeviceSettings::Load(m_folder, &unusable)).value_or(DeviceSettings());
        m_calls = 0;
        m_callsByFunction.clear();
        m_nextHandle = 0x100;
        m_nextId = 0x4000;
        return unusable;
    }
    // Starts the connection as device.ini says; the result is CeRapiInitEx's.
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
        m_startThread = m_cancelStart ? CreateThread(nullptr, 0, &Connection::CompleteStart, this, 0, nullptr) : nullptr;
        if (!m_startThread) {
            Stop();
            return E_FAIL;
        }
        return S_OK;
    }
    // Ends the start-up (waits for its thread), closes calls.log and every handle still open.
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
    // The next call's number in the connection, and among its function's calls.
    std::pair<unsigned, unsigned> Count(const std::wstring& function) { return {++m_calls, ++m_callsByFunction[function]}; }
    // One line of calls.log, which stays open while the connection stands: opening and closing it
    // for every call would cost the caller more than most calls take.
    void Log(const CallRecord& call)
    {
        if (m_folder.empty())
            return;
        const std::wstring file = InFolder(m_folder, kCallsFile);
        if (Connected() && !m_callLog.IsOpen())
            m_callLog.Open(file);
        if (!m_callLog.Append(CallLine(call)))
            AppendToFile(file, CallLine(call));
    }

    // Handles given to the caller: desktop files, registry keys by full name (the predefined roots are
    // their own), and with neither, made-up processes and threads.
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
    static DWORD WINAPI CompleteStart(void* connection)
    {
        Connection& c = *static_cast<Connection*>(connection);
        if (WaitForSingleObject(c.m_cancelStart, c.m_settings.latencyMs.Number()) == WAIT_TIMEOUT) {
            c.m_connected.store(c.m_settings.connection.Word() == L"answer");
            c.m_init->hrRapiInit = c.m_connected.load() ? S_OK : E_FAIL;
            SetEvent(c.m_startEvent);
        }
        return 0;
    }

    CRITICAL_SECTION m_lock{};
    std::wstring m_folder;
    DeviceSettings m_settings;
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

// The library's one connection, never destroyed: the library stays loaded (DllMain), and at process
// exit there is nothing left to join, and nothing to close that the system does not.
inline Connection& TheConnection()
{
    static Connection& connection = *new Connection;
    return connection;
}

}  // namespace simhandheld
