#include "progress/TextFormat.h"

#include <windows.h>

std::wstring FormatText(const wchar_t* pattern, std::initializer_list<std::wstring> arguments)
{
    std::wstring text;
    auto next = arguments.begin();
    for (const wchar_t* p = pattern; *p != L'\0'; ++p) {
        if (p[0] == L'%' && (p[1] == L's' || p[1] == L'd')) {
            if (next != arguments.end())
                text += *next++;
            ++p;
        } else if (p[0] == L'%' && p[1] == L'%') {
            text += L'%';
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

std::wstring FromAnsi(const char* text)
{
    if (text == nullptr || *text == '\0')
        return {};
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (units <= 1)
        return {};
    std::wstring wide(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], units);
    wide.resize(static_cast<size_t>(units) - 1);
    return wide;
}
