#include "simhandheld/Records.h"

#include "simhandheld/Folder.h"
#include "simhandheld/Text.h"

#include <windows.h>

namespace simhandheld {
namespace {

// Tabs and line breaks would split a record; a value name may hold them.
std::wstring Field(std::wstring_view text)
{
    std::wstring out;
    for (wchar_t c : text) {
        wchar_t escaped[8] = {c, L'\0'};
        if (c < 0x20)
            wsprintfW(escaped, L"\\x%02X", static_cast<unsigned>(c));
        out += escaped;
    }
    return out;
}

std::vector<std::vector<std::wstring>> ReadTable(const std::wstring& file)
{
    std::string bytes;
    std::vector<std::vector<std::wstring>> rows;
    ReadWholeFile(file, bytes);
    for (std::wstring_view line : Lines(DecodeTextFile(bytes))) {
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

using Clock = void(WINAPI*)(LPFILETIME);

// Windows 8 and later have a precise clock; older ones the coarse one. Looked up as the library loads.
const Clock g_clock = [] {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const FARPROC precise = kernel ? GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime") : nullptr;
    return precise ? reinterpret_cast<Clock>(reinterpret_cast<void*>(precise)) : &GetSystemTimeAsFileTime;
}();

}  // namespace

long long WallClockMicros()
{
    FILETIME now;
    g_clock(&now);
    constexpr long long kUnixEpochTicks = 116444736000000000LL;
    return (static_cast<long long>(static_cast<unsigned long long>(now.dwHighDateTime) << 32 | now.dwLowDateTime) -
            kUnixEpochTicks) / 10;
}

std::string CallLine(const CallRecord& call)
{
    return ToUtf8(std::to_wstring(call.seq) + L'\t' + std::to_wstring(call.startMicros) + L'\t' +
                  std::to_wstring(call.endMicros) + L'\t' + Field(call.function) + L'\t' + Field(call.arguments) +
                  L'\t' + Field(call.result) + L'\t' + (call.faulted ? L"faulted" : call.failed ? L"failed" : L"ok") +
                  L"\r\n");
}

std::vector<CallRecord> ReadCalls(const std::wstring& folder)
{
    std::vector<CallRecord> calls;
    for (const auto& f : ReadTable(InFolder(folder, kCallsFile))) {
        unsigned seq = 0;
        if (f.size() == 7 && ParseUnsigned(f[0], seq))
            calls.push_back({seq, _wtoi64(f[1].c_str()), _wtoi64(f[2].c_str()), f[3], f[4], f[5], f[6] != L"ok",
                             f[6] == L"faulted"});
    }
    return calls;
}

bool AppendStarted(const std::wstring& folder, const StartedProgram& started)
{
    return AppendToFile(InFolder(folder, kStartedFile),
                        ToUtf8(Field(started.program) + L'\t' + Field(started.commandLine) + L"\r\n"));
}

std::vector<StartedProgram> ReadStarted(const std::wstring& folder)
{
    std::vector<StartedProgram> programs;
    for (auto& f : ReadTable(InFolder(folder, kStartedFile)))
        programs.push_back({f[0], f.size() > 1 ? f[1] : std::wstring()});
    return programs;
}

}  // namespace simhandheld
