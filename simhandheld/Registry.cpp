#include "simhandheld/Registry.h"

#include "simhandheld/Folder.h"
#include "simhandheld/Text.h"

#include <cwctype>

namespace simhandheld {
namespace {

constexpr wchar_t kHeader[] = L"Windows Registry Editor Version 5.00";

struct RootInfo {
    RegRoot root;
    HKEY hkey;
    const wchar_t* name;
    const wchar_t* shortName;
};

const RootInfo kRoots[] = {
    {RegRoot::ClassesRoot, HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT", L"HKCR"},
    {RegRoot::CurrentUser, HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", L"HKCU"},
    {RegRoot::LocalMachine, HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"HKLM"},
    {RegRoot::Users, HKEY_USERS, L"HKEY_USERS", L"HKU"},
};

std::wstring_view Trim(std::wstring_view s)
{
    while (!s.empty() && std::iswspace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && std::iswspace(s.back()))
        s.remove_suffix(1);
    return s;
}

std::wstring Quote(std::wstring_view text)
{
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'"')
            out += L'\\';
        out += c;
    }
    return out + L'"';
}

// Reads a quoted text from the front of s, undoing regedit's \\ and \" escapes.
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

bool ParseHexNumber(std::wstring_view s, unsigned long& value, size_t maxDigits)
{
    if (s.empty() || s.size() > maxDigits)
        return false;
    value = 0;
    for (wchar_t c : s) {
        if (!std::iswxdigit(c))
            return false;
        value = value * 16 + static_cast<unsigned long>(std::iswdigit(c) ? c - L'0' : std::towlower(c) - L'a' + 10);
    }
    return true;
}

bool ParseHexBytes(std::wstring_view s, std::string& bytes)
{
    bytes.clear();
    while (!s.empty()) {
        const size_t comma = s.find(L',');
        const std::wstring_view token = Trim(s.substr(0, comma));
        s.remove_prefix(comma == std::wstring_view::npos ? s.size() : comma + 1);
        unsigned long byte = 0;
        if (token.empty() && s.empty())
            break;
        if (!ParseHexNumber(token, byte, 2))
            return false;
        bytes += static_cast<char>(byte);
    }
    return true;
}

// Text form only for a string regedit itself would read back unchanged: whole UTF-16 units,
// exactly one terminator, no control characters that would break the line.
bool IsPlainString(const RegValue& value)
{
    const std::string& b = value.bytes;
    if (value.type != REG_SZ || b.size() < 2 || b.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < b.size(); i += 2) {
        const unsigned unit = static_cast<unsigned char>(b[i]) | static_cast<unsigned char>(b[i + 1]) << 8;
        const bool last = i + 2 == b.size();
        if (last ? unit != 0 : unit < 0x20)
            return false;
    }
    return true;
}

std::wstring UnitsOf(const std::string& bytes)
{
    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return text;
}

void AppendHexBytes(const std::string& bytes, bool wrap, std::wstring& out)
{
    static const wchar_t digits[] = L"0123456789abcdef";
    size_t lineStart = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        out += digits[b >> 4];
        out += digits[b & 15];
        if (i + 1 == bytes.size())
            break;
        out += L',';
        // regedit keeps lines under 80 columns with a trailing backslash.
        if (wrap && out.size() - lineStart >= 76) {
            out += L"\\\r\n  ";
            lineStart = out.size() - 2;
        }
    }
}

std::wstring FormatValue(const std::wstring& name, const RegValue& value)
{
    std::wstring line = name.empty() ? L"@" : Quote(name);
    line += L'=';
    if (IsPlainString(value)) {
        const std::wstring text = UnitsOf(value.bytes);
        line += Quote(std::wstring_view(text).substr(0, text.size() - 1));
    } else if (value.type == REG_DWORD && value.bytes.size() == 4) {
        DWORD d = 0;
        memcpy(&d, value.bytes.data(), 4);
        wchar_t buffer[16];
        wsprintfW(buffer, L"dword:%08lx", static_cast<unsigned long>(d));
        line += buffer;
    } else {
        wchar_t prefix[24];
        if (value.type == REG_BINARY)
            lstrcpyW(prefix, L"hex:");
        else
            wsprintfW(prefix, L"hex(%lx):", static_cast<unsigned long>(value.type));
        line += prefix;
        AppendHexBytes(value.bytes, true, line);
    }
    return line + L"\r\n";
}

std::optional<RegValue> ParseData(std::wstring_view data)
{
    RegValue value;
    std::wstring text;
    unsigned long number = 0;
    if (TakeQuoted(data, text)) {
        if (!Trim(data).empty())
            return std::nullopt;
        return StringValue(text);
    }
    if (data.substr(0, 6) == L"dword:") {
        if (!ParseHexNumber(data.substr(6), number, 8))
            return std::nullopt;
        return DwordValue(static_cast<DWORD>(number));
    }
    if (data.substr(0, 4) == L"hex:") {
        value.type = REG_BINARY;
        data.remove_prefix(4);
    } else if (data.substr(0, 4) == L"hex(") {
        const size_t close = data.find(L"):");
        if (close == std::wstring_view::npos || !ParseHexNumber(data.substr(4, close - 4), number, 8))
            return std::nullopt;
        value.type = static_cast<DWORD>(number);
        data.remove_prefix(close + 2);
    } else {
        return std::nullopt;
    }
    if (!ParseHexBytes(data, value.bytes))
        return std::nullopt;
    return value;
}

std::vector<std::wstring_view> Components(std::wstring_view path)
{
    std::vector<std::wstring_view> parts;
    for (std::wstring_view part = NextComponent(path); !part.empty(); part = NextComponent(path))
        parts.push_back(part);
    return parts;
}

}  // namespace

