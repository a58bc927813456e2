// The fixture of the end-to-end tests: a fresh default handheld for every test, and the checks
// that several groups make.
#pragma once

#include "Expected.h"
#include "ToolSession.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace e2e {

class ToolTest : public testing::Test {
protected:
    ToolTest();
    ~ToolTest() override;

    // Follows a started run to its completion notice, answers it and expects the tool to end
    // with exit code 0.
    void FinishCompleteRun(ToolSession& tool, HWND progress, RunLog* log = nullptr);
    // Starts a run and finishes it as above.
    void CompleteRun(ToolSession& tool, bool copyToCard, RunLog* log = nullptr);
    // After a notice or a cancel: only the main dialog is left, and it takes a new start.
    void ExpectBackAtMainDialog(ToolSession& tool);

    simhandheld::Handheld handheld;
};

void ExpectNotice(const uidriver::MessageBoxView& box, const wchar_t* text, const wchar_t* caption);
// The percentage in a copy's title "デバイスにデータを転送中 (42%)", or none for any other title.
std::optional<int> PercentInTitle(const std::wstring& title);
// A fresh folder for the test to plant files in.
std::wstring ScratchFolder(const std::wstring& name);

}  // namespace e2e
