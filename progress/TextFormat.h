// printf-style texts with the arguments already turned into text: each %s or %d takes the next
// argument and %% is a percent sign. Arguments are inserted as they are, never read as patterns.
#pragma once

#include <initializer_list>
#include <string>

std::wstring FormatText(const wchar_t* pattern, std::initializer_list<std::wstring> arguments);

// An 8-bit text from the handheld, read in the desktop's ANSI code page.
std::wstring FromAnsi(const char* text);