std::optional<RegRoot> RootOf(HKEY key)
{
    for (const RootInfo& r : kRoots)
        if (r.hkey == key)
            return r.root;
    return std::nullopt;
}

HKEY HkeyOf(RegRoot root)
{
    return kRoots[static_cast<int>(root)].hkey;
}

const wchar_t* RootName(RegRoot root)
{
    return kRoots[static_cast<int>(root)].name;
}

RegValue StringValue(std::wstring_view text)
{
    RegValue value{REG_SZ, {}};
    for (wchar_t c : text) {
        value.bytes += static_cast<char>(c & 0xFF);
        value.bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    value.bytes.append(2, '\0');
    return value;
}

RegValue DwordValue(DWORD value)
{
    RegValue dword{REG_DWORD, std::string(4, '\0')};
    memcpy(dword.bytes.data(), &value, 4);
    return dword;
}

std::optional<Registry> Registry::Load(const std::wstring& file, std::wstring* error)
{
    std::string bytes;
    if (!ReadWholeFile(file, bytes)) {
        if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES)
            return Registry{};
        if (error)
            *error = L"cannot read " + file;
        return std::nullopt;
    }
    return Parse(DecodeTextFile(bytes), error);
}

std::optional<Registry> Registry::Parse(std::wstring_view text, std::wstring* error)
{
    Registry registry;
    Key* current = nullptr;
    bool sawHeader = false;
    std::wstring logical;
    unsigned lineNumber = 0;
    if (!text.empty() && text.front() == L'\xFEFF')
        text.remove_prefix(1);
    auto fail = [&](const wchar_t* why) -> std::optional<Registry> {
        if (error)
            *error = L"line " + std::to_wstring(lineNumber) + L": " + why;
        return std::nullopt;
    };
    while (!text.empty()) {
        const size_t end = text.find(L'\n');
        std::wstring_view physical = text.substr(0, end);
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
        ++lineNumber;
        logical += Trim(physical);
        if (!logical.empty() && logical.back() == L'\\' && logical.front() != L'[') {
            logical.pop_back();
            continue;
        }
        std::wstring line;
        line.swap(logical);
        if (line.empty() || line.front() == L';')
            continue;
        if (!sawHeader) {
            if (line != kHeader && line != L"REGEDIT4")
                return fail(L"not a registry file");
            sawHeader = true;
            continue;
        }
        if (line.front() == L'[') {
            if (line.back() != L']')
                return fail(L"unterminated key name");
            std::wstring_view name = std::wstring_view(line).substr(1, line.size() - 2);
            const bool remove = !name.empty() && name.front() == L'-';
            if (remove)
                name.remove_prefix(1);
            const std::wstring_view rootName = NextComponent(name);
            const RootInfo* root = nullptr;
            for (const RootInfo& r : kRoots)
                if (EqualsNoCase(rootName, r.name) || EqualsNoCase(rootName, r.shortName))
                    root = &r;
            if (!root)
                return fail(L"unknown root key");
            current = nullptr;
            if (remove) {
                registry.DeleteTree(root->root, name);
            } else {
                registry.CreateKey(root->root, name);
                current = registry.Find(root->root, name);
            }
            continue;
        }
        if (!current)
            return fail(L"value outside a key");
        std::wstring_view rest = line;
        std::wstring name;
        if (rest.front() == L'@')
            rest.remove_prefix(1);
        else if (!TakeQuoted(rest, name))
            return fail(L"bad value name");
        rest = Trim(rest);
        if (rest.empty() || rest.front() != L'=')
            return fail(L"missing '='");
        rest = Trim(rest.substr(1));
        auto& values = current->values;
        for (auto it = values.begin(); it != values.end(); ++it)
            if (EqualsNoCase(it->first, name)) {
                values.erase(it);
                break;
            }
        if (rest == L"-")
            continue;
        std::optional<RegValue> value = ParseData(rest);
        if (!value)
            return fail(L"bad value data");
        values.emplace_back(std::move(name), std::move(*value));
    }
    if (!sawHeader)
        return fail(L"not a registry file");
    return registry;
}

bool Registry::Save(const std::wstring& file) const
{
    const std::wstring text = Format();
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return ReplaceWholeFile(file, bytes);
}

std::wstring Registry::Format() const
{
    std::wstring out = kHeader;
    out += L"\r\n\r\n";
    for (const RootInfo& r : kRoots)
        FormatKey(m_roots[static_cast<int>(r.root)], r.name, true, out);
    return out;
}

