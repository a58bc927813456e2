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

RegRoot Root(HKEY root)
{
    const std::optional<RegRoot> r = RootOf(root);
    if (!r)
        Fail(L"not a predefined registry root");
    return *r;
}

std::wstring Function(const std::wstring& name)
{
    const std::optional<std::wstring> canonical = EntryPointName(name);
    if (!canonical)
        Fail(L"no entry point " + name);
    return *canonical;
}

// A CE shortcut is "<length>#<target>".
std::string Shortcut(const std::string& target)
{
    return std::to_string(target.size()) + "#" + target;
}

}  // namespace

Handheld::Handheld(std::wstring folder) : m_folder(std::move(folder)) {}

std::wstring Handheld::TemporaryFolder(const std::wstring& name)
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH)
        Fail(L"no temporary folder");
    std::wstring folder = InFolder(temp, (L"qamovup-" + name + L"-" + std::to_wstring(GetCurrentProcessId())).c_str());
    RemoveTree(folder);
    if (!CreateDirectories(folder))
        Fail(L"cannot create " + folder);
    return folder;
}

void Handheld::MakeCurrent() const
{
    SetEnvironmentVariableW(kHandheldVariable, m_folder.c_str());
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
    if (!RemoveTree(files) || !CreateDirectories(files))
        Fail(L"cannot empty " + files);
    if (!Registry().Save(InFolder(m_folder, kRegistryFile)) || !DeviceSettings().Save(m_folder))
        Fail(L"cannot write to " + m_folder);
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
    if (options.shortcut)
        WriteFile(kShortcutFile, Shortcut("\"" + ToUtf8(program) + "\" -gps"));
    if (options.launcher) {
        SetString(HKEY_CURRENT_USER, kLauncherKey, L"FileName", program);
        SetString(HKEY_CURRENT_USER, kLauncherKey, L"CommnadLine", L"-gps");
        SetDword(HKEY_CURRENT_USER, kLauncherKey, L"Index", 3);
    }
    SetLogPixelsX(options.logPixelsX);
}

void Handheld::WriteFile(const std::wstring& path, const std::string& bytes)
{
    const std::wstring desktop = Desktop(path);
    CreateDirectories(desktop.substr(0, desktop.find_last_of(L'\\')));
    SetReadOnlyFile(desktop, false);
    if (!ReplaceWholeFile(desktop, bytes))
        Fail(L"cannot write " + path);
}

std::optional<std::string> Handheld::ReadFile(const std::wstring& path) const
{
    std::string bytes;
    if (!IsFile(Desktop(path)) || !ReadWholeFile(Desktop(path), bytes))
        return std::nullopt;
    return bytes;
}

