#include "simhandheld/Settings.h"

#include "devicelink/RapiApi.h"
#include "simhandheld/Folder.h"
#include "simhandheld/Text.h"

namespace simhandheld {
namespace {

const wchar_t* const kModeNames[] = {L"answer", L"refuse", L"fail", L"silent"};

#define QAMOVUP_SIM_NAME(name, ret, params) L## #name,
const wchar_t* const kEntryPoints[] = {QAMOVUP_RAPI_ENTRY_POINTS(QAMOVUP_SIM_NAME)};
#undef QAMOVUP_SIM_NAME

// Splits "a:b" at the first colon.
bool SplitAtColon(std::wstring_view text, std::wstring_view& first, std::wstring_view& rest)
{
    const size_t colon = text.find(L':');
    if (colon == std::wstring_view::npos)
        return false;
    first = text.substr(0, colon);
    rest = text.substr(colon + 1);
    return true;
}

// "Function:N" followed, if wanted, by ":tail".
bool ParseFunctionNth(std::wstring_view text, std::wstring& function, unsigned& nth, std::wstring_view* tail)
{
    std::wstring_view name, rest, number;
    if (!SplitAtColon(text, name, rest))
        return false;
    number = rest;
    if (tail && !SplitAtColon(rest, number, *tail))
        return false;
    const std::optional<std::wstring> canonical = EntryPointName(name);
    if (!canonical || !ParseUnsigned(number, nth) || nth == 0)
        return false;
    function = *canonical;
    return true;
}

}  // namespace

const wchar_t* ConnectionModeName(ConnectionMode mode)
{
    return kModeNames[static_cast<int>(mode)];
}

std::optional<std::wstring> EntryPointName(std::wstring_view name)
{
    for (const wchar_t* known : kEntryPoints)
        if (EqualsNoCase(name, known))
            return std::wstring(known);
    return std::nullopt;
}

void DeviceSettings::ClearFaults()
{
    failNth.clear();
    failCalls.clear();
    failPaths.clear();
    signals.clear();
    delays.clear();
}

bool DeviceSettings::Apply(std::wstring_view setting, std::wstring* error)
{
    auto fail = [&](const wchar_t* expected) {
        if (error)
            *error = L"bad setting \"" + std::wstring(setting) + L"\": expected " + expected;
        return false;
    };
    if (setting == L"clear-faults") {
        ClearFaults();
        return true;
    }
    const size_t equals = setting.find(L'=');
    if (equals == std::wstring_view::npos)
        return fail(L"key=value");
    const std::wstring_view key = setting.substr(0, equals);
    const std::wstring_view value = setting.substr(equals + 1);
    std::wstring_view tail;
    if (key == L"connection") {
        for (int i = 0; i < 4; ++i)
            if (value == kModeNames[i]) {
                connection = static_cast<ConnectionMode>(i);
                return true;
            }
        return fail(L"answer, refuse, fail or silent");
    }
    if (key == L"latency-ms" || key == L"link-bps" || key == L"dpi" || key == L"fail-nth") {
        unsigned number = 0;
        if (!ParseUnsigned(value, number))
            return fail(L"a number");
        if (key == L"latency-ms")
            latencyMs = number;
        else if (key == L"link-bps")
            linkBytesPerSecond = number;
        else if (key == L"dpi")
            logPixelsX = static_cast<int>(number);
        else if (number > 0)
            failNth.push_back(number);
        else
            return fail(L"a call number from 1");
        return true;
    }
    if (key == L"fail-call") {
        CallFault fault;
        if (!ParseFunctionNth(value, fault.function, fault.nth, nullptr))
            return fail(L"Function:N");
        failCalls.push_back(fault);
        return true;
    }
    if (key == L"fail-path") {
        std::wstring_view name, path;
        std::optional<std::wstring> canonical;
        if (!SplitAtColon(value, name, path) || path.empty() || !(canonical = EntryPointName(name)))
            return fail(L"Function:Path");
        failPaths.push_back({*canonical, std::wstring(path)});
        return true;
    }
    if (key == L"signal") {
        CallSignal signal;
        if (!ParseFunctionNth(value, signal.function, signal.nth, &tail) || tail.empty())
            return fail(L"Function:N:EventName");
        signal.eventName = tail;
        signals.push_back(signal);
        return true;
    }
    if (key == L"delay") {
        CallDelay delay;
        if (!ParseFunctionNth(value, delay.function, delay.nth, &tail) || !ParseUnsigned(tail, delay.ms))
            return fail(L"Function:N:Milliseconds");
        delays.push_back(delay);
        return true;
    }
    return fail(L"connection, latency-ms, link-bps, dpi, fail-nth, fail-call, fail-path, signal, delay or clear-faults");
}

std::wstring DeviceSettings::Format() const
{
    std::wstring out = L"; Simulated handheld: qamosim set FOLDER key=value changes these.\r\n[handheld]\r\n";
    out += L"connection=" + std::wstring(ConnectionModeName(connection)) + L"\r\n";
    out += L"latency-ms=" + std::to_wstring(latencyMs) + L"\r\n";
    out += L"link-bps=" + std::to_wstring(linkBytesPerSecond) + L"\r\n";
    out += L"dpi=" + std::to_wstring(logPixelsX) + L"\r\n";
    out += L"\r\n[faults]\r\n";
    for (unsigned n : failNth)
        out += L"fail-nth=" + std::to_wstring(n) + L"\r\n";
    for (const CallFault& f : failCalls)
        out += L"fail-call=" + f.function + L':' + std::to_wstring(f.nth) + L"\r\n";
    for (const PathFault& f : failPaths)
        out += L"fail-path=" + f.function + L':' + f.path + L"\r\n";
    for (const CallSignal& s : signals)
        out += L"signal=" + s.function + L':' + std::to_wstring(s.nth) + L':' + s.eventName + L"\r\n";
    for (const CallDelay& d : delays)
        out += L"delay=" + d.function + L':' + std::to_wstring(d.nth) + L':' + std::to_wstring(d.ms) + L"\r\n";
    return out;
}

std::optional<DeviceSettings> DeviceSettings::Parse(std::wstring_view text, std::wstring* error)
{
    DeviceSettings settings;
    while (!text.empty()) {
        const size_t end = text.find(L'\n');
        std::wstring_view line = text.substr(0, end);
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
        while (!line.empty() && (line.back() == L'\r' || line.back() == L' '))
            line.remove_suffix(1);
        while (!line.empty() && line.front() == L' ')
            line.remove_prefix(1);
        if (line.empty() || line.front() == L';' || line.front() == L'[')
            continue;
        if (!settings.Apply(line, error))
            return std::nullopt;
    }
    return settings;
}

std::optional<DeviceSettings> DeviceSettings::Load(const std::wstring& folder, std::wstring* error)
{
    std::string bytes;
    if (!ReadWholeFile(InFolder(folder, kSettingsFile), bytes))
        return DeviceSettings{};
    return Parse(DecodeTextFile(bytes), error);
}

bool DeviceSettings::Save(const std::wstring& folder) const
{
    return ReplaceWholeFile(InFolder(folder, kSettingsFile), ToUtf8(Format()));
}

}  // namespace simhandheld
