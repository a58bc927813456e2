#include "simhandheld/Text.h"

#include <windows.h>

#include <climits>

namespace simhandheld {

std::string ToUtf8(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                      0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::wstring FromUtf8(std::string_view text)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::wstring DecodeTextFile(std::string_view bytes)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                           static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
        return text;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return FromUtf8(bytes);
}

std::wstring UpperInvariant(std::wstring_view text)
{
    std::wstring upper(text);
    if (!upper.empty())
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), upper.data(),
                     static_cast<int>(upper.size()));
    return upper;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && UpperInvariant(a) == UpperInvariant(b);
}

std::vector<std::wstring> Lines(std::wstring_view text)
{
    std::vector<std::wstring> lines;
    while (!text.empty()) {
        const size_t end = text.find(L'\n');
        std::wstring_view line = text.substr(0, end);
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == L'\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
    }
    return lines;
}

std::wstring_view NextComponent(std::wstring_view& path)
{
    while (!path.empty() && path.front() == L'\\')
        path.remove_prefix(1);
    const size_t end = path.find(L'\\');
    const std::wstring_view component = path.substr(0, end);
    path.remove_prefix(end == std::wstring_view::npos ? path.size() : end);
    return component;
}

std::wstring Hex(unsigned long value)
{
    wchar_t buffer[16];
    wsprintfW(buffer, L"0x%lX", value);
    return buffer;
}

bool ParseUnsigned(std::wstring_view text, unsigned& value)
{
    if (text.empty())
        return false;
    unsigned long long v = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
        v = v * 10 + static_cast<unsigned>(c - L'0');
        if (v > UINT_MAX)
            return false;
    }
    value = static_cast<unsigned>(v);
    return true;
}

}  // namespace simhandheld
