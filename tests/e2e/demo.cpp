// qamovup_demo <qamovup.exe> <screenshot folder>: one complete revision-up driven through the
// tool's windows, with a screenshot of the main dialog, of the installer copy at about half way
// and of the completion notice. The handheld is whatever QAMOVUP_HANDHELD names.
#include "driver/Process.h"
#include "driver/Window.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

using namespace uidriver;

constexpr DWORD kStepTimeoutMs = 60000;
// Long enough for a window that has just appeared to have painted itself.
constexpr DWORD kPaintMs = 500;
constexpr int kStatusTextId = 1001;
constexpr int kProgressBarId = 1000;
constexpr wchar_t kInstallStatus[] = L"アプリケーションをインストールしています...";

bool Step(bool ok, const char* what)
{
    std::printf("%s %s\n", ok ? "ok:    " : "FAILED:", what);
    std::fflush(stdout);
    return ok;
}

bool Screenshot(const std::wstring& folder, const wchar_t* name)
{
    ::Sleep(kPaintMs);
    return SaveScreenshot(nullptr, folder + L"\\" + name);
}

int Demo(const std::wstring& tool, const std::wstring& shots)
{
    Process process = Process::Launch(tool);
    if (!Step(true, "qamovup started"))
        return 1;

    WindowQuery mainQuery;
    mainQuery.processId = process.Id();
    mainQuery.title = L"qamo+ for Handheld";
    const HWND main = WaitForTopLevel(mainQuery, kStepTimeoutMs);
    if (!Step(main != nullptr, "main dialog shown") || !Step(Screenshot(shots, L"main.bmp"), "main.bmp saved"))
        return 1;

    if (!Step(Click(Item(main, IDOK)), "start pressed"))
        return 1;
    WindowQuery progressQuery;
    progressQuery.processId = process.Id();
    progressQuery.owner = main;
    progressQuery.visibleOnly = false;
    const HWND progress = WaitForTopLevel(progressQuery, kStepTimeoutMs);
    if (!Step(progress != nullptr, "progress dialog shown"))
        return 1;

    const bool halfWay = WaitUntil(
        [&] {
            return Text(Item(progress, kStatusTextId)) == kInstallStatus &&
                   ProgressPosition(Item(progress, kProgressBarId)).value_or(0) >= 50;
        },
        kStepTimeoutMs);
    if (!Step(halfWay, "installer copy half way") ||
        !Step(SaveScreenshot(nullptr, shots + L"\\progress.bmp"), "progress.bmp saved"))
        return 1;

    const std::optional<MessageBoxView> done = WaitForMessageBox(progress, kStepTimeoutMs);
    if (!Step(done.has_value(), "completion notice shown") ||
        !Step(Screenshot(shots, L"complete.bmp"), "complete.bmp saved") || !Step(Answer(*done, IDOK), "notice answered"))
        return 1;

    const std::optional<DWORD> exitCode = process.WaitExit(kStepTimeoutMs);
    if (!Step(exitCode == std::optional<DWORD>(0), "qamovup ended with exit code 0"))
        return 1;
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: qamovup_demo <path of qamovup.exe> <screenshot folder>\n");
        return 2;
    }
    try {
        return Demo(argv[1], argv[2]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qamovup_demo: %s\n", error.what());
        return 1;
    }
}
