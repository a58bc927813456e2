// qamosim: prepares, shows and configures a simulated handheld folder (see simhandheld/README.md).
#include "simhandheld/Folder.h"
#include "simhandheld/SimHandheld.h"
#include "simhandheld/Text.h"
#include "simhandheld/qamosim/Console.h"

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace simhandheld;
using qamosim::Print;
using qamosim::PrintError;

namespace {

constexpr int kUsageError = 2;
constexpr int kFolderError = 1;

const wchar_t kUsage[] =
    L"usage:\r\n"
    L"  qamosim prepare FOLDER [--platform NAME | --no-platform] [--version TEXT | --no-version-file]\r\n"
    L"                         [--no-shortcut] [--no-launcher] [--no-card] [--dpi N]\r\n"
    L"  qamosim show FOLDER\r\n"
    L"  qamosim set FOLDER SETTING...   (connection=answer|refuse|fail|silent latency-ms=N link-bps=N dpi=N\r\n"
    L"                                   fail-call=Function:N fail-nth=N fail-path=Function:Path\r\n"
    L"                                   signal=Function:N:Event delay=Function:N:Ms clear-faults)";

const wchar_t kShortcutFolder[] = L"\\Windows\\スタート メニュー\\プログラム";
const wchar_t kLauncherList[] = L"Software\\Palvar-Ostrand\\Tarvek\\FileList";
const wchar_t kCompanyKey[] = L"Software\\Palvar-Ostrand";
const wchar_t* const kListedFolders[] = {L"\\Storage Card", L"\\SD-MMC card", L"\\Windows\\AppMgr\\Install"};

int UsageError(const std::wstring& why)
{
    PrintError(L"qamosim: " + why);
    PrintError(kUsage);
    return kUsageError;
}

int Prepare(const std::wstring& folder, const std::vector<std::wstring>& args)
{
    PrepareOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        const bool hasValue = i + 1 < args.size();
        unsigned dpi = 0;
        if (a == L"--platform" && hasValue)
            options.platform = args[++i];
        else if (a == L"--no-platform")
            options.platform.reset();
        else if (a == L"--version" && hasValue)
            options.version = args[++i];
        else if (a == L"--no-version-file")
            options.version.reset();
        else if (a == L"--no-shortcut")
            options.shortcut = false;
        else if (a == L"--no-launcher")
            options.launcher = false;
        else if (a == L"--no-card")
            options.memoryCard = false;
        else if (a == L"--dpi" && hasValue && ParseUnsigned(args[i + 1], dpi) && dpi > 0) {
            options.logPixelsX = static_cast<int>(dpi);
            ++i;
        } else
            return UsageError(L"bad option " + a);
    }
    if (!CreateDirectories(folder)) {
        PrintError(L"qamosim: cannot create " + folder);
        return kFolderError;
    }
    Handheld(folder).Prepare(options);
    Print(L"prepared " + folder);
    return 0;
}

std::wstring ValueText(const std::optional<RegValue>& value)
{
    return value ? DescribeValue(*value) : std::wstring(L"(none)");
}

void ListFiles(const Handheld& handheld, const std::wstring& folder, const std::wstring& indent)
{
    for (const Handheld::Entry& e : handheld.List(folder)) {
        if (e.folder) {
            Print(indent + e.name + L"\\");
            ListFiles(handheld, folder + L'\\' + e.name, indent + L"  ");
        } else {
            Print(indent + e.name + L"  " + std::to_wstring(e.size) + L" bytes" + (e.readOnly ? L"  read-only" : L""));
        }
    }
}

