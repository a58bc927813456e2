// Cancel during a copy: the run ends quietly, nothing half-written stays on the handheld and the
// tool is ready for another start.
#include "ToolTest.h"

namespace e2e {
namespace {

class Cancel : public ToolTest {
protected:
    // About four seconds per copy: time enough to press Cancel in the middle of one.
    Cancel() { handheld.Set(L"link-bps=2000000"); }

    // Presses Cancel once the copy with this status is under way; the dialog must close
    // without any message box.
    void CancelDuring(ToolSession& tool, const wchar_t* status)
    {
        const RunEnd end = StartRunPressingOnce(tool, true, CopyUnderWay(status), CancelButton());
        ASSERT_NE(end.kind, RunEnd::Kind::MessageBox)
            << "a message box came after Cancel: " << testing::PrintToString(end.box.text);
        ASSERT_EQ(end.kind, RunEnd::Kind::Closed) << "the progress dialog stayed after Cancel";
        ExpectBackAtMainDialog(tool);
    }
};

TEST_F(Cancel, DuringTheCardCopyLeavesNoFileAndStartsNoInstaller)
{
    ToolSession tool(handheld.Folder());
    CancelDuring(tool, expected::kCardStatus);
    ExpectNothingInstalled();
    EXPECT_TRUE(tool.Exit());
}

TEST_F(Cancel, DuringTheInstallerCopyKeepsTheFinishedCardCopyOnly)
{
    ToolSession tool(handheld.Folder());
    CancelDuring(tool, expected::kInstallStatus);
    ExpectCompleteCopy(handheld, expected::kCardCopy);
    EXPECT_TRUE(handheld.IsReadOnly(expected::kCardCopy));
    EXPECT_FALSE(handheld.Exists(expected::kInstallerCopy));
    EXPECT_TRUE(handheld.StartedPrograms().empty());
    EXPECT_TRUE(tool.Exit());
}

TEST_F(Cancel, LeavesTheToolReadyForAnotherStartThatCompletes)
{
    ToolSession tool(handheld.Folder());
    CancelDuring(tool, expected::kCardStatus);
    handheld.Set(L"link-bps=0");
    CompleteRun(tool, true);
    ExpectInstalled(handheld, true);
}

}  // namespace
}  // namespace e2e
