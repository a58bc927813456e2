#include "simhandheld/Folder.h"

#include "simhandheld/Text.h"

#include <windows.h>

#include <algorithm>

namespace simhandheld {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

DWORD Attributes(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str());
}

bool WriteAll(HANDLE file, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool WriteNew(const std::wstring& path, DWORD access, DWORD disposition, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = WriteAll(file, bytes);
    CloseHandle(file);
    return ok;
}

}  // namespace

std::wstring InFolder(const std::wstring& folder, const wchar_t* name)
{
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
        path += L'\\';
    return path + name;
}

std::optional<std::wstring> DesktopPath(const std::wstring& folder, std::wstring_view handheldPath)
{
    if (handheldPath.empty() || handheldPath.front() != L'\\')
        return std::nullopt;
    std::wstring path = InFolder(folder, kFilesFolder);
    std::wstring_view rest = handheldPath;
    for (std::wstring_view part = NextComponent(rest); !part.empty(); part = NextComponent(rest)) {
        if (part == L"." || part == L".." || part.find_first_of(L":/") != std::wstring_view::npos)
            return std::nullopt;
        path += L'\\';
        path += part;
    }
    return path;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
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

bool ReplaceWholeFile(const std::wstring& path, const std::string& bytes)
{
    const std::wstring temporary = path + L".new";
    if (!WriteNew(temporary, GENERIC_WRITE, CREATE_ALWAYS, bytes))
        return false;
    if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

// FILE_APPEND_DATA alone makes every write land at the end, even with writers in other processes.
bool AppendToFile(const std::wstring& path, const std::string& bytes)
{
    return WriteNew(path, FILE_APPEND_DATA, OPEN_ALWAYS, bytes);
}

bool Appender::Open(const std::wstring& path)
{
    Close();
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
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

bool IsDirectory(const std::wstring& path)
{
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path)
{
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsReadOnlyFile(const std::wstring& path)
{
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY) && (a & FILE_ATTRIBUTE_READONLY);
}

bool SetReadOnlyFile(const std::wstring& path, bool readOnly)
{
    const DWORD a = Attributes(path);
    if (a == INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD changed = readOnly ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~FILE_ATTRIBUTE_READONLY);
    changed &= FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
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

bool RemoveTree(const std::wstring& path)
{
    const DWORD a = Attributes(path);
    if (a == INVALID_FILE_ATTRIBUTES)
        return true;
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileW(path.c_str()) != FALSE;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                RemoveTree(path + L'\\' + name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(path.c_str()) != FALSE;
}

}  // namespace simhandheld
