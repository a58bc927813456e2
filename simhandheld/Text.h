// Text helpers shared by the folder format, the library and the console tool.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace simhandheld {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
std::string ToUtf16(std::wstring_view text);      // as Windows keeps it in memory and in files
std::wstring FromUtf16(std::string_view bytes);  // an odd last byte is dropped
// A text file's bytes: UTF-16LE if it starts with that byte-order mark, else UTF-8 (mark optional).
std::wstring DecodeTextFile(std::string_view bytes);

// Upper case unit by unit with the invariant table, as an ordinal comparison that ignores case
// sees a text (CompareStringOrdinal itself needs Vista).
std::wstring UpperInvariant(std::wstring_view text);
// Case-insensitive as Windows CE compares file, key and value names.
inline bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && UpperInvariant(a) == UpperInvariant(b);
}

// The lines of a text, without their line ends.
std::vector<std::wstring> Lines(std::wstring_view text);

// Splits "a\b\\c" into its non-empty components.
std::wstring_view NextComponent(std::wstring_view& path);

std::wstring NumberText(unsigned long long value, bool hex = false);  // hex: "0x1A"

// Decimal digits only, no sign; false on anything else or overflow.
bool ParseUnsigned(std::wstring_view text, unsigned& value);

}  // namespace simhandheld
