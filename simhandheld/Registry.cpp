#include "simhandheld/Registry.h"

#include "simhandheld/Folder.h"
#include "simhandheld/Text.h"

#include <cstring>

namespace simhandheld {
namespace {

constexpr wchar_t kHeader[] = L"Windows Registry Editor Version 5.00";

const std::pair<HKEY, const wchar_t*> kRoots[] = {
    {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, L"HKEY_USERS"},
};

// The key's name as "ROOT\a\b", with the root spelt as regedit spells it; none for another root.
std::optional<std::wstring> Canonical(std::wstring_view key)
{
    std::wstring_view root = NextComponent(key);
    std::wstring name;
    for (const auto& [hkey, rootName] : kRoots)
        if (EqualsNoCase(root, rootName))
            name = rootName;
    if (name.empty())
        return std::nullopt;
    for (std::wstring_view part = NextComponent(key); !part.empty(); part = NextComponent(key))
        name += L'\\' + std::wstring(part);
    return name;
}

std::wstring Quote(std::wstring_view text)
{
    std::wstring out = L"\"";
    for (wchar_t c : text)
        out += c == L'\\' || c == L'"' ? std::wstring{L'\\', c} : std::wstring(1, c);
    return out + L'"';
}

// Reads a quoted text from the front of s, undoing the \\ and \" escapes.
bool TakeQuoted(std::wstring_view& s, std::wstring& out)
{
    if (s.empty() || s.front() != L'"')
        return false;
    out.clear();
    for (size_t i = 1; i < s.size(); ++i) {
        if (s[i] == L'"') {
            s.remove_prefix(i + 1);
            return true;
        }
        if (s[i] == L'\\' && i + 1 < s.size())
            ++i;
        out += s[i];
    }
    return false;
}

// Text form only for a string that reads back the same: exactly one terminator, no control characters.
bool IsPlainString(const RegValue& value)
{
    if (value.type != REG_SZ || value.bytes.size() < 2 || value.bytes.size() % 2 != 0)
        return false;
    const std::wstring units = FromUtf16(value.bytes);
    for (size_t i = 0; i < units.size(); ++i)
        if (i + 1 == units.size() ? units[i] != 0 : units[i] < 0x20)
            return false;
    return true;
}

std::wstring HexData(const RegValue& value)
{
    wchar_t text[24];
    wsprintfW(text, L"hex(%lx):", static_cast<unsigned long>(value.type));
    std::wstring out = text;
    for (size_t i = 0; i < value.bytes.size(); ++i) {
        wsprintfW(text, i == 0 ? L"%02x" : L",%02x", static_cast<unsigned>(static_cast<unsigned char>(value.bytes[i])));
        out += text;
    }
    return out;
}

std::wstring FormatData(const RegValue& value)
{
    if (IsPlainString(value))
        return Quote(FromUtf16(value.bytes.substr(0, value.bytes.size() - 2)));
    if (value.type == REG_DWORD && value.bytes.size() == 4) {
        DWORD d = 0;
        std::memcpy(&d, value.bytes.data(), 4);
        wchar_t text[16];
        wsprintfW(text, L"dword:%08lx", static_cast<unsigned long>(d));
        return text;
    }
    return HexData(value);
}

bool ParseHex(std::wstring_view s, size_t maxDigits, unsigned long& value)
{
    value = 0;
    if (s.empty() || s.size() > maxDigits)
        return false;
    for (wchar_t c : s) {
        const wchar_t lower = c | 0x20;
        const int digit = c >= L'0' && c <= L'9' ? c - L'0' : lower >= L'a' && lower <= L'f' ? lower - L'a' + 10 : -1;
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<unsigned long>(digit);
    }
    return true;
}

std::optional<RegValue> ParseData(std::wstring_view data)
{
    std::wstring text;
    unsigned long number = 0;
    if (TakeQuoted(data, text))
        return data.empty() ? std::optional<RegValue>(StringValue(text)) : std::nullopt;
    if (data.substr(0, 6) == L"dword:")
        return ParseHex(data.substr(6), 8, number) ? std::optional<RegValue>(DwordValue(number)) : std::nullopt;
    const size_t close = data.find(L"):");
    if (data.substr(0, 4) != L"hex(" || close == std::wstring_view::npos || !ParseHex(data.substr(4, close - 4), 8, number))
        return std::nullopt;
    RegValue value{static_cast<DWORD>(number), {}};
    for (data.remove_prefix(close + 2); !data.empty();) {
        if (!value.bytes.empty() && data.front() == L',')
            data.remove_prefix(1);
        unsigned long byte = 0;
        if (!ParseHex(data.substr(0, 2), 2, byte) || data.size() == 1)
            return std::nullopt;
        value.bytes += static_cast<char>(byte);
        data.remove_prefix(2);
    }
    return value;
}

}  // namespace

RegValue StringValue(std::wstring_view text)
{
    return RegValue{REG_SZ, ToUtf16(text) + std::string(2, '\0')};
}

RegValue DwordValue(DWORD value)
{
    RegValue dword{REG_DWORD, std::string(4, '\0')};
    std::memcpy(dword.bytes.data(), &value, 4);
    return dword;
}

const wchar_t* RootName(HKEY key)
{
    for (const auto& [hkey, name] : kRoots)
        if (hkey == key)
            return name;
    return nullptr;
}

Registry::Registry()
{
    for (const auto& [hkey, name] : kRoots)
        m_keys[UpperInvariant(name)] = Key{name, {}};
}

std::optional<Registry> Registry::Load(const std::wstring& file, std::wstring* error)
{
    std::string bytes;
    if (ReadWholeFile(file, bytes))
        return Parse(DecodeTextFile(bytes), error);
    if (IsFile(file)) {
        if (error)
            *error = L"cannot read " + file;
        return std::nullopt;
    }
    return Registry{};
}

std::optional<Registry> Registry::Parse(std::wstring_view text, std::wstring* error)
{
    Registry registry;
    const std::vector<std::wstring> lines = Lines(text);
    std::optional<std::wstring> key;
    auto fail = [&](size_t line, const wchar_t* why) -> std::optional<Registry> {
        if (error)
            *error = L"line " + std::to_wstring(line + 1) + L": " + why;
        return std::nullopt;
    };
    if (lines.empty() || lines[0] != kHeader)
        return fail(0, L"not a registry file");
    for (size_t i = 1; i < lines.size(); ++i) {
        std::wstring_view line = lines[i];
        if (line.empty())
            continue;
        if (line.front() == L'[') {
            if (line.back() != L']' || !(key = Canonical(line.substr(1, line.size() - 2))))
                return fail(i, L"not a key of HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE or HKEY_USERS");
            registry.CreateKey(*key);
            continue;
        }
        std::wstring name;
        if (!key)
            return fail(i, L"value outside a key");
        if (line.front() == L'@')
            line.remove_prefix(1);
        else if (!TakeQuoted(line, name))
            return fail(i, L"bad value name");
        std::optional<RegValue> value;
        if (line.empty() || line.front() != L'=' || !(value = ParseData(line.substr(1))))
            return fail(i, L"bad value data");
        registry.SetValue(*key, name, std::move(*value));
    }
    return registry;
}

bool Registry::Save(const std::wstring& file) const
{
    return ReplaceWholeFile(file, "\xFF\xFE" + ToUtf16(Format()));
}

std::wstring Registry::Format() const
{
    std::wstring out = kHeader + std::wstring(L"\r\n\r\n");
    // Every key but an empty root, so that an empty key survives a reload.
    for (const auto& [upper, key] : m_keys) {
        if (key.values.empty() && upper.find(L'\\') == std::wstring::npos)
            continue;
        out += L'[' + key.name + L"]\r\n";
        for (const auto& [name, value] : key.values)
            out += (name.empty() ? L"@" : Quote(name)) + L'=' + FormatData(value) + L"\r\n";
        out += L"\r\n";
    }
    return out;
}

const Registry::Key* Registry::Find(std::wstring_view key) const
{
    const std::optional<std::wstring> name = Canonical(key);
    const auto it = name ? m_keys.find(UpperInvariant(*name)) : m_keys.end();
    return it != m_keys.end() ? &it->second : nullptr;
}

bool Registry::KeyExists(std::wstring_view key) const
{
    return Find(key) != nullptr;
}

bool Registry::CreateKey(std::wstring_view key)
{
    const std::optional<std::wstring> name = Canonical(key);
    if (!name)
        return false;
    bool created = false;
    size_t end = 0;
    do {
        end = name->find(L'\\', end + 1);
        const std::wstring part = name->substr(0, end);
        created = m_keys.emplace(UpperInvariant(part), Key{part, {}}).second;
    } while (end != std::wstring::npos);
    return created;
}

LONG Registry::DeleteKey(std::wstring_view key)
{
    const Key* found = Find(key);
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    const std::wstring prefix = UpperInvariant(found->name) + L'\\';
    const auto next = m_keys.upper_bound(prefix);
    if (found->name.find(L'\\') == std::wstring::npos || (next != m_keys.end() && next->first.compare(0, prefix.size(), prefix) == 0))
        return ERROR_ACCESS_DENIED;
    DeleteTree(key);
    return ERROR_SUCCESS;
}

void Registry::DeleteTree(std::wstring_view key)
{
    const Key* found = Find(key);
    if (!found || found->name.find(L'\\') == std::wstring::npos)
        return;
    const std::wstring upper = UpperInvariant(found->name);
    auto it = m_keys.find(upper);
    while (it != m_keys.end() && (it->first == upper || it->first.compare(0, upper.size() + 1, upper + L'\\') == 0))
        it = m_keys.erase(it);
}

std::optional<RegValue> Registry::GetValue(std::wstring_view key, std::wstring_view name) const
{
    if (const Key* found = Find(key))
        for (const auto& [n, value] : found->values)
            if (EqualsNoCase(n, name))
                return value;
    return std::nullopt;
}

bool Registry::SetValue(std::wstring_view key, std::wstring_view name, RegValue value)
{
    Key* found = const_cast<Key*>(Find(key));
    if (!found)
        return false;
    for (auto& [n, v] : found->values)
        if (EqualsNoCase(n, name)) {
            v = std::move(value);
            return true;
        }
    found->values.emplace_back(std::wstring(name), std::move(value));
    return true;
}

}  // namespace simhandheld
