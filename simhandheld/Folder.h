// The desktop folder that holds one simulated handheld (see README.md), and the file operations on it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace simhandheld {

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
    void* m_file = nullptr;  // the file's HANDLE
};

bool IsDirectory(const std::wstring& path);
bool IsFile(const std::wstring& path);
bool IsReadOnlyFile(const std::wstring& path);
bool SetReadOnlyFile(const std::wstring& path, bool readOnly);
bool CreateDirectories(const std::wstring& path);
// Removes a file or a whole folder, read-only files included; true if nothing is left.
bool RemoveTree(const std::wstring& path);

}  // namespace simhandheld
