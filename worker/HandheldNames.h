// Everything the revision-up knows about the handheld: paths, registry names, versions and sizes.
#pragma once

#include <windows.h>

namespace handheld {

// Platform
inline const HKEY kPlatformRoot = HKEY_LOCAL_MACHINE;
constexpr const wchar_t kPlatformKey[] = L"Platform";
constexpr const wchar_t kPlatformValue[] = L"Name";
// The accepted platform names are in VersionText.h, with the rule that reads them.

// Installed version
constexpr const wchar_t kVersionFile[] = L"\\Built-in Storage\\Program Files\\Qamocore\\Qamocore.ver";
constexpr const char kRequiredVersion[] = "Version 1.2.0.0";
constexpr const char kTargetVersion[] = "Version 1.2.2.0";
constexpr DWORD kVersionReadBytes = 260;

// Registry texts are read into 520-byte buffers (260 UTF-16 units, terminator included).
constexpr DWORD kTextBufferBytes = 520;
constexpr size_t kTextBufferUnits = kTextBufferBytes / sizeof(wchar_t);

// Shortcut
constexpr const wchar_t kOldShortcut[] =
    L"\\Windows\\スタート メニュー\\プログラム\\qamo+(GPS).lnk";
constexpr const wchar_t kNewShortcut[] =
    L"\\Windows\\スタート メニュー\\プログラム\\qamo+(GNSS).lnk";

// Launcher entry
inline const HKEY kLauncherRoot = HKEY_CURRENT_USER;
constexpr const wchar_t kLauncherListKey[] = L"Software\\Palvar-Ostrand\\Tarvek\\FileList";
constexpr const wchar_t kOldLauncherEntryKey[] = L"Software\\Palvar-Ostrand\\Tarvek\\FileList\\qamo+(GPS)";
constexpr const wchar_t kNewLauncherEntryKey[] = L"Software\\Palvar-Ostrand\\Tarvek\\FileList\\qamo+(GNSS)";
constexpr const wchar_t kOldLauncherEntryName[] = L"qamo+(GPS)";
constexpr const wchar_t kLauncherFileName[] = L"FileName";
constexpr const wchar_t kLauncherCommandLine[] = L"CommnadLine";  // sic: the launcher's own spelling
constexpr const wchar_t kLauncherIndex[] = L"Index";

// Display density
inline const HKEY kMakerRoot = HKEY_LOCAL_MACHINE;
constexpr const wchar_t kMakerKey[] = L"Software\\Palvar-Ostrand";
constexpr const wchar_t kDpiValue[] = L"DPI";
constexpr REGSAM kMakerKeyOpenAccess = KEY_QUERY_VALUE;

// Installer transfer
constexpr const wchar_t kCardCopySmdk6410[] = L"\\Storage Card\\HNDqamoInstall.CAB";
constexpr const wchar_t kCardCopySmdk2443[] = L"\\SD-MMC card\\HNDqamoInstall.CAB";
constexpr const wchar_t* const kInstallerFolders[] = {
    L"\\Windows", L"\\Windows\\AppMgr", L"\\Windows\\AppMgr\\Install"};
constexpr const wchar_t kInstallerCopy[] = L"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB";
constexpr const wchar_t kInstallerProgram[] = L"wceload";
constexpr const wchar_t kInstallerCommandLine[] =
    L"/noaskdest \"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB\"";
static_assert(sizeof(kInstallerCommandLine) / sizeof(wchar_t) - 1 == 59);
constexpr DWORD kChunkBytes = 65535;

// The installer cabinet the tool carries: raw data resource "CABFILE".
constexpr const wchar_t kCabinetResourceName[] = L"CABFILE";

}  // namespace handheld