int Show(const std::wstring& folder)
{
    const Handheld handheld(folder);
    const DeviceSettings settings = handheld.Settings();
    const Registry registry = handheld.LoadRegistry();
    Print(L"Handheld folder: " + folder);
    Print(L"Connection: " + std::wstring(ConnectionModeName(settings.connection)) + L", latency " +
          std::to_wstring(settings.latencyMs) + L" ms, link " +
          (settings.linkBytesPerSecond ? std::to_wstring(settings.linkBytesPerSecond) + L" bytes/s" : L"unlimited") +
          L", display " + std::to_wstring(settings.logPixelsX) + L" dpi");
    const std::wstring all = settings.Format();
    const std::wstring faults = all.substr(all.find(L"[faults]\r\n") + 10);
    Print(L"Faults:" + (faults.empty() ? std::wstring(L" none") : L"\r\n" + faults.substr(0, faults.size() - 2)));

    Print(L"Platform: " + ValueText(registry.GetValue(RegRoot::LocalMachine, kPlatformKey, L"Name")));
    const std::optional<std::string> version = handheld.ReadFile(kVersionFile);
    Print(std::wstring(L"Version file ") + kVersionFile + (version ? L":" : L": (none)"));
    if (version) {
        std::wstring text = FromUtf8(*version);
        for (size_t end; !text.empty(); text.erase(0, end == std::wstring::npos ? text.size() : end + 1)) {
            end = text.find(L'\n');
            const std::wstring line = text.substr(0, end);
            Print(L"  " + (!line.empty() && line.back() == L'\r' ? line.substr(0, line.size() - 1) : line));
        }
    }

    Print(std::wstring(L"Shortcuts in ") + kShortcutFolder + L":");
    for (const Handheld::Entry& e : handheld.List(kShortcutFolder))
        if (!e.folder)
            Print(L"  " + e.name + L": " + FromUtf8(handheld.ReadFile(std::wstring(kShortcutFolder) + L'\\' + e.name).value_or("")));

    Print(std::wstring(L"Launcher entries in HKEY_CURRENT_USER\\") + kLauncherList + L":");
    for (const std::wstring& entry : registry.SubkeyNames(RegRoot::CurrentUser, kLauncherList)) {
        Print(L"  " + entry);
        for (const auto& [name, value] : registry.Values(RegRoot::CurrentUser, std::wstring(kLauncherList) + L'\\' + entry))
            Print(L"    " + (name.empty() ? L"@" : name) + L" = " + DescribeValue(value));
    }

    Print(std::wstring(L"Memory card: ") + (handheld.Exists(kMemoryCardFolder) ? L"present" : L"absent"));
    for (const wchar_t* listed : kListedFolders) {
        Print(std::wstring(listed) + (handheld.Exists(listed) ? L":" : L": (none)"));
        ListFiles(handheld, listed, L"  ");
    }

    Print(std::wstring(L"Values in HKEY_LOCAL_MACHINE\\") + kCompanyKey + L":");
    for (const auto& [name, value] : registry.Values(RegRoot::LocalMachine, kCompanyKey))
        Print(L"  " + (name.empty() ? L"@" : name) + L" = " + DescribeValue(value));

    Print(L"Started programs:");
    for (const StartedProgram& p : handheld.StartedPrograms())
        Print(L"  " + p.program + (p.commandLine.empty() ? L"" : L"  " + p.commandLine));
    return 0;
}

int Set(const std::wstring& folder, const std::vector<std::wstring>& args)
{
    if (args.empty())
        return UsageError(L"set needs at least one setting");
    Handheld handheld(folder);
    DeviceSettings settings = handheld.Settings();
    std::wstring error;
    for (const std::wstring& a : args)
        if (!settings.Apply(a, &error))
            return UsageError(error);
    handheld.ChangeSettings([&](DeviceSettings& s) { s = settings; });
    Print(L"settings of " + folder + L":");
    Print(settings.Format());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return UsageError(L"missing command or folder");
    const std::wstring command = argv[1];
    const std::wstring folder = argv[2];
    const std::vector<std::wstring> args(argv + 3, argv + argc);
    try {
        if (command == L"prepare")
            return Prepare(folder, args);
        if (command != L"show" && command != L"set")
            return UsageError(L"unknown command " + command);
        if (!IsDirectory(folder)) {
            PrintError(L"qamosim: no handheld folder " + folder + L" (create one with qamosim prepare)");
            return kFolderError;
        }
        if (command == L"show")
            return args.empty() ? Show(folder) : UsageError(L"show takes only the folder");
        return Set(folder, args);
    } catch (const std::exception& e) {
        PrintError(L"qamosim: " + FromUtf8(e.what()));
        return kFolderError;
    }
}
