// device.ini: how the simulated handheld answers (connection, timing, display density) and which
// calls it makes fail. Each line is one setting in the form `qamosim set` takes, e.g.
//   connection=answer | refuse | fail | silent
//   latency-ms=N            every remote call takes at least N ms (start-up completes after N ms)
//   link-bps=N              reads and writes take bytes/N seconds more (0: no limit)
//   dpi=N                   the display's LOGPIXELSX
//   fail-nth=N              the Nth remote call of a connection fails, whatever it is (1 is CeRapiInitEx)
//   fail-call=Function:N    that function's Nth call of a connection fails
//   fail-path=Function:Path every call of that function on that handheld path (or registry key) fails
//   signal=Function:N:Event that function's Nth call sets the named event once it is done
//   delay=Function:N:Ms     that function's Nth call takes Ms ms longer
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace simhandheld {

enum class ConnectionMode { Answer, Refuse, Fail, Silent };

struct CallFault {
    std::wstring function;
    unsigned nth = 0;
};
struct PathFault {
    std::wstring function;
    std::wstring path;
};
struct CallSignal {
    std::wstring function;
    unsigned nth = 0;
    std::wstring eventName;
};
struct CallDelay {
    std::wstring function;
    unsigned nth = 0;
    unsigned ms = 0;
};

struct DeviceSettings {
    ConnectionMode connection = ConnectionMode::Answer;
    unsigned latencyMs = 0;
    unsigned linkBytesPerSecond = 0;
    int logPixelsX = 96;
    std::vector<unsigned> failNth;
    std::vector<CallFault> failCalls;
    std::vector<PathFault> failPaths;
    std::vector<CallSignal> signals;
    std::vector<CallDelay> delays;

    // One "key=value" setting, or "clear-faults"; false with the reason if it makes no sense.
    bool Apply(std::wstring_view setting, std::wstring* error = nullptr);
    void ClearFaults();

    std::wstring Format() const;
    static std::optional<DeviceSettings> Parse(std::wstring_view text, std::wstring* error = nullptr);
    // A folder without device.ini has the default settings.
    static std::optional<DeviceSettings> Load(const std::wstring& folder, std::wstring* error = nullptr);
    bool Save(const std::wstring& folder) const;
};

const wchar_t* ConnectionModeName(ConnectionMode mode);

// The canonical spelling of one of the eighteen entry points, or none.
std::optional<std::wstring> EntryPointName(std::wstring_view name);

}  // namespace simhandheld
