#include "simhandheld/Folder.h"

#include <climits>
#include <cstring>

namespace simhandheld {

std::string ToUtf8(std::wstring_view text)
{
    const int size = static_cast<int>(text.size());
    std::string out(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(std::string_view text)
{
    const int size = static_cast<int>(text.size());
    std::wstring out(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), static_cast<int>(out.size()));
    return out;
}

std::string ToUtf16(std::wstring_view text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::wstring FromUtf16(std::string_view bytes)
{
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    return text;
}

std::optional<std::wstring> DecodeTextFile(std::string_view bytes, std::wstring* error)
{
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return FromUtf16(bytes.substr(2));
    bytes.remove_prefix(bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0);
    const auto isUtf8 = [](std::string_view part) {
        return part.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, part.data(), static_cast<int>(part.size()), nullptr, 0) > 0;
    };
    if (isUtf8(bytes))
        return FromUtf8(bytes);
    // A line feed is never part of a longer UTF-8 sequence: the lines can be tried one by one.
    size_t line = 0;
    for (; isUtf8(bytes.substr(0, bytes.find('\n'))); bytes.remove_prefix(bytes.find('\n') + 1))
        ++line;
    if (error)
        *error = AtLine(line) + L"not UTF-8, nor UTF-16 with a byte-order mark (Notepad: save as UTF-8 or Unicode)";
    return std::nullopt;
}

std::wstring UpperInvariant(std::wstring_view text)
{
    std::wstring upper(text);
    if (!upper.empty())
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), upper.data(),
                     static_cast<int>(upper.size()));
    return upper;
}

std::vector<std::wstring> Lines(std::wstring_view text)
{
    std::vector<std::wstring> lines;
    for (size_t end; !text.empty(); text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1)) {
        end = text.find(L'\n');
        const std::wstring_view line = text.substr(0, end);
        lines.emplace_back(line.substr(0, line.size() - (!line.empty() && line.back() == L'\r' ? 1 : 0)));
    }
    return lines;
}

std::wstring AtLine(size_t index)
{
    return L"line " + std::to_wstring(index + 1) + L": ";
}

std::wstring_view NextComponent(std::wstring_view& path)
{
    while (!path.empty() && path.front() == L'\\')
        path.remove_prefix(1);
    const std::wstring_view component = path.substr(0, path.find(L'\\'));
    path.remove_prefix(component.size());
    return component;
}

std::wstring NumberText(unsigned long long value, bool hex)
{
    wchar_t text[24];
    wsprintfW(text, hex ? L"0x%I64X" : L"%I64u", value);
    return text;
}

bool ParseUnsigned(std::wstring_view text, unsigned& value)
{
    unsigned long long v = 0;
    for (wchar_t c : text)
        if (c < L'0' || c > L'9' || (v = v * 10 + static_cast<unsigned>(c - L'0')) > UINT_MAX)
            return false;
    value = static_cast<unsigned>(v);
    return !text.empty();
}

}  // namespace simhandheld
