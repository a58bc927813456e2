// Pure text rules for what the handheld reports, kept free of Windows headers so that they can
// be fuzzed natively.
#pragma once

#include <cstddef>
#include <string>

enum class PlatformKind { Refused, Smdk2443, Smdk6410 };

namespace platform_name_detail {
constexpr std::size_t kSignificantUnits = 8;  // only the first eight characters count
constexpr char16_t kSmdk2443[] = u"SMDK2443";
constexpr char16_t kSmdk6410[] = u"SMDK6410";

template <typename Unit>
bool Equals(const Unit* name, std::size_t length, const char16_t* accepted)
{
    std::size_t i = 0;
    for (; i < length; ++i) {
        if (accepted[i] == u'\0' || accepted[i] != static_cast<char16_t>(name[i]))
            return false;
    }
    return accepted[i] == u'\0';
}
}  // namespace platform_name_detail

// Classifies the registry value "Name" as read into a buffer of unitCount UTF-16 units (wchar_t
// on Windows, char16_t elsewhere). The buffer need not hold a terminator.
template <typename Unit>
PlatformKind ClassifyPlatformName(const Unit* units, std::size_t unitCount)
{
    using namespace platform_name_detail;
    const std::size_t limit = unitCount < kSignificantUnits ? unitCount : kSignificantUnits;
    std::size_t length = 0;
    // cppcheck-suppress knownConditionTrueFalse ; cppcheck 2.10 takes limit for zero here; it is up to eight
    while (length < limit && units[length] != 0)
        ++length;
    if (Equals(units, length, kSmdk2443))
        return PlatformKind::Smdk2443;
    if (Equals(units, length, kSmdk6410))
        return PlatformKind::Smdk6410;
    return PlatformKind::Refused;
}

// The installed version: the second line of what was read from the version file, carriage
// returns dropped; all of it, unchanged, when it holds no second line feed.
std::string ExtractVersionLine(const char* bytes, std::size_t count);
