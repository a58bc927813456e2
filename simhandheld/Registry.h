// The handheld's registry in memory, and its file in the .reg format regedit writes
// ("Windows Registry Editor Version 5.00", UTF-16LE with a byte-order mark).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace simhandheld {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

std::optional<RegRoot> RootOf(HKEY key);
HKEY HkeyOf(RegRoot root);
const wchar_t* RootName(RegRoot root);

struct RegValue {
    DWORD type = REG_NONE;
    std::string bytes;
    bool operator==(const RegValue& other) const { return type == other.type && bytes == other.bytes; }
};

RegValue StringValue(std::wstring_view text);  // REG_SZ with its terminator
RegValue DwordValue(DWORD value);

// NOLINTNEXTLINE(bugprone-reserved-identifier): clang-tidy 14 reports the copy loop the compiler writes for m_roots.
class Registry {
public:
    // A missing file is an empty registry; a file that does not parse gives none and the reason.
    static std::optional<Registry> Load(const std::wstring& file, std::wstring* error = nullptr);
    static std::optional<Registry> Parse(std::wstring_view text, std::wstring* error = nullptr);
    bool Save(const std::wstring& file) const;
    std::wstring Format() const;

    // Key paths are relative to the root, components separated by "\", compared without case.
    bool KeyExists(RegRoot root, std::wstring_view path) const;
    // Creates the key and any missing parents; true if the key itself was new.
    bool CreateKey(RegRoot root, std::wstring_view path);
    // As Windows CE: only a key without subkeys. ERROR_SUCCESS, ERROR_FILE_NOT_FOUND or ERROR_ACCESS_DENIED.
    LONG DeleteKey(RegRoot root, std::wstring_view path);
    void DeleteTree(RegRoot root, std::wstring_view path);

    std::optional<RegValue> GetValue(RegRoot root, std::wstring_view path, std::wstring_view name) const;
    // False if the key does not exist.
    bool SetValue(RegRoot root, std::wstring_view path, std::wstring_view name, RegValue value);
    void DeleteValue(RegRoot root, std::wstring_view path, std::wstring_view name);

    std::vector<std::wstring> SubkeyNames(RegRoot root, std::wstring_view path) const;
    std::vector<std::pair<std::wstring, RegValue>> Values(RegRoot root, std::wstring_view path) const;

private:
    struct Key {
        std::wstring name;
        std::vector<std::pair<std::wstring, RegValue>> values;
        std::vector<Key> subkeys;
    };

    const Key* Find(RegRoot root, std::wstring_view path) const;
    Key* Find(RegRoot root, std::wstring_view path);
    static void FormatKey(const Key& key, const std::wstring& fullName, bool isRoot, std::wstring& out);

    Key m_roots[4];
};

// A value's data as text for people: strings as text, DWORDs in decimal and hex, others as hex bytes.
std::wstring DescribeValue(const RegValue& value);

}  // namespace simhandheld
