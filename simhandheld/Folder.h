// The desktop folder that holds one simulated handheld (see README.md), the file operations on it,
// its records, and the text helpers the folder format, the library and the console tool share (Text.cpp).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace simhandheld {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);  // what is not UTF-8 becomes U+FFFD
std::string ToUtf16(std::wstring_view text);      // as Windows keeps it in memory and in files
std::wstring FromUtf16(std::string_view bytes);  // an odd last byte is dropped
// A file edited by hand: UTF-16LE after its byte-order mark, else UTF-8 (mark optional). None, and
// the first line that is neither, for anything else, such as a code page's text.
std::optional<std::wstring> DecodeTextFile(std::string_view bytes, std::wstring* error = nullptr);

// Upper case unit by unit with the invariant table, as an ordinal comparison that ignores case
// sees a text (CompareStringOrdinal itself needs Vista).
std::wstring UpperInvariant(std::wstring_view text);
// Case-insensitive as Windows CE compares file, key and value names.
inline bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && UpperInvariant(a) == UpperInvariant(b);
}

// The lines of a text, without their line ends.
std::vector<std::wstring> Lines(std::wstring_view text);
std::wstring AtLine(size_t index);  // "line 3: " for index 2, as an error names where it is

// Splits "a\b\\c" into its non-empty components.
std::wstring_view NextComponent(std::wstring_view& path);

std::wstring NumberText(unsigned long long value, bool hex = false);  // hex: "0x1A"

// Decimal digits only, no sign; false on anything else or overflow.
bool ParseUnsigned(std::wstring_view text, unsigned& value);

inline constexpr wchar_t kFilesFolder[] = L"files";
inline constexpr wchar_t kRegistryFile[] = L"registry.reg";
inline constexpr wchar_t kSettingsFile[] = L"device.ini";
inline constexpr wchar_t kStartedFile[] = L"started.txt";
inline constexpr wchar_t kCallsFile[] = L"calls.log";

// The environment variable that names the folder the library serves.
inline constexpr wchar_t kHandheldVariable[] = L"QAMOVUP_HANDHELD";

std::wstring InFolder(const std::wstring& folder, const wchar_t* name);

// The desktop path of a handheld path ("\Storage Card\x.cab"); none unless the path is rooted at
// "\" and stays inside the handheld (no "." or ".." components, no drive or stream colons).
std::optional<std::wstring> DesktopPath(const std::wstring& folder, std::wstring_view handheldPath);

bool ReadWholeFile(const std::wstring& path, std::string& bytes);
// A file edited by hand (DecodeTextFile); none, and why, if it cannot be read or decoded.
std::optional<std::wstring> ReadTextFile(const std::wstring& path, std::wstring* error);
// Writes beside the target and renames, so that a reader in another process never sees half a file.
bool ReplaceWholeFile(const std::wstring& path, const std::string& bytes);
bool AppendToFile(const std::wstring& path, const std::string& bytes);

// A file held open for appending, shared with every reader and writer: each append is then one
// write, not an open, a write and a close.
class Appender {
public:
    Appender() = default;
    ~Appender() { Close(); }
    Appender(const Appender&) = delete;
    Appender& operator=(const Appender&) = delete;

    bool Open(const std::wstring& path);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }
    bool Append(const std::string& bytes) const;

private:
    HANDLE m_file = nullptr;
};

bool Exists(const std::wstring& path);
bool IsDirectory(const std::wstring& path);
bool IsFile(const std::wstring& path);
bool IsReadOnlyFile(const std::wstring& path);
bool SetReadOnlyFile(const std::wstring& path, bool readOnly);
bool CreateDirectories(const std::wstring& path);
// What a desktop folder holds, without "." and "..".
std::vector<WIN32_FIND_DATAW> FolderEntries(const std::wstring& path);
// Removes a file or a whole folder, read-only files included; true if nothing is left.
bool RemoveTree(const std::wstring& path);

// What the handheld records: calls.log, every remote call, and started.txt, every program started.
struct CallRecord {
    unsigned seq = 0;
    long long startMicros = 0;
    long long endMicros = 0;
    std::wstring function;
    std::wstring arguments;
    std::wstring result;
    bool failed = false;   // the call reported failure
    bool faulted = false;  // because device.ini told it to
};

struct StartedProgram {
    std::wstring program;
    std::wstring commandLine;
};

// Microseconds since 1970-01-01 UTC, comparable between processes.
long long WallClockMicros();

std::string CallLine(const CallRecord& call);  // one line of calls.log, in UTF-8
std::vector<CallRecord> ReadCalls(const std::wstring& folder);
bool AppendStarted(const std::wstring& folder, const StartedProgram& started);
std::vector<StartedProgram> ReadStarted(const std::wstring& folder);

}  // namespace simhandheld
