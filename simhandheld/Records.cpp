#include "simhandheld/Records.h"

#include "simhandheld/Folder.h"
#include "simhandheld/Text.h"

#include <windows.h>

#include <string_view>

namespace simhandheld {
namespace {

// Tabs and line breaks would split a record; a value name may hold them.
std::wstring Field(std::wstring_view text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c < 0x20) {
            wchar_t escaped[8];
            wsprintfW(escaped, L"\\x%02X", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::vector<std::wstring>> ReadTable(const std::wstring& file)
{
    std::string bytes;
    std::vector<std::vector<std::wstring>> rows;
    if (!ReadWholeFile(file, bytes))
        return rows;
    const std::wstring text = DecodeTextFile(bytes);
    std::wstring_view rest = text;
    while (!rest.empty()) {
        const size_t end = rest.find(L'\n');
        std::wstring_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::wstring_view::npos ? rest.size() : end + 1);
        if (!line.empty() && line.back() == L'\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        std::vector<std::wstring> fields;
        for (size_t tab; (tab = line.find(L'\t')) != std::wstring_view::npos; line.remove_prefix(tab + 1))
            fields.emplace_back(line.substr(0, tab));
        fields.emplace_back(line);
        rows.push_back(std::move(fields));
    }
    return rows;
}

using PreciseClock = void(WINAPI*)(LPFILETIME);

PreciseClock FindPreciseClock()
{
    // Windows 8 and later; Windows 7 falls back to the coarse clock.
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC proc = kernel ? GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime") : nullptr;
    return proc ? reinterpret_cast<PreciseClock>(reinterpret_cast<void*>(proc)) : &GetSystemTimeAsFileTime;
}

// Looked up once, while the library loads.
const PreciseClock g_preciseClock = FindPreciseClock();

std::string CallLine(const CallRecord& call)
{
    const std::wstring line = std::to_wstring(call.seq) + L'\t' + std::to_wstring(call.startMicros) + L'\t' +
                              std::to_wstring(call.endMicros) + L'\t' + Field(call.function) + L'\t' +
                              Field(call.arguments) + L'\t' + Field(call.result) + L'\t' +
                              (call.faulted ? L"faulted" : call.failed ? L"failed" : L"ok") + L"\r\n";
    return ToUtf8(line);
}

}  // namespace

long long WallClockMicros()
{
    FILETIME now;
    g_preciseClock(&now);
    const long long ticks = static_cast<long long>(static_cast<unsigned long long>(now.dwHighDateTime) << 32 |
                                                   now.dwLowDateTime);
    constexpr long long kUnixEpochTicks = 116444736000000000LL;
    return (ticks - kUnixEpochTicks) / 10;
}

bool AppendCall(const std::wstring& folder, const CallRecord& call)
{
    return AppendToFile(InFolder(folder, kCallsFile), CallLine(call));
}

bool AppendCall(const Appender& log, const CallRecord& call)
{
    return log.Append(CallLine(call));
}

std::vector<CallRecord> ReadCalls(const std::wstring& folder)
{
    std::vector<CallRecord> calls;
    for (const auto& f : ReadTable(InFolder(folder, kCallsFile))) {
        if (f.size() != 7)
            continue;
        CallRecord call;
        unsigned seq = 0;
        ParseUnsigned(f[0], seq);
        call.seq = seq;
        call.startMicros = _wtoi64(f[1].c_str());
        call.endMicros = _wtoi64(f[2].c_str());
        call.function = f[3];
        call.arguments = f[4];
        call.result = f[5];
        call.faulted = f[6] == L"faulted";
        call.failed = f[6] != L"ok";
        calls.push_back(std::move(call));
    }
    return calls;
}

bool AppendStarted(const std::wstring& folder, const StartedProgram& started)
{
    const std::wstring line = Field(started.program) + L'\t' + Field(started.commandLine) + L"\r\n";
    return AppendToFile(InFolder(folder, kStartedFile), ToUtf8(line));
}

std::vector<StartedProgram> ReadStarted(const std::wstring& folder)
{
    std::vector<StartedProgram> programs;
    for (auto& f : ReadTable(InFolder(folder, kStartedFile)))
        programs.push_back({f[0], f.size() > 1 ? f[1] : std::wstring()});
    return programs;
}

}  // namespace simhandheld
