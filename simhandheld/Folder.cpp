#include "simhandheld/Folder.h"

#include "simhandheld/Text.h"

#include <windows.h>

#include <algorithm>

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
    for (size_t done = 0; done < bytes.size(); done += written) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
    }
    return true;
}

// FILE_APPEND_DATA alone makes every write land at the end, even with writers in other processes.
bool WriteNew(const std::wstring& path, DWORD access, DWORD disposition, const std::string& bytes)
{
    const HANDLE file = Open(path, access, disposition);
    const bool ok = file != INVALID_HANDLE_VALUE && WriteAll(file, bytes);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return ok;
}

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

bool ReplaceWholeFile(const std::wstring& path, const std::string& bytes)
{
    const std::wstring temporary = path + L".new";
    if (WriteNew(temporary, GENERIC_WRITE, CREATE_ALWAYS, bytes) &&
        MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

bool AppendToFile(const std::wstring& path, const std::string& bytes)
{
    return WriteNew(path, FILE_APPEND_DATA, OPEN_ALWAYS, bytes);
}

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

bool IsDirectory(const std::wstring& path)
{
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path)
{
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
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

bool RemoveTree(const std::wstring& path)
{
    if (IsDirectory(path)) {
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
            if (std::wstring name = found.cFileName; name != L"." && name != L"..")
                RemoveTree(InFolder(path, name.c_str()));
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        return RemoveDirectoryW(path.c_str()) != FALSE;
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return (DeleteFileW(path.c_str()) != FALSE) || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace simhandheld
