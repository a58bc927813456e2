#include "simhandheld/SimHandheld.h"

#include "simhandheld/Folder.h"
#include "simhandheld/Text.h"

#include <stdexcept>

namespace simhandheld {
namespace {

[[noreturn]] void Fail(const std::wstring& what)
{
    throw std::runtime_error("simulated handheld: " + ToUtf8(what));
}

void Require(bool done, const std::wstring& what)
{
    if (!done)
        Fail(what);
}


}  // namespace

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
    if (!desktop)
        Fail(L"not a handheld path: " + path);
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
    Clear();
    CreateDirectory(L"\\Windows");
    if (options.memoryCard)
        CreateDirectory(kMemoryCardFolder);
    if (options.platform)
        SetString(HKEY_LOCAL_MACHINE, kPlatformKey, L"Name", *options.platform);
    if (options.version)
        WriteFile(kVersionFile, "qamo+ for Handheld\r\n" + ToUtf8(*options.version) + "\r\n");
    const std::wstring program = L"\\Program Files\\qamo\\qamo.exe";
    const std::string target = "\"" + ToUtf8(program) + "\" -gps";
    if (options.shortcut)  // a CE shortcut is "<length>#<target>"
        WriteFile(kShortcutFile, std::to_string(target.size()) + "#" + target);
    if (options.launcher) {
        SetString(HKEY_CURRENT_USER, kLauncherKey, L"FileName", program);
        SetString(HKEY_CURRENT_USER, kLauncherKey, L"CommnadLine", L"-gps");
        SetDword(HKEY_CURRENT_USER, kLauncherKey, L"Index", 3);
    }
    Set(L"dpi=" + std::to_wstring(options.dpi));
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
    if (!IsFile(Desktop(path)) || !ReadWholeFile(Desktop(path), bytes))
        return std::nullopt;
    return bytes;
}

void Handheld::SetReadOnly(const std::wstring& path, bool readOnly)
{
    Require(SetReadOnlyFile(Desktop(path), readOnly), L"cannot change the attributes of " + path);
}

void Handheld::CreateDirectory(const std::wstring& path)
{
    Require(CreateDirectories(Desktop(path)), L"cannot create " + path);
}

void Handheld::Remove(const std::wstring& path)
{
    Require(RemoveTree(Desktop(path)), L"cannot remove " + path);
}

std::vector<Handheld::Entry> Handheld::List(const std::wstring& folderPath) const
{
    std::vector<Entry> entries;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((Desktop(folderPath) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        Entry e;
        e.name = found.cFileName;
        if (e.name == L"." || e.name == L"..")
            continue;
        e.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        e.readOnly = !e.folder && (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
        e.size = e.folder ? 0 : (static_cast<unsigned long long>(found.nFileSizeHigh) << 32 | found.nFileSizeLow);
        entries.push_back(std::move(e));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

Registry Handheld::LoadRegistry() const
{
    std::wstring error;
    std::optional<Registry> registry = Registry::Load(InFolder(m_folder, kRegistryFile), &error);
    if (!registry)
        Fail(L"registry.reg: " + error);
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

void Handheld::SetString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value)
{
    SetValue(root, key, name, REG_SZ, StringValue(value).bytes);
}

void Handheld::SetDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value)
{
    SetValue(root, key, name, REG_DWORD, DwordValue(value).bytes);
}

void Handheld::SetValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                        const std::string& bytes)
{
    ChangeRegistry([&](Registry& registry) {
        registry.CreateKey(KeyName(root, key));
        registry.SetValue(KeyName(root, key), name, RegValue{type, bytes});
    });
}

std::optional<RegValue> Handheld::GetValue(HKEY root, const std::wstring& key, const std::wstring& name) const
{
    return LoadRegistry().GetValue(KeyName(root, key), name);
}

void Handheld::CreateKey(HKEY root, const std::wstring& key)
{
    ChangeRegistry([&](Registry& registry) { registry.CreateKey(KeyName(root, key)); });
}

void Handheld::DeleteKey(HKEY root, const std::wstring& key)
{
    ChangeRegistry([&](Registry& registry) { registry.DeleteTree(KeyName(root, key)); });
}

DeviceSettings Handheld::Settings() const
{
    std::wstring error;
    std::optional<DeviceSettings> settings = DeviceSettings::Load(m_folder, &error);
    if (!settings)
        Fail(L"device.ini: " + error);
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
