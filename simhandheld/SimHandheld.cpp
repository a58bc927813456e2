#include "simhandheld/SimHandheld.h"

#include "simhandheld/Folder.h"

#include <iterator>
#include <stdexcept>

namespace simhandheld {
namespace {

// Part by part, as a folder cannot be renamed over another, the handheld's goes into made\old and
// made's takes its place; on a failure, every part moved so far is moved back.
bool TakeParts(const std::wstring& folder, const std::wstring& made)
{
    const wchar_t* const parts[] = {kFilesFolder, kRegistryFile, kSettingsFile, kStartedFile, kCallsFile};
    const std::wstring old = InFolder(made, L"old");
    size_t moved = 0;  // parts whose old one is in made\old
    bool whole = CreateDirectories(old);
    for (; whole && moved < std::size(parts); ++moved) {
        const std::wstring here = InFolder(folder, parts[moved]), fresh = InFolder(made, parts[moved]);
        if (Exists(here) && !MoveFileW(here.c_str(), InFolder(old, parts[moved]).c_str()))
            break;
        whole = !Exists(fresh) || MoveFileW(fresh.c_str(), here.c_str());
    }
    for (whole = whole && moved == std::size(parts); !whole && moved-- > 0;) {
        const std::wstring here = InFolder(folder, parts[moved]);
        MoveFileW(here.c_str(), InFolder(made, parts[moved]).c_str());
        MoveFileW(InFolder(old, parts[moved]).c_str(), here.c_str());
    }
    return whole;
}

}  // namespace

void Handheld::Require(bool done, const std::wstring& what)
{
    if (!done)
        throw std::runtime_error("simulated handheld: " + ToUtf8(what));
}

std::wstring Handheld::TemporaryFolder(const std::wstring& name)
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    Require(n > 0 && n <= MAX_PATH, L"no temporary folder");
    std::wstring folder = InFolder(temp, (L"qamovup-" + name + L"-" + std::to_wstring(GetCurrentProcessId())).c_str());
    RemoveTree(folder);
    Require(CreateDirectories(folder), L"cannot create " + folder);
    return folder;
}

std::wstring Handheld::Desktop(const std::wstring& path) const
{
    const std::optional<std::wstring> desktop = DesktopPath(m_folder, path);
    Require(desktop.has_value(), L"not a handheld path: " + path);
    return *desktop;
}

void Handheld::Clear()
{
    const std::wstring files = InFolder(m_folder, kFilesFolder);
    Require(RemoveTree(files) && CreateDirectories(files), L"cannot empty " + files);
    Require(Registry().Save(InFolder(m_folder, kRegistryFile)) && DeviceSettings().Save(m_folder),
            L"cannot write to " + m_folder);
    ClearRecords();
}

void Handheld::Prepare(const PrepareOptions& options)
{
    // Made in a folder of its own, which goes however this ends.
    const struct Scratch { std::wstring path; ~Scratch() { RemoveTree(path); } } made{InFolder(m_folder, L"qamosim-prepare")};
    RemoveTree(made.path);
    Handheld(made.path).Make(options);
    Require(TakeParts(m_folder, made.path), L"cannot replace the handheld in " + m_folder + L": it is as it was");
}

void Handheld::Make(const PrepareOptions& options)
{
    Clear();
    Require(options.settings.Save(m_folder), L"cannot write device.ini");
    CreateDirectory(L"\\Windows");
    if (options.memoryCard)
        CreateDirectory(options.CardFolder());
    if (options.platform)
        SetValue(HKEY_LOCAL_MACHINE, kPlatformKey, L"Name", StringValue(*options.platform));
    if (options.version)
        WriteFile(kVersionFile, "qamo+ for Handheld\r\n" + ToUtf8(*options.version) + "\r\n");
    const std::wstring program = L"\\Program Files\\qamo\\qamo.exe";
    const std::string target = "\"" + ToUtf8(program) + "\" -gps";
    WriteFile(kShortcutFile, std::to_string(target.size()) + "#" + target);  // a CE shortcut is "<length>#<target>"
    SetValue(HKEY_CURRENT_USER, kLauncherKey, L"FileName", StringValue(program));
    SetValue(HKEY_CURRENT_USER, kLauncherKey, L"CommnadLine", StringValue(L"-gps"));
    SetValue(HKEY_CURRENT_USER, kLauncherKey, L"Index", DwordValue(3));
}

void Handheld::WriteFile(const std::wstring& path, const std::string& bytes)
{
    const std::wstring desktop = Desktop(path);
    CreateDirectories(desktop.substr(0, desktop.find_last_of(L'\\')));
    SetReadOnlyFile(desktop, false);
    Require(ReplaceWholeFile(desktop, bytes), L"cannot write " + path);
}

std::optional<std::string> Handheld::ReadFile(const std::wstring& path) const
{
    std::string bytes;
    return IsFile(Desktop(path)) && ReadWholeFile(Desktop(path), bytes) ? std::optional(std::move(bytes)) : std::nullopt;
}

std::vector<std::wstring> Handheld::List(const std::wstring& folderPath) const
{
    std::vector<std::wstring> names;
    for (const WIN32_FIND_DATAW& found : FolderEntries(Desktop(folderPath)))
        names.push_back(found.cFileName + std::wstring((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? L"\\" : L""));
    return names;
}

Registry Handheld::LoadRegistry() const
{
    std::wstring error;
    std::optional<Registry> registry = Registry::Load(InFolder(m_folder, kRegistryFile), &error);
    Require(registry.has_value(), error);
    return std::move(*registry);
}

std::wstring Handheld::KeyName(HKEY root, const std::wstring& key)
{
    Require(RootName(root) != nullptr, L"not a predefined registry root");
    return RootName(root) + (L'\\' + key);
}

void Handheld::ChangeRegistry(const std::function<void(Registry&)>& change)
{
    Registry registry = LoadRegistry();
    change(registry);
    Require(registry.Save(InFolder(m_folder, kRegistryFile)), L"cannot write registry.reg");
}

void Handheld::SetValue(HKEY root, const std::wstring& key, const std::wstring& name, const RegValue& value)
{
    ChangeRegistry([&](Registry& registry) {
        registry.CreateKey(KeyName(root, key));
        registry.SetValue(KeyName(root, key), name, value);
    });
}

DeviceSettings Handheld::Settings() const
{
    std::wstring error;
    std::optional<DeviceSettings> settings = DeviceSettings::Load(m_folder, &error);
    Require(settings.has_value(), error);
    return std::move(*settings);
}

void Handheld::Set(const std::wstring& setting)
{
    DeviceSettings settings = Settings();
    std::wstring error;
    Require(settings.Apply(setting, &error), error);
    Require(settings.Save(m_folder), L"cannot write device.ini");
}

void Handheld::ClearRecords()
{
    RemoveTree(InFolder(m_folder, kCallsFile));
    RemoveTree(InFolder(m_folder, kStartedFile));
}

}  // namespace simhandheld
