// One entry point's call, from its start to its result: it holds the connection throughout, is
// counted in it, may be made to fail by device.ini, lasts as long as the link model says, goes into
// calls.log and sets any event device.ini names for it. The caller's last error survives all that.
#pragma once

#include "simhandheld/rapi/CallText.h"
#include "simhandheld/rapi/Connection.h"

#include <tuple>

namespace simhandheld {

class Call : public CallText {
public:
    // A call over the link needs a connection and takes the link's latency; the calls that start
    // and end a connection take neither.
    explicit Call(const wchar_t* function, bool overTheLink = true)
        : m_connection(TheConnection()), m_hold(m_connection), m_overTheLink(overTheLink)
    {
        m_record.startMicros = WallClockMicros();
        m_record.function = function;
        std::tie(m_record.seq, m_nth) = m_connection.Count(m_record.function);
    }
    ~Call()
    {
        const DWORD error = GetLastError();
        // The line is written within the call's modelled time, as a real link works within its transfer
        // time, so that it never counts as the caller's; where that is too short, it follows the call.
        const long long due = m_record.startMicros + ModelledMicros();
        const bool logInTime = due - WallClockMicros() > kLogWriteAllowanceMicros;
        const auto log = [this](long long end) { m_record.endMicros = end; m_connection.Log(m_record); };
        if (logInTime)
            log(due);
        // Sleep for the bulk, then yield: Sleep alone overshoots by up to a scheduler tick.
        for (long long left; (left = due - WallClockMicros()) > 0;)
            Sleep(left > 3000 ? static_cast<DWORD>((left - 2000) / 1000) : 0);
        if (!logInTime)
            log(WallClockMicros());
        for (const SettingValue& signal : m_connection.Settings().signal.values)
            if (signal.IsFor(m_record.function, m_nth))
                if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, signal.parts[2].c_str())) {
                    SetEvent(event);
                    CloseHandle(event);
                }
        SetLastError(error);
    }

    Connection& Handheld() { return m_connection; }
    unsigned Nth() const { return m_nth; }  // among its function's calls
    // True if the call must do nothing: no connection where it needs one, or a fault from device.ini
    // (fail-nth, fail-call, or fail-path on one of its subjects). The last error is then set.
    bool Refused()
    {
        const DeviceSettings& s = m_connection.Settings();
        bool faulted = false;
        for (const SettingValue& nth : s.failNth.values)
            faulted = faulted || nth.Number(0) == m_record.seq;
        for (const SettingValue& call : s.failCall.values)
            faulted = faulted || call.IsFor(m_record.function, m_nth);
        for (const SettingValue& path : s.failPath.values)
            for (const std::wstring& subject : m_subjects)
                faulted = faulted || (path.parts[0] == m_record.function && EqualsNoCase(path.parts[1], subject));
        m_refusal = m_overTheLink && !m_connection.Connected() ? ERROR_NOT_CONNECTED : faulted ? ERROR_GEN_FAILURE : ERROR_SUCCESS;
        m_record.faulted = m_refusal == ERROR_GEN_FAILURE;
        if (m_refusal != ERROR_SUCCESS)
            SetLastError(m_refusal);
        return m_refusal != ERROR_SUCCESS;
    }
    DWORD RefusalError() const { return m_refusal; }
    // Bytes that crossed the link: the call lasts bytes / link-bps seconds longer.
    void Transfer(unsigned long long bytes) { m_bytes += bytes; }

private:
    // Time enough to append a line to calls.log, with room to spare.
    static constexpr long long kLogWriteAllowanceMicros = 1000;

    long long ModelledMicros() const
    {
        const DeviceSettings& settings = m_connection.Settings();
        long long micros = m_overTheLink ? 1000LL * settings.latencyMs.Number() : 0;
        if (settings.linkBps.Number() > 0)
            micros += static_cast<long long>(m_bytes * 1000000ULL / settings.linkBps.Number());
        for (const SettingValue& delay : settings.delay.values)
            if (delay.IsFor(m_record.function, m_nth))
                micros += 1000LL * delay.Number(2);
        return micros;
    }

    Connection& m_connection;
    Connection::Hold m_hold;
    bool m_overTheLink;
    unsigned m_nth = 0;
    DWORD m_refusal = ERROR_SUCCESS;
    unsigned long long m_bytes = 0;
};

}  // namespace simhandheld
