// The state behind qamosimlink.dll: one link to the simulated handheld that QAMOVUP_HANDHELD names,
// its start-up, the handles and keys it gave out, and the per-connection call counts that device.ini's
// faults refer to. Every entry point goes through a Call, which holds the link's one lock throughout,
// so the library is safe to call from any thread.
#pragma once

#include "devicelink/RapiApi.h"
#include "simhandheld/Folder.h"
#include "simhandheld/Settings.h"
#include "simhandheld/Text.h"

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace simhandheld {

class Link {
public:
    Link() { InitializeCriticalSection(&m_lock); }

    // Starts a connection as device.ini says; the result is CeRapiInitEx's.
    HRESULT Start(RAPIINIT* init);
    // Ends the start-up (waits for its thread), closes the event and every handle still open.
    void Stop();

    bool Connected() const { return m_connected.load(); }
    const std::wstring& Folder() const { return m_folder; }
    const DeviceSettings& Settings() const { return m_settings; }

    // Handles given to the caller: desktop files, registry keys by full name (the predefined roots
    // are their own), and with neither, made-up processes and threads.
    HANDLE Add(HANDLE file = nullptr, std::wstring key = {});
    HANDLE FileOf(HANDLE handle) const;
    std::optional<std::wstring> KeyOf(HKEY key) const;
    bool Close(HANDLE handle, bool key);
    DWORD NextId() { return m_nextId += 4; }

private:
    friend class Call;
    static DWORD WINAPI CompleteStart(void* link);

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

// One entry point's call: takes the lock, counts the call, decides whether device.ini makes it fail,
// and on the way out waits out the link's time, writes calls.log and sets any event device.ini names
// for it. The caller's last error survives all of that.
class Call {
public:
    explicit Call(const wchar_t* function);
    ~Call();
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    Link& Handheld() { return m_link; }

    // Arguments for the log. A subject is also what fail-path compares with.
    void Text(const wchar_t* name, LPCWSTR text);
    void Subject(const wchar_t* name, LPCWSTR text);
    void Number(const wchar_t* name, unsigned long long value, bool hex = false) { Argument(name, NumberText(value, hex)); }

    // True if the call must do nothing: no connection (when it needs one) or a fault from device.ini.
    // The last error is then set; registry calls return RefusalError().
    bool Refused(bool needsConnection = true);
    DWORD RefusalError() const { return m_refusal; }
    // The desktop path of a handheld path; none (and ERROR_PATH_NOT_FOUND) if it has none.
    std::optional<std::wstring> Desktop(LPCWSTR path);
    // For a call on one path, logged as its subject: its desktop path, or none if the call must not go on.
    std::optional<std::wstring> Target(LPCWSTR path);
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
    void Argument(const wchar_t* name, const std::wstring& value);
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

}  // namespace simhandheld
