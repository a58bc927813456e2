// The fixture of the end-to-end tests: the default handheld of every test (HandheldTest), and the
// runs and checks that several groups share.
#pragma once

#include "Expected.h"
#include "HandheldTest.h"
#include "ToolSession.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

namespace e2e {

using When = std::function<bool(const ProgressView&)>;
using Press = std::function<bool(HWND progress)>;
using Watch = std::function<void(HWND progress, const ProgressView&)>;

class ToolTest : public qamovup_test::HandheldTest {
protected:
    // Starts a run and follows it to its first message box or to the progress dialog's end;
    // watch sees every view. Without a progress dialog the test fails and the end is TimedOut.
    RunEnd StartRun(ToolSession& tool, bool copyToCard, RunLog* log = nullptr, const Watch& watch = {});
    // The same, pressing once the first time `when` holds; the test fails if it never does.
    RunEnd StartRunPressingOnce(ToolSession& tool, bool copyToCard, const When& when, const Press& press);
    // The handheld holds "Version 1.3.0.0", newer than the target: a run asks about it first.
    void PrepareNewerVersion();
    // Starts a run and follows it to the version question; the end is a message box if it came.
    RunEnd StartRunToTheVersionQuestion(ToolSession& tool);
    // Starts a run and expects it to complete.
    void CompleteRun(ToolSession& tool, bool copyToCard, RunLog* log = nullptr);
    // The run ended with the completion notice; answering it closes the tool with exit code 0.
    void ExpectCompletion(ToolSession& tool, const RunEnd& end);
    // After a notice or a cancel: only the main dialog is left, and it takes a new start.
    void ExpectBackAtMainDialog(ToolSession& tool);
    // No copy of the installer on the handheld and no installer started.
    void ExpectNothingInstalled();
};

// A copy with this status is running and well short of its end.
When CopyUnderWay(const wchar_t* status);
Press Key(UINT virtualKey);
Press CancelButton();

void ExpectNotice(const uidriver::MessageBoxView& box, const wchar_t* text, const wchar_t* caption);
void ExpectVersionQuestion(const uidriver::MessageBoxView& box);
// The percentage in a copy's title "デバイスにデータを転送中 (42%)", or none for any other title.
std::optional<int> PercentInTitle(const std::wstring& title);
// A fresh folder for the test to plant files in.
std::wstring ScratchFolder(const std::wstring& name);

}  // namespace e2e
