#include "worker/Migration.h"

#include "worker/HandheldNames.h"
#include "worker/RegistryText.h"
#include "worker/RemoteHandles.h"

namespace {

struct LauncherEntry {
    RegistryText fileName;
    RegistryText commandLine;
    DWORD index = 0;
};

// False if a value that is there could not be read: the entry must then stay as it is, since
// moving it would put a default where the user's value was and delete the only place that held it.
bool ReadLauncherEntry(RapiClass& rapi, HKEY hKey, LauncherEntry& entry)
{
    if (entry.fileName.Read(rapi, hKey, handheld::kLauncherFileName) == ValueRead::Unreadable ||
        entry.commandLine.Read(rapi, hKey, handheld::kLauncherCommandLine) == ValueRead::Unreadable)
        return false;
    DWORD size = sizeof(entry.index);
    const ValueRead index = ValueReadOf(rapi.CeRegQueryValueEx(hKey, handheld::kLauncherIndex, nullptr, nullptr,
                                                               reinterpret_cast<LPBYTE>(&entry.index), &size));
    if (index != ValueRead::Read || size != sizeof(entry.index))
        entry.index = 0;
    return index != ValueRead::Unreadable;
}

bool WriteText(RapiClass& rapi, HKEY hKey, const wchar_t* name, const RegistryText& text)
{
    return rapi.CeRegSetValueEx(hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.Text()),
                                text.BytesToWrite()) == ERROR_SUCCESS;
}

bool WriteDword(RapiClass& rapi, HKEY hKey, const wchar_t* name, DWORD value)
{
    return rapi.CeRegSetValueEx(hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                sizeof(value)) == ERROR_SUCCESS;
}

bool WriteLauncherEntry(RapiClass& rapi, const LauncherEntry& entry)
{
    RemoteKey key(rapi);
    if (!key.Create(handheld::kLauncherRoot, handheld::kNewLauncherEntryKey))
        return false;
    // Every value is attempted, in the launcher's order, even after one has failed.
    bool written = WriteText(rapi, key.Get(), handheld::kLauncherFileName, entry.fileName);
    written = WriteText(rapi, key.Get(), handheld::kLauncherCommandLine, entry.commandLine) && written;
    written = WriteDword(rapi, key.Get(), handheld::kLauncherIndex, entry.index) && written;
    return written;
}

}  // namespace

void RenameShortcut(RunContext& run)
{
    RapiClass& rapi = run.Rapi();
    RemoteFile shortcut(rapi, rapi.CeCreateFile(handheld::kOldShortcut, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!shortcut.IsOpen())
        return;
    shortcut.Close();
    // Where the new shortcut exists already the move fails and the old one stays.
    rapi.CeMoveFile(handheld::kOldShortcut, handheld::kNewShortcut);
}

void MigrateLauncherEntry(RunContext& run)
{
    RapiClass& rapi = run.Rapi();
    LauncherEntry entry;
    {
        RemoteKey oldEntry(rapi);
        if (!oldEntry.Open(handheld::kLauncherRoot, handheld::kOldLauncherEntryKey, 0) ||
            !ReadLauncherEntry(rapi, oldEntry.Get(), entry))
            return;
    }

    // The old entry goes only once the new one holds its values: otherwise the user would be
    // left with no launcher entry at all.
    if (!WriteLauncherEntry(rapi, entry))
        return;
    RemoteKey list(rapi);
    if (list.Create(handheld::kLauncherRoot, handheld::kLauncherListKey))
        rapi.CeRegDeleteKey(list.Get(), handheld::kOldLauncherEntryName);
}

void RecordDisplayDensity(RunContext& run)
{
    RapiClass& rapi = run.Rapi();
    const DWORD dpi = static_cast<DWORD>(rapi.CeGetDesktopDeviceCaps(LOGPIXELSX));
    RemoteKey maker(rapi);
    if (!maker.Open(handheld::kMakerRoot, handheld::kMakerKey, handheld::kMakerKeyOpenAccess) &&
        !maker.Create(handheld::kMakerRoot, handheld::kMakerKey))
        return;
    WriteDword(rapi, maker.Get(), handheld::kDpiValue, dpi);
}