void Registry::FormatKey(const Key& key, const std::wstring& fullName, bool isRoot, std::wstring& out)
{
    // Every key is written, those without values too, so that an empty key survives a reload.
    if (!isRoot || !key.values.empty()) {
        out += L'[' + fullName + L"]\r\n";
        for (const auto& [name, value] : key.values)
            out += FormatValue(name, value);
        out += L"\r\n";
    }
    for (const Key& sub : key.subkeys)
        FormatKey(sub, fullName + L'\\' + sub.name, false, out);
}

const Registry::Key* Registry::Find(RegRoot root, std::wstring_view path) const
{
    return const_cast<Registry*>(this)->Find(root, path);
}

Registry::Key* Registry::Find(RegRoot root, std::wstring_view path)
{
    Key* key = &m_roots[static_cast<int>(root)];
    for (std::wstring_view part : Components(path)) {
        Key* next = nullptr;
        for (Key& sub : key->subkeys)
            if (EqualsNoCase(sub.name, part))
                next = &sub;
        if (!next)
            return nullptr;
        key = next;
    }
    return key;
}

bool Registry::KeyExists(RegRoot root, std::wstring_view path) const
{
    return Find(root, path) != nullptr;
}

bool Registry::CreateKey(RegRoot root, std::wstring_view path)
{
    Key* key = &m_roots[static_cast<int>(root)];
    bool created = false;
    for (std::wstring_view part : Components(path)) {
        Key* next = nullptr;
        for (Key& sub : key->subkeys)
            if (EqualsNoCase(sub.name, part))
                next = &sub;
        created = next == nullptr;
        if (created) {
            key->subkeys.push_back(Key{std::wstring(part), {}, {}});
            next = &key->subkeys.back();
        }
        key = next;
    }
    return created;
}

LONG Registry::DeleteKey(RegRoot root, std::wstring_view path)
{
    std::vector<std::wstring_view> parts = Components(path);
    if (parts.empty())
        return ERROR_ACCESS_DENIED;
    const Key* key = Find(root, path);
    if (!key)
        return ERROR_FILE_NOT_FOUND;
    if (!key->subkeys.empty())
        return ERROR_ACCESS_DENIED;
    DeleteTree(root, path);
    return ERROR_SUCCESS;
}

void Registry::DeleteTree(RegRoot root, std::wstring_view path)
{
    std::vector<std::wstring_view> parts = Components(path);
    if (parts.empty())
        return;
    const std::wstring_view leaf = parts.back();
    Key* parent = Find(root, path.substr(0, static_cast<size_t>(leaf.data() - path.data())));
    if (!parent)
        return;
    auto& subs = parent->subkeys;
    for (auto it = subs.begin(); it != subs.end(); ++it)
        if (EqualsNoCase(it->name, leaf)) {
            subs.erase(it);
            return;
        }
}

std::optional<RegValue> Registry::GetValue(RegRoot root, std::wstring_view path, std::wstring_view name) const
{
    if (const Key* key = Find(root, path))
        for (const auto& [n, value] : key->values)
            if (EqualsNoCase(n, name))
                return value;
    return std::nullopt;
}

bool Registry::SetValue(RegRoot root, std::wstring_view path, std::wstring_view name, RegValue value)
{
    Key* key = Find(root, path);
    if (!key)
        return false;
    for (auto& [n, v] : key->values)
        if (EqualsNoCase(n, name)) {
            v = std::move(value);
            return true;
        }
    key->values.emplace_back(std::wstring(name), std::move(value));
    return true;
}

void Registry::DeleteValue(RegRoot root, std::wstring_view path, std::wstring_view name)
{
    if (Key* key = Find(root, path))
        for (auto it = key->values.begin(); it != key->values.end(); ++it)
            if (EqualsNoCase(it->first, name)) {
                key->values.erase(it);
                return;
            }
}

std::vector<std::wstring> Registry::SubkeyNames(RegRoot root, std::wstring_view path) const
{
    std::vector<std::wstring> names;
    if (const Key* key = Find(root, path))
        for (const Key& sub : key->subkeys)
            names.push_back(sub.name);
    return names;
}

std::vector<std::pair<std::wstring, RegValue>> Registry::Values(RegRoot root, std::wstring_view path) const
{
    if (const Key* key = Find(root, path))
        return key->values;
    return {};
}

std::wstring DescribeValue(const RegValue& value)
{
    if ((value.type == REG_SZ || value.type == REG_EXPAND_SZ) && value.bytes.size() % 2 == 0) {
        std::wstring text = UnitsOf(value.bytes);
        text.resize(wcsnlen(text.c_str(), text.size()));
        return L'"' + text + L'"';
    }
    if (value.type == REG_DWORD && value.bytes.size() == 4) {
        DWORD d = 0;
        memcpy(&d, value.bytes.data(), 4);
        return std::to_wstring(d) + L" (" + Hex(d) + L")";
    }
    std::wstring out;
    wchar_t prefix[24];
    wsprintfW(prefix, L"hex(%lx):", static_cast<unsigned long>(value.type));
    out = prefix;
    AppendHexBytes(value.bytes, false, out);
    return out;
}

}  // namespace simhandheld
