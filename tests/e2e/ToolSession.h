// One qamovup.exe process against one simulated handheld, driven through its windows as a user
// would; what the end-to-end tests and the stress test share.
#pragma once

#include "driver/Process.h"
#include "driver/Window.h"
#include "simhandheld/SimHandheld.h"

#include <functional>
#include <string>
#include <vector>

namespace e2e {

constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kRunTimeoutMs = 120000;

// The program under test: QAMOVUP_E2E_TOOL when it is set, else the one this build made.
std::wstring ToolPath();
// The installer cabinet qamovup.exe carries, read from the program file.
const std::string& Cabinet();

// What the progress dialog shows at one moment.
struct ProgressView {
    std::wstring title;
    std::wstring status;
    int position = -1;
    bool cancelEnabled = false;
};

// Everything the progress dialog showed during a run, in order, repeats collapsed.
struct RunLog {
    std::vector<std::wstring> titles;
    std::vector<std::wstring> statuses;
    std::vector<int> positions;
    bool cancelEnabledSeen = false;

    void Add(const ProgressView& view);
    bool SawStatus(const std::wstring& status) const;
};

struct RunEnd {
    enum class Kind { MessageBox, Closed, TimedOut };
    Kind kind = Kind::TimedOut;
    HWND progress = nullptr;  // the dialog followed
    uidriver::MessageBoxView box;
    ProgressView last;  // the dialog as the message box found it
};

class ToolSession {
public:
    // Starts the tool with QAMOVUP_HANDHELD naming handheldFolder and waits for its main dialog
    // (throws std::runtime_error if it does not come).
    explicit ToolSession(const std::wstring& handheldFolder, const std::wstring& program = ToolPath(),
                         const std::wstring& workingFolder = {},
                         const std::function<void(uidriver::Environment&)>& adjust = {});

    HWND MainDialog() const { return m_main; }
    uidriver::Process& Process() { return m_process; }

    // Sets the card check box as asked, presses start and returns the progress dialog, or null.
    HWND Start(bool copyToCard);
    // Watches the progress dialog until a message box of its own appears, it closes, or time
    // runs out; onPoll sees every view and may press something.
    RunEnd Follow(HWND progress, RunLog& log, const std::function<void(const ProgressView&)>& onPoll = {},
                  DWORD timeoutMs = kRunTimeoutMs);
    // The tool's visible windows other than the main dialog.
    std::vector<HWND> OtherWindows() const;
    // Presses Exit; true once the process has ended.
    bool Exit();

private:
    uidriver::Process m_process;
    HWND m_main = nullptr;
};

ProgressView ReadProgress(HWND progress);

// gtest checks of the handheld after a run.
void ExpectCompleteCopy(const simhandheld::Handheld& handheld, const wchar_t* path);
void ExpectInstalled(const simhandheld::Handheld& handheld, bool cardCopy);
// Every copy is either absent or whole: a cancelled run leaves nothing partial.
void ExpectNoPartialCopy(const simhandheld::Handheld& handheld);

}  // namespace e2e
