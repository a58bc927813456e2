// qamosim: prepares, shows and sets up a simulated handheld folder (see simhandheld/README.md).
#include "simhandheld/Folder.h"
#include "simhandheld/SimHandheld.h"

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace simhandheld;

namespace {

constexpr int kUsageError = 2;
constexpr int kFolderError = 1;

// Wide text straight to a console, UTF-8 when redirected, so that Japanese names survive both.
void WriteLine(DWORD which, const std::wstring& line)
{
    HANDLE out = GetStdHandle(which);
    const std::wstring text = line + L"\r\n";
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = ToUtf8(text);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Print(const std::wstring& line)
{
    WriteLine(STD_OUTPUT_HANDLE, line);
}

int Failure(int code, const std::wstring& why, bool usage = false)
{
    WriteLine(STD_ERROR_HANDLE, L"qamosim: " + why);
    if (usage)
        WriteLine(STD_ERROR_HANDLE,
                  L"usage:\r\n"
                  L"  qamosim prepare FOLDER [--platform NAME | --no-platform] [--version TEXT | --no-version-file] [--no-card] [SETTING...]\r\n"
                  L"  qamosim show FOLDER\r\n"
                  L"  qamosim set FOLDER SETTING...\r\n"
                  L"settings:\r\n" +
                      SettingsHelp());
    return code;
}

int Prepare(const std::wstring& folder, const std::vector<std::wstring>& args)
{
    PrepareOptions options;
    std::wstring settings, error;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == L"--platform" && hasValue)
            options.platform = args[++i];
        else if (a == L"--no-platform")
            options.platform.reset();
        else if (a == L"--version" && hasValue)
            options.version = args[++i];
        else if (a == L"--no-version-file")
            options.version.reset();
        else if (a == L"--no-card")
            options.memoryCard = false;
        else if (a.rfind(L"--", 0) == 0 || !options.settings.Apply(a, &error))
            return Failure(kUsageError, error.empty() ? L"bad option " + a : error, true);
        else
            settings += L" " + a;
    }
    if (!CreateDirectories(folder))
        return Failure(kFolderError, L"cannot create " + folder);
    Handheld(folder).Prepare(options);
    // Said in full, as a second prepare replaces everything the first one made.
    Print(L"prepared " + folder + L" afresh: platform " + options.platform.value_or(L"(none)") + L", version file " +
          (options.version ? L"\"" + *options.version + L"\"" : L"(none)") + L", shortcut, launcher entry, " +
          (options.memoryCard ? L"memory card " + std::wstring(options.CardFolder()) : L"no memory card") +
          (settings.empty() ? L", default settings" : L", settings" + settings));
    return 0;
}

void ShowFiles(const Handheld& handheld, const std::wstring& folder, const std::wstring& indent)
{
    for (const std::wstring& name : handheld.List(folder)) {
        const std::wstring path = InFolder(folder, name.c_str());
        if (name.back() == L'\\') {
            Print(indent + name);
            ShowFiles(handheld, path.substr(0, path.size() - 1), indent + L"  ");
            continue;
        }
        const std::string bytes = handheld.ReadFile(path).value_or("");
        std::wstring line = indent + name + L"  " + std::to_wstring(bytes.size()) + L" bytes" + (handheld.IsReadOnly(path) ? L"  read-only" : L"");
        // A shortcut is a line of text: where it leads.
        if (name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), L".lnk"))
            line += L": " + FromUtf8(bytes);
        Print(line);
    }
}

int Show(const std::wstring& folder)
{
    const Handheld handheld(folder);
    const std::wstring settings = handheld.Settings().Format();
    Print(L"Handheld folder: " + folder);
    Print(L"Settings (device.ini):");
    for (const std::wstring& line : Lines(settings))
        if (!line.empty() && line[0] != L';')
            Print(L"  " + line);
    Print(L"Files:");
    ShowFiles(handheld, L"\\", L"  ");
    Print(L"Registry (registry.reg):");
    const std::vector<std::wstring> registry = Lines(handheld.LoadRegistry().Format());
    for (size_t i = 1; i < registry.size(); ++i)
        if (!registry[i].empty())
            Print(L"  " + registry[i]);
    Print(L"Started programs:");
    for (const StartedProgram& p : handheld.StartedPrograms())
        Print(L"  " + p.program + (p.commandLine.empty() ? L"" : L"  " + p.commandLine));
    return 0;
}

int Set(const std::wstring& folder, const std::vector<std::wstring>& args)
{
    if (args.empty())
        return Failure(kUsageError, L"set needs at least one setting", true);
    DeviceSettings settings = Handheld(folder).Settings();
    std::wstring error;
    for (const std::wstring& a : args)
        if (!settings.Apply(a, &error))
            return Failure(kUsageError, error, true);
    if (!settings.Save(folder))
        return Failure(kFolderError, L"cannot write to " + folder);
    Print(L"settings of " + folder + L":");
    Print(settings.Format());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return Failure(kUsageError, L"missing command or folder", true);
    const std::wstring command = argv[1];
    const std::wstring folder = argv[2];
    const std::vector<std::wstring> args(argv + 3, argv + argc);
    try {
        if (command == L"prepare")
            return Prepare(folder, args);
        if (command != L"show" && command != L"set")
            return Failure(kUsageError, L"unknown command " + command, true);
        if (!IsDirectory(folder))
            return Failure(kFolderError, L"no handheld folder " + folder + L" (make one with qamosim prepare)");
        if (command == L"show")
            return args.empty() ? Show(folder) : Failure(kUsageError, L"show takes only the folder", true);
        return Set(folder, args);
    } catch (const std::exception& e) {
        return Failure(kFolderError, FromUtf8(e.what()));
    }
}
