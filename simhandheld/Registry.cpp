#include "simhandheld/Registry.h"

#include "simhandheld/Folder.h"

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

std::wstring FormatData(const RegValue& value)
{
    // Text form only for a string that reads back the same: exactly one terminator, no control characters.
    const std::wstring units = FromUtf16(value.bytes);
    bool plain = value.type == REG_SZ && value.bytes.size() >= 2 && value.bytes.size() % 2 == 0;
    for (size_t i = 0; plain && i < units.size(); ++i)
        plain = i + 1 == units.size() ? units[i] == 0 : units[i] >= 0x20;
    if (plain)
        return Quote(std::wstring_view(units).substr(0, units.size() - 1));
    wchar_t text[24];
    if (value.type == REG_DWORD && value.bytes.size() == 4) {
        DWORD d = 0;
        std::memcpy(&d, value.bytes.data(), 4);
        wsprintfW(text, L"dword:%08lx", static_cast<unsigned long>(d));
        return text;
    }
    wsprintfW(text, L"hex(%lx):", static_cast<unsigned long>(value.type));
    std::wstring out = text;
    for (size_t i = 0; i < value.bytes.size(); ++i) {
        wsprintfW(text, i == 0 ? L"%02x" : L",%02x", static_cast<unsigned>(static_cast<unsigned char>(value.bytes[i])));
        out += text;
    }
    return out;
}

bool ParseHex(std::wstring_view s, size_t maxDigits, unsigned long& value)
{
    value = 0;
    for (wchar_t c : s)
        value = value * 16 + static_cast<unsigned long>(c <= L'9' ? c - L'0' : (c | 0x20) - L'a' + 10);
    return !s.empty() && s.size() <= maxDigits && s.find_first_not_of(L"0123456789abcdefABCDEF") == std::wstring_view::npos;
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
    for (data.remove_prefix(close + 2); !data.empty(); data.remove_prefix(data.size() > 2 ? 3 : data.size())) {
        unsigned long byte = 0;
        if (!ParseHex(data.substr(0, 2), 2, byte) || (data.size() > 2 && data[2] != L','))
            return std::nullopt;
        value.bytes += static_cast<char>(byte);
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

bool Registry::NoCase::operator()(const std::wstring& a, const std::wstring& b) const
{
    return UpperInvariant(a) < UpperInvariant(b);
}

Registry::Registry()
{
    for (const auto& [hkey, name] : kRoots)
        m_keys[name];
}

std::optional<Registry> Registry::Load(const std::wstring& file, std::wstring* error)
{
    if (!IsFile(file))
        return Registry{};
    const std::optional<std::wstring> text = ReadTextFile(file, error);
    std::optional<Registry> registry = text ? Parse(*text, error) : std::nullopt;
    if (!registry && error)
        *error = file + L": " + *error;
    return registry;
}

std::optional<Registry> Registry::Parse(std::wstring_view text, std::wstring* error)
{
    Registry registry;
    const std::vector<std::wstring> lines = Lines(text);
    std::optional<std::wstring> key;
    for (size_t i = 0; i < lines.size() || i == 0; ++i) {
        std::wstring_view line = i < lines.size() ? std::wstring_view(lines[i]) : std::wstring_view();
        std::wstring name;
        std::optional<RegValue> value;
        if (i == 0 ? line == kHeader : line.empty())
            continue;
        if (i > 0 && line.front() == L'[' && line.back() == L']' && (key = Canonical(line.substr(1, line.size() - 2)))) {
            registry.CreateKey(*key);
            continue;
        }
        const bool named = i > 0 && (line.front() == L'@' ? (line.remove_prefix(1), true) : TakeQuoted(line, name));
        if (key && named && !line.empty() && line.front() == L'=' && (value = ParseData(line.substr(1)))) {
            registry.SetValue(*key, name, std::move(*value));
            continue;
        }
        if (error)
            *error = AtLine(i) + L"not the header, a [key] of a root or a \"name\"=value";
        return std::nullopt;
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
    for (const auto& [key, values] : m_keys) {
        if (values.empty() && key.find(L'\\') == std::wstring::npos)
            continue;
        out += L'[' + key + L"]\r\n";
        for (const auto& [name, value] : values)
            out += (name.empty() ? L"@" : Quote(name)) + L'=' + FormatData(value) + L"\r\n";
        out += L"\r\n";
    }
    return out;
}

const Registry::Values* Registry::Find(std::wstring_view key) const
{
    const std::optional<std::wstring> name = Canonical(key);
    const auto it = name ? m_keys.find(*name) : m_keys.end();
    return it != m_keys.end() ? &it->second : nullptr;
}

bool Registry::CreateKey(std::wstring_view key)
{
    const std::optional<std::wstring> name = Canonical(key);
    bool created = false;
    for (size_t end = 0; name && end != std::wstring::npos;) {
        end = name->find(L'\\', end + 1);
        created = m_keys.emplace(name->substr(0, end), Values{}).second;
    }
    return created;
}

LONG Registry::DeleteKey(std::wstring_view key, bool withSubkeys)
{
    const std::optional<std::wstring> name = Canonical(key);
    const auto found = name ? m_keys.find(*name) : m_keys.end();
    if (found == m_keys.end())
        return ERROR_FILE_NOT_FOUND;
    const std::wstring prefix = UpperInvariant(found->first + L'\\');
    auto end = std::next(found);
    while (end != m_keys.end() && UpperInvariant(end->first).compare(0, prefix.size(), prefix) == 0)
        ++end;
    if (name->find(L'\\') == std::wstring::npos || (!withSubkeys && end != std::next(found)))
        return ERROR_ACCESS_DENIED;
    m_keys.erase(found, end);
    return ERROR_SUCCESS;
}

std::optional<RegValue> Registry::GetValue(std::wstring_view key, std::wstring_view name) const
{
    if (const Values* values = Find(key))
        for (const auto& [n, value] : *values)
            if (EqualsNoCase(n, name))
                return value;
    return std::nullopt;
}

bool Registry::SetValue(std::wstring_view key, std::wstring_view name, RegValue value)
{
    auto* values = const_cast<Values*>(Find(key));
    if (!values)
        return false;
    for (auto& [n, v] : *values)
        if (EqualsNoCase(n, name)) {
            v = std::move(value);
            return true;
        }
    values->emplace_back(std::wstring(name), std::move(value));
    return true;
}

}  // namespace simhandheld
