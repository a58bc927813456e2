// One simulated handheld's folder as an object, for tests, the demo and rehearsals (see README.md).
// Paths are handheld paths ("\Windows\AppMgr"); failures to touch the folder throw std::runtime_error.
#pragma once

#include "simhandheld/Folder.h"
#include "simhandheld/Registry.h"
#include "simhandheld/Settings.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace simhandheld {

inline constexpr wchar_t kPlatformKey[] = L"Platform";
inline constexpr wchar_t kVersionFile[] = L"\\Built-in Storage\\Program Files\\Qamocore\\Qamocore.ver";
inline constexpr wchar_t kShortcutFile[] = L"\\Windows\\スタート メニュー\\プログラム\\qamo+(GPS).lnk";
inline constexpr wchar_t kLauncherKey[] = L"Software\\Palvar-Ostrand\\Tarvek\\FileList\\qamo+(GPS)";
inline constexpr wchar_t kMemoryCardFolder[] = L"\\Storage Card";
inline constexpr wchar_t kSmdk2443CardFolder[] = L"\\SD-MMC card";

// What Prepare sets up by default; each part can be left out or changed.
struct PrepareOptions {
    std::optional<std::wstring> platform = L"SMDK6410";       // HKLM\Platform "Name"
    std::optional<std::wstring> version = L"Version 1.2.1.0";  // second line of the version file
    bool memoryCard = true;
    DeviceSettings settings;

    // Where the tool looks for the card: an SMDK2443's (by its first eight characters) is \SD-MMC card.
    const wchar_t* CardFolder() const { return platform && platform->rfind(L"SMDK2443", 0) == 0 ? kSmdk2443CardFolder : kMemoryCardFolder; }
};

class Handheld {
public:
    explicit Handheld(std::wstring folder) : m_folder(std::move(folder)) {}
    const std::wstring& Folder() const { return m_folder; }

    // A fresh folder under the desktop's temporary folder, unique to this process and name.
    static std::wstring TemporaryFolder(const std::wstring& name);
    // Points this process's QAMOVUP_HANDHELD at the folder; rapi.dll reads it at each CeRapiInitEx.
    void MakeCurrent() const { SetEnvironmentVariableW(kHandheldVariable, m_folder.c_str()); }

    // Empty handheld: no files, empty registry, default settings, no records.
    void Clear();
    // A new handheld, by default an SMDK6410 with qamo+ "Version 1.2.1.0", its shortcut and launcher entry,
    // a card and default settings; made beside the old one, which it replaces only once whole, or not at all.
    void Prepare(const PrepareOptions& options = {});

    // Files. WriteFile creates missing folders on the way.
    void WriteFile(const std::wstring& path, const std::string& bytes);
    std::optional<std::string> ReadFile(const std::wstring& path) const;
    bool Exists(const std::wstring& path) const { return simhandheld::Exists(Desktop(path)); }
    bool IsReadOnly(const std::wstring& path) const { return IsReadOnlyFile(Desktop(path)); }
    void SetReadOnly(const std::wstring& path, bool readOnly) { Require(SetReadOnlyFile(Desktop(path), readOnly), L"cannot change " + path); }
    void CreateDirectory(const std::wstring& path) { Require(CreateDirectories(Desktop(path)), L"cannot create " + path); }
    // A file, or a folder with everything in it.
    void Remove(const std::wstring& path) { Require(RemoveTree(Desktop(path)), L"cannot remove " + path); }
    // The names in one handheld folder, a folder's with a "\" at its end.
    std::vector<std::wstring> List(const std::wstring& folderPath) const;

    // Registry. Keys are relative to root ("Software\\Palvar-Ostrand").
    void SetValue(HKEY root, const std::wstring& key, const std::wstring& name, const RegValue& value);
    std::optional<RegValue> GetValue(HKEY root, const std::wstring& key, const std::wstring& name) const
    {
        return LoadRegistry().GetValue(KeyName(root, key), name);
    }
    bool KeyExists(HKEY root, const std::wstring& key) const { return LoadRegistry().KeyExists(KeyName(root, key)); }
    void CreateKey(HKEY root, const std::wstring& key) { ChangeRegistry([&](Registry& r) { r.CreateKey(KeyName(root, key)); }); }
    // With its subkeys.
    void DeleteKey(HKEY root, const std::wstring& key) { ChangeRegistry([&](Registry& r) { r.DeleteKey(KeyName(root, key), true); }); }
    Registry LoadRegistry() const;

    // Settings and faults (device.ini).
    DeviceSettings Settings() const;
    // One setting as qamosim set takes it ("connection=refuse", "fail-call=CeWriteFile:3").
    void Set(const std::wstring& setting);

    // Records.
    std::vector<CallRecord> Calls() const { return ReadCalls(m_folder); }
    std::vector<StartedProgram> StartedPrograms() const { return ReadStarted(m_folder); }
    void ClearRecords();

private:
    static void Require(bool done, const std::wstring& what);  // throws without it
    void Make(const PrepareOptions& options);
    std::wstring Desktop(const std::wstring& path) const;
    void ChangeRegistry(const std::function<void(Registry&)>& change);
    static std::wstring KeyName(HKEY root, const std::wstring& key);

    std::wstring m_folder;
};

}  // namespace simhandheld
