#include "simhandheld/rapi/Call.h"

#include "simhandheld/Folder.h"
#include "simhandheld/Text.h"

#include <algorithm>

namespace simhandheld {
namespace {

bool IsConnectionCall(const std::wstring& function)
{
    return function == L"CeRapiInitEx" || function == L"CeRapiUninit";
}

// Time enough to append a line to calls.log, with room to spare.
constexpr long long kLogWriteAllowanceMicros = 1000;

// Sleep for the bulk, then yield: Sleep alone overshoots by up to a scheduler tick.
void WaitUntil(long long micros)
{
    for (;;) {
        const long long left = micros - WallClockMicros();
        if (left <= 0)
            return;
        Sleep(left > 3000 ? static_cast<DWORD>((left - 2000) / 1000) : 0);
    }
}

}  // namespace

Call::Call(const wchar_t* function) : m_lock(Link::Instance().Lock()), m_link(Link::Instance())
{
    m_record.startMicros = WallClockMicros();
    m_record.function = function;
    // Settings, folder and counts belong to one connection; a new one starts at CeRapiInitEx.
    if (m_record.function == L"CeRapiInitEx") {
        m_link.Stop();
        m_link.Reload();
        m_link.ResetCounts();
    }
    const auto [seq, nth] = m_link.Count(function);
    m_record.seq = seq;
    m_nth = nth;
}

Call::~Call()
{
    const DWORD error = GetLastError();
    const DeviceSettings& settings = m_link.Settings();
    long long micros = 0;
    if (!IsConnectionCall(m_record.function))
        micros += 1000LL * settings.latencyMs;
    if (settings.linkBytesPerSecond > 0)
        micros += static_cast<long long>(m_bytes * 1000000ULL / settings.linkBytesPerSecond);
    for (const CallDelay& d : settings.delays)
        if (d.function == m_record.function && d.nth == m_nth)
            micros += 1000LL * d.ms;
    // The log line is written within the time the link model gives the call, as a real link
    // does its own work within its transfer time, so that it never counts as the caller's.
    // Where that time is too short for it, the line follows the call's end.
    const long long due = m_record.startMicros + micros;
    const bool logInTime = due - WallClockMicros() > kLogWriteAllowanceMicros;
    if (logInTime) {
        m_record.endMicros = due;
        m_link.LogCall(m_record);
    }
    WaitUntil(due);
    if (!logInTime) {
        m_record.endMicros = WallClockMicros();
        m_link.LogCall(m_record);
    }
    for (const CallSignal& s : settings.signals)
        if (s.function == m_record.function && s.nth == m_nth)
            if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, s.eventName.c_str())) {
                SetEvent(event);
                CloseHandle(event);
            }
    SetLastError(error);
}

void Call::Text(const wchar_t* name, LPCWSTR text)
{
    if (!m_record.arguments.empty())
        m_record.arguments += L' ';
    m_record.arguments += name;
    m_record.arguments += text ? L"=\"" + std::wstring(text) + L'"' : std::wstring(L"=null");
}

void Call::Path(const wchar_t* name, LPCWSTR path)
{
    Text(name, path);
    if (path)
        m_subjects.emplace_back(path);
}

void Call::Subject(const wchar_t* name, const std::wstring& text)
{
    Text(name, text.c_str());
    m_subjects.push_back(text);
}

void Call::Number(const wchar_t* name, unsigned long long value)
{
    m_record.arguments += (m_record.arguments.empty() ? L"" : L" ") + std::wstring(name) + L'=' + std::to_wstring(value);
}

void Call::Flags(const wchar_t* name, unsigned long long value)
{
    wchar_t hex[24];
    wsprintfW(hex, L"0x%I64X", value);
    m_record.arguments += (m_record.arguments.empty() ? L"" : L" ") + std::wstring(name) + L'=' + hex;
}

bool Call::Refused(bool needsConnection)
{
    const DeviceSettings& s = m_link.Settings();
    const auto& fn = m_record.function;
    bool faulted = std::find(s.failNth.begin(), s.failNth.end(), m_record.seq) != s.failNth.end();
    for (const CallFault& f : s.failCalls)
        faulted = faulted || (f.function == fn && f.nth == m_nth);
    for (const PathFault& f : s.failPaths)
        for (const std::wstring& subject : m_subjects)
            faulted = faulted || (f.function == fn && EqualsNoCase(f.path, subject));
    if (needsConnection && !m_link.Connected())
        m_refusal = ERROR_NOT_CONNECTED;
    else if (faulted)
        m_refusal = ERROR_GEN_FAILURE;
    else
        return false;
    m_record.faulted = m_refusal == ERROR_GEN_FAILURE;
    SetLastError(m_refusal);
    return true;
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
    Path(L"path", path);
    if (Refused())
        return std::nullopt;
    return Desktop(path);
}

BOOL Call::Bool(BOOL ok, const std::wstring& detail)
{
    m_record.failed = !ok;
    m_record.result = ok ? L"TRUE" : L"FALSE error=" + std::to_wstring(GetLastError());
    if (!detail.empty())
        m_record.result += L' ' + detail;
    return ok;
}

HANDLE Call::Handle(HANDLE handle)
{
    m_record.failed = handle == INVALID_HANDLE_VALUE;
    m_record.result = m_record.failed ? L"INVALID_HANDLE_VALUE error=" + std::to_wstring(GetLastError())
                                      : Hex(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(handle)));
    return handle;
}

LONG Call::Status(LONG status)
{
    m_record.failed = status != ERROR_SUCCESS;
    m_record.result = std::to_wstring(status);
    return status;
}

HRESULT Call::Result(HRESULT hr)
{
    m_record.failed = FAILED(hr);
    m_record.result = Hex(static_cast<unsigned long>(hr));
    return hr;
}

int Call::Int(int value)
{
    m_record.failed = value == 0;
    m_record.result = std::to_wstring(value);
    return value;
}

}  // namespace simhandheld
