// device.ini: how the simulated handheld answers and which calls fail, one "name=value" a line as
// `qamosim set` takes it; the file, qamosim's usage and the README's table come from the rows below.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace simhandheld {

// X(member, name, form, default, help), one line each. A form "a/b" takes one of the words; otherwise
// its parts, joined by ':', are Function (one of the eighteen entry points, any case), N (a call number
// from 1), Path or Event (any text, to the end) or a number (Ms, Bps, Dpi, Bytes). A setting without a
// default is a list: each line adds to it; any other setting keeps its last value.
#define QAMOSIM_SETTINGS(X) \
    X(connection, L"connection", L"answer/refuse/fail/silent", L"answer", L"the start completes; CeRapiInitEx itself fails; the start completes with E_FAIL; the start never completes") \
    X(latencyMs, L"latency-ms", L"Ms", L"0", L"the start completes after Ms ms; every other call takes at least Ms ms") \
    X(linkBps, L"link-bps", L"Bps", L"0", L"reads and writes take bytes/Bps seconds more (0: no limit)") \
    X(dpi, L"dpi", L"Dpi", L"96", L"what CeGetDesktopDeviceCaps gives for LOGPIXELSX and LOGPIXELSY") \
    X(failNth, L"fail-nth", L"N", nullptr, L"the Nth call of a connection fails, whatever it is (1 is CeRapiInitEx)") \
    X(failCall, L"fail-call", L"Function:N", nullptr, L"that function's Nth call of a connection fails") \
    X(failPath, L"fail-path", L"Function:Path", nullptr, L"every call of that function on that path fails") \
    X(shortWrite, L"short-write", L"N:Bytes", nullptr, L"the Nth CeWriteFile of a connection writes only its first Bytes bytes, reports that count and succeeds") \
    X(signal, L"signal", L"Function:N:Event", nullptr, L"once that function's Nth call is done, the named event is set") \
    X(delay, L"delay", L"Function:N:Ms", nullptr, L"that function's Nth call takes Ms ms longer")

// One value of a setting, as the parts of its form.
struct SettingValue {
    std::vector<std::wstring> parts;
    unsigned Number(size_t part) const;
    // For a value of the form Function:N...: whether it names that call.
    bool IsFor(std::wstring_view function, unsigned nth) const { return parts[0] == function && Number(1) == nth; }
};

struct Setting {
    std::vector<SettingValue> values;
    const std::wstring& Word() const { return values.back().parts[0]; }
    unsigned Number() const { return values.back().Number(0); }
};

struct DeviceSettings {
#define QAMOSIM_SETTING_MEMBER(member, name, form, byDefault, help) Setting member;
    QAMOSIM_SETTINGS(QAMOSIM_SETTING_MEMBER)
#undef QAMOSIM_SETTING_MEMBER

    DeviceSettings();
    // One "name=value", or "clear-faults" (empties every list); false with the reason if it makes no sense.
    bool Apply(std::wstring_view setting, std::wstring* error = nullptr);
    std::wstring Format() const;
    // A folder without device.ini has the default settings; one that cannot be read or parsed gives none, and why.
    static std::optional<DeviceSettings> Load(const std::wstring& folder, std::wstring* error = nullptr);
    bool Save(const std::wstring& folder) const;
};

// "  name=form   help" for every setting, for qamosim's usage.
std::wstring SettingsHelp();

}  // namespace simhandheld
