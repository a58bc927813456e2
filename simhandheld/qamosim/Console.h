// Output for qamosim: wide text straight to a console, UTF-8 when redirected to a file or pipe,
// so that Japanese paths survive both.
#pragma once

#include <string>

namespace qamosim {

void Print(const std::wstring& line);       // stdout, one line
void PrintError(const std::wstring& line);  // stderr, one line

}  // namespace qamosim
