#include "simhandheld/Folder.h"

namespace simhandheld {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE Open(const std::wstring& path, DWORD access, DWORD disposition)
{
    return CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteAll(HANDLE file, const std::string& bytes)
{
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
}

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
    for (std::wstring_view line : Lines(FromUtf8(bytes))) {
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

std::wstring InFolder(const std::wstring& folder, const wchar_t* name)
{
    return folder + (folder.empty() || folder.back() == L'\\' || folder.back() == L'/' ? L"" : L"\\") + name;
}

std::optional<std::wstring> DesktopPath(const std::wstring& folder, std::wstring_view handheldPath)
{
    if (handheldPath.empty() || handheldPath.front() != L'\\')
        return std::nullopt;
    std::wstring path = InFolder(folder, kFilesFolder);
    for (std::wstring_view part = NextComponent(handheldPath); !part.empty(); part = NextComponent(handheldPath)) {
        if (part == L"." || part == L".." || part.find_first_of(L":/") != std::wstring_view::npos)
            return std::nullopt;
        path += L'\\' + std::wstring(part);
    }
    return path;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes)
{
    const HANDLE file = Open(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.clear();
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = (ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE)) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return ok;
}

std::optional<std::wstring> ReadTextFile(const std::wstring& path, std::wstring* error)
{
    std::string bytes;
    if (ReadWholeFile(path, bytes))
        return DecodeTextFile(bytes, error);
    if (error)
        *error = L"cannot read it";
    return std::nullopt;
}

bool ReplaceWholeFile(const std::wstring& path, const std::string& bytes)
{
    const std::wstring temporary = path + L".new";
    const HANDLE file = Open(temporary, GENERIC_WRITE, CREATE_ALWAYS);
    const bool written = file != INVALID_HANDLE_VALUE && WriteAll(file, bytes);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (written && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

bool AppendToFile(const std::wstring& path, const std::string& bytes)
{
    Appender file;
    return file.Open(path) && file.Append(bytes);
}

// FILE_APPEND_DATA alone makes every write land at the end, even with writers in other processes.
bool Appender::Open(const std::wstring& path)
{
    Close();
    const HANDLE file = simhandheld::Open(path, FILE_APPEND_DATA, OPEN_ALWAYS);
    m_file = file != INVALID_HANDLE_VALUE ? file : nullptr;
    return m_file != nullptr;
}

void Appender::Close()
{
    if (m_file != nullptr)
        CloseHandle(m_file);
    m_file = nullptr;
}

bool Appender::Append(const std::string& bytes) const
{
    return m_file != nullptr && WriteAll(m_file, bytes);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::wstring& path)
{
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path)
{
    return Exists(path) && !IsDirectory(path);
}

bool IsReadOnlyFile(const std::wstring& path)
{
    return IsFile(path) && (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
}

bool SetReadOnlyFile(const std::wstring& path, bool readOnly)
{
    const DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD kept = a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    const DWORD changed = readOnly ? kept | FILE_ATTRIBUTE_READONLY : kept;
    return SetFileAttributesW(path.c_str(), changed ? changed : FILE_ATTRIBUTE_NORMAL) != FALSE;
}

bool CreateDirectories(const std::wstring& path)
{
    if (IsDirectory(path))
        return true;
    const size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash > 0 && path[slash - 1] != L':' &&
        !CreateDirectories(path.substr(0, slash)))
        return false;
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::vector<WIN32_FIND_DATAW> FolderEntries(const std::wstring& path)
{
    std::vector<WIN32_FIND_DATAW> entries;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        if (std::wstring_view name = found.cFileName; name != L"." && name != L"..")
            entries.push_back(found);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return entries;
}

bool RemoveTree(const std::wstring& path)
{
    if (IsDirectory(path)) {
        for (const WIN32_FIND_DATAW& entry : FolderEntries(path))
            RemoveTree(InFolder(path, entry.cFileName));
        return RemoveDirectoryW(path.c_str()) != FALSE;
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return (DeleteFileW(path.c_str()) != FALSE) || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

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
