#include "simhandheld/Settings.h"

#include "devicelink/RapiApi.h"
#include "simhandheld/Folder.h"

#include <algorithm>

namespace simhandheld {
namespace {

struct Row {
    const wchar_t* name;
    const wchar_t* form;
    const wchar_t* byDefault;  // none: a list
    const wchar_t* help;
    Setting DeviceSettings::*member;
};

#define QAMOSIM_SETTING_ROW(member, name, form, byDefault, help) {name, form, byDefault, help, &DeviceSettings::member},
const Row kRows[] = {QAMOSIM_SETTINGS(QAMOSIM_SETTING_ROW)};
#undef QAMOSIM_SETTING_ROW

#define QAMOSIM_ENTRY_POINT_NAME(name, ret, params) L## #name,
const wchar_t* const kEntryPoints[] = {QAMOVUP_RAPI_ENTRY_POINTS(QAMOSIM_ENTRY_POINT_NAME)};
#undef QAMOSIM_ENTRY_POINT_NAME

// The canonical spelling of one of the eighteen entry points, or none.
std::optional<std::wstring> EntryPointName(std::wstring_view name)
{
    for (const wchar_t* known : kEntryPoints)
        if (EqualsNoCase(name, known))
            return std::wstring(known);
    return std::nullopt;
}

// Splits off the text up to the first separator; the last part of a form takes the rest.
std::wstring_view TakePart(std::wstring_view& text, wchar_t separator, bool last = false)
{
    const size_t end = last ? std::wstring_view::npos : text.find(separator);
    const std::wstring_view part = text.substr(0, end);
    text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
    return part;
}

// The value's parts as the form has them, canonical; none if it does not fit the form.
std::optional<SettingValue> ParseValue(std::wstring_view form, std::wstring_view text)
{
    if (form.find(L'/') != std::wstring_view::npos) {
        for (std::wstring_view words = form; !words.empty();)
            if (TakePart(words, L'/') == text)
                return SettingValue{{std::wstring(text)}};
        return std::nullopt;
    }
    SettingValue value;
    while (!form.empty()) {
        const std::wstring_view kind = TakePart(form, L':');
        const std::wstring_view part = TakePart(text, L':', form.empty());
        const std::optional<std::wstring> canonical = kind == L"Function" ? EntryPointName(part) : std::wstring(part);
        const bool isText = kind == L"Function" || kind == L"Path" || kind == L"Event";
        unsigned number = 0;
        if (!canonical || part.empty() || (!isText && (!ParseUnsigned(part, number) || (kind == L"N" && number == 0))))
            return std::nullopt;
        value.parts.push_back(*canonical);
    }
    return text.empty() ? std::optional<SettingValue>(value) : std::nullopt;
}

}  // namespace

unsigned SettingValue::Number(size_t part) const
{
    unsigned number = 0;
    return part < parts.size() && ParseUnsigned(parts[part], number) ? number : 0;
}

DeviceSettings::DeviceSettings()
{
    for (const Row& row : kRows)
        if (row.byDefault)
            (this->*row.member).values.push_back(*ParseValue(row.form, row.byDefault));
}

bool DeviceSettings::Apply(std::wstring_view setting, std::wstring* error)
{
    if (setting == L"clear-faults") {
        for (const Row& row : kRows)
            if (!row.byDefault)
                (this->*row.member).values.clear();
        return true;
    }
    const size_t equals = setting.find(L'=');
    for (const Row& row : kRows) {
        if (setting.substr(0, equals) != row.name)
            continue;
        std::optional<SettingValue> value;
        if (equals != std::wstring_view::npos)
            value = ParseValue(row.form, setting.substr(equals + 1));
        if (!value) {
            if (error)
                *error = L"bad setting \"" + std::wstring(setting) + L"\": expected " + row.name + L'=' + row.form;
            return false;
        }
        Setting& target = this->*row.member;
        if (row.byDefault)
            target.values.clear();
        target.values.push_back(std::move(*value));
        return true;
    }
    if (error)
        *error = L"unknown setting \"" + std::wstring(setting) + L"\"";
    return false;
}

std::wstring DeviceSettings::Format() const
{
    std::wstring out = L"; qamosim set FOLDER name=value changes these\r\n";
    for (const Row& row : kRows)
        for (const SettingValue& value : (this->*row.member).values) {
            out += row.name;
            for (size_t i = 0; i < value.parts.size(); ++i)
                out += (i == 0 ? L"=" : L":") + value.parts[i];
            out += L"\r\n";
        }
    return out;
}

std::optional<DeviceSettings> DeviceSettings::Load(const std::wstring& folder, std::wstring* error)
{
    const std::wstring file = InFolder(folder, kSettingsFile);
    std::wstring why;
    const std::optional<std::wstring> text = IsFile(file) ? ReadTextFile(file, &why) : std::wstring();
    const std::vector<std::wstring> lines = Lines(text.value_or(L""));
    DeviceSettings settings;
    size_t i = 0;
    while (i < lines.size() && (lines[i].empty() || lines[i][0] == L';' || settings.Apply(lines[i], &why)))
        ++i;
    if (text && i == lines.size())
        return settings;
    if (error)
        *error = file + L": " + (text ? AtLine(i) : L"") + why;
    return std::nullopt;
}

bool DeviceSettings::Save(const std::wstring& folder) const
{
    return ReplaceWholeFile(InFolder(folder, kSettingsFile), ToUtf8(Format()));
}

std::wstring SettingsHelp()
{
    std::wstring help;
    for (const Row& row : kRows) {
        std::wstring usage = L"  " + (row.name + (L'=' + std::wstring(row.form)));
        usage.resize(std::max<size_t>(usage.size() + 2, 32), L' ');
        help += usage + row.help + (row.byDefault ? L" (default " + std::wstring(row.byDefault) + L")" : L"") + L"\r\n";
    }
    return help + L"  clear-faults                  empties every list (fail-..., short-write, signal, delay)";
}

}  // namespace simhandheld