bool Handheld::Exists(const std::wstring& path) const
{
    return GetFileAttributesW(Desktop(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Handheld::IsReadOnly(const std::wstring& path) const
{
    return IsReadOnlyFile(Desktop(path));
}

void Handheld::SetReadOnly(const std::wstring& path, bool readOnly)
{
    if (!SetReadOnlyFile(Desktop(path), readOnly))
        Fail(L"cannot change the attributes of " + path);
}

void Handheld::CreateDirectory(const std::wstring& path)
{
    if (!CreateDirectories(Desktop(path)))
        Fail(L"cannot create " + path);
}

void Handheld::Remove(const std::wstring& path)
{
    if (!RemoveTree(Desktop(path)))
        Fail(L"cannot remove " + path);
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

void Handheld::ChangeRegistry(const std::function<void(Registry&)>& change)
{
    Registry registry = LoadRegistry();
    change(registry);
    if (!registry.Save(InFolder(m_folder, kRegistryFile)))
        Fail(L"cannot write registry.reg");
}

void Handheld::SetString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value)
{
    const RegValue v = StringValue(value);
    SetValue(root, key, name, v.type, v.bytes);
}

void Handheld::SetDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value)
{
    const RegValue v = DwordValue(value);
    SetValue(root, key, name, v.type, v.bytes);
}

void Handheld::SetValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                        const std::string& bytes)
{
    const RegRoot r = Root(root);
    ChangeRegistry([&](Registry& registry) {
        registry.CreateKey(r, key);
        registry.SetValue(r, key, name, RegValue{type, bytes});
    });
}

std::optional<RegValue> Handheld::GetValue(HKEY root, const std::wstring& key, const std::wstring& name) const
{
    return LoadRegistry().GetValue(Root(root), key, name);
}

bool Handheld::KeyExists(HKEY root, const std::wstring& key) const
{
    return LoadRegistry().KeyExists(Root(root), key);
}

void Handheld::CreateKey(HKEY root, const std::wstring& key)
{
    const RegRoot r = Root(root);
    ChangeRegistry([&](Registry& registry) { registry.CreateKey(r, key); });
}

void Handheld::DeleteKey(HKEY root, const std::wstring& key)
{
    const RegRoot r = Root(root);
    ChangeRegistry([&](Registry& registry) { registry.DeleteTree(r, key); });
}

DeviceSettings Handheld::Settings() const
{
    std::wstring error;
    std::optional<DeviceSettings> settings = DeviceSettings::Load(m_folder, &error);
    if (!settings)
        Fail(L"device.ini: " + error);
    return std::move(*settings);
}

void Handheld::ChangeSettings(const std::function<void(DeviceSettings&)>& change)
{
    DeviceSettings settings = Settings();
    change(settings);
    if (!settings.Save(m_folder))
        Fail(L"cannot write device.ini");
}

void Handheld::SetConnectionMode(ConnectionMode mode)
{
    ChangeSettings([&](DeviceSettings& s) { s.connection = mode; });
}

void Handheld::SetLatencyMs(unsigned ms)
{
    ChangeSettings([&](DeviceSettings& s) { s.latencyMs = ms; });
}

void Handheld::SetLinkBytesPerSecond(unsigned bytesPerSecond)
{
    ChangeSettings([&](DeviceSettings& s) { s.linkBytesPerSecond = bytesPerSecond; });
}

void Handheld::SetLogPixelsX(int dpi)
{
    ChangeSettings([&](DeviceSettings& s) { s.logPixelsX = dpi; });
}

void Handheld::FailNthCall(unsigned n)
{
    ChangeSettings([&](DeviceSettings& s) { s.failNth.push_back(n); });
}

void Handheld::FailCall(const std::wstring& function, unsigned nth)
{
    const std::wstring f = Function(function);
    ChangeSettings([&](DeviceSettings& s) { s.failCalls.push_back({f, nth}); });
}

void Handheld::FailPath(const std::wstring& function, const std::wstring& path)
{
    const std::wstring f = Function(function);
    ChangeSettings([&](DeviceSettings& s) { s.failPaths.push_back({f, path}); });
}

void Handheld::SignalEventOnCall(const std::wstring& function, unsigned nth, const std::wstring& eventName)
{
    const std::wstring f = Function(function);
    ChangeSettings([&](DeviceSettings& s) { s.signals.push_back({f, nth, eventName}); });
}

void Handheld::DelayCall(const std::wstring& function, unsigned nth, unsigned ms)
{
    const std::wstring f = Function(function);
    ChangeSettings([&](DeviceSettings& s) { s.delays.push_back({f, nth, ms}); });
}

void Handheld::ClearFaults()
{
    ChangeSettings([](DeviceSettings& s) { s.ClearFaults(); });
}

std::vector<CallRecord> Handheld::Calls() const
{
    return ReadCalls(m_folder);
}

std::vector<StartedProgram> Handheld::StartedPrograms() const
{
    return ReadStarted(m_folder);
}

void Handheld::ClearRecords()
{
    RemoveTree(InFolder(m_folder, kCallsFile));
    RemoveTree(InFolder(m_folder, kStartedFile));
}

}  // namespace simhandheld
