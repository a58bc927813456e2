// The handheld's registry in memory, and registry.reg, which keeps it as regedit exports (README.md).
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace simhandheld {

struct RegValue {
    DWORD type = REG_NONE;
    std::string bytes;
    bool operator==(const RegValue& other) const { return type == other.type && bytes == other.bytes; }
};

RegValue StringValue(std::wstring_view text);  // REG_SZ with its terminator
RegValue DwordValue(DWORD value);

// "HKEY_LOCAL_MACHINE" for that predefined key, and so on; null for any other key.
const wchar_t* RootName(HKEY key);

class Registry {
public:
    Registry();
    // A missing file is an empty registry; one that cannot be read or parsed gives none, and why.
    static std::optional<Registry> Load(const std::wstring& file, std::wstring* error = nullptr);
    static std::optional<Registry> Parse(std::wstring_view text, std::wstring* error = nullptr);
    bool Save(const std::wstring& file) const;
    std::wstring Format() const;

    // Keys by full name ("HKEY_LOCAL_MACHINE\Platform"), compared without case; the roots always exist.
    bool KeyExists(std::wstring_view key) const { return Find(key) != nullptr; }
    // Creates the key and any missing parents; true if the key itself was new.
    bool CreateKey(std::wstring_view key);
    // Never a root; with its subkeys, or as Windows CE does, only a key without any.
    // ERROR_SUCCESS, ERROR_FILE_NOT_FOUND or ERROR_ACCESS_DENIED.
    LONG DeleteKey(std::wstring_view key, bool withSubkeys = false);

    std::optional<RegValue> GetValue(std::wstring_view key, std::wstring_view name) const;
    // False if the key does not exist.
    bool SetValue(std::wstring_view key, std::wstring_view name, RegValue value);

private:
    struct NoCase {
        bool operator()(const std::wstring& a, const std::wstring& b) const;
    };
    using Values = std::vector<std::pair<std::wstring, RegValue>>;
    const Values* Find(std::wstring_view key) const;

    std::map<std::wstring, Values, NoCase> m_keys;  // parents come before their subkeys
};

}  // namespace simhandheld
