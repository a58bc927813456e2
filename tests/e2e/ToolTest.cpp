#include "ToolTest.h"

#include "simhandheld/Folder.h"

namespace e2e {
namespace {

std::wstring CurrentTestName()
{
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info != nullptr ? std::string(info->test_suite_name()) + "-" + info->name() : "e2e";
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == ':')
            c = '-';
    }
    return std::wstring(name.begin(), name.end());
}

}  // namespace

ToolTest::ToolTest() : handheld(simhandheld::Handheld::TemporaryFolder(CurrentTestName()))
{
    handheld.PrepareDefault();
}

ToolTest::~ToolTest()
{
    // A failed test keeps its handheld for a look at calls.log.
    if (!HasFailure())
        simhandheld::RemoveTree(handheld.Folder());
}

void ToolTest::FinishCompleteRun(ToolSession& tool, HWND progress, RunLog* log)
{
    RunLog ownLog;
    const RunEnd end = tool.Follow(progress, log != nullptr ? *log : ownLog);
    ASSERT_EQ(end.kind, RunEnd::Kind::MessageBox) << "the run ended without its completion notice";
    EXPECT_EQ(end.box.text, expected::kDoneText);
    EXPECT_EQ(end.box.caption, expected::kDoneCaption);
    EXPECT_TRUE(end.box.ok);
    EXPECT_FALSE(end.box.yes || end.box.no || end.box.cancel);
    EXPECT_EQ(end.last.position, 100);
    EXPECT_EQ(end.last.title, std::wstring(expected::kTransferTitle) + L" (100%)");
    EXPECT_FALSE(end.last.cancelEnabled) << "Cancel is offered after the copy has ended";

    ASSERT_TRUE(uidriver::Answer(end.box, IDOK));
    EXPECT_TRUE(uidriver::WaitGone(tool.MainDialog(), kWindowTimeoutMs)) << "the main dialog stays after completion";
    EXPECT_EQ(tool.Process().WaitExit(kWindowTimeoutMs), std::optional<DWORD>(0));
}

void ToolTest::CompleteRun(ToolSession& tool, bool copyToCard, RunLog* log)
{
    const HWND progress = tool.Start(copyToCard);
    ASSERT_NE(progress, nullptr) << "no progress dialog";
    FinishCompleteRun(tool, progress, log);
}

void ToolTest::ExpectBackAtMainDialog(ToolSession& tool)
{
    ASSERT_TRUE(tool.Process().Running());
    EXPECT_TRUE(::IsWindowVisible(tool.MainDialog()));
    EXPECT_TRUE(uidriver::WaitUntil([&] { return ::IsWindowEnabled(tool.MainDialog()) != FALSE; }, kWindowTimeoutMs));
    EXPECT_TRUE(tool.OtherWindows().empty()) << "a window besides the main dialog is still open";
}

void ExpectNotice(const uidriver::MessageBoxView& box, const wchar_t* text, const wchar_t* caption)
{
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, caption);
    EXPECT_TRUE(box.ok);
    EXPECT_FALSE(box.yes || box.no || box.cancel);
}

std::optional<int> PercentInTitle(const std::wstring& title)
{
    const std::wstring prefix = std::wstring(expected::kTransferTitle) + L" (";
    const std::wstring suffix = L"%)";
    if (title.size() <= prefix.size() + suffix.size() || title.compare(0, prefix.size(), prefix) != 0 ||
        title.compare(title.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    const std::wstring digits = title.substr(prefix.size(), title.size() - prefix.size() - suffix.size());
    if (digits.size() > 3 || digits.find_first_not_of(L"0123456789") != std::wstring::npos)
        return std::nullopt;
    const int percent = std::stoi(digits);
    if (percent > 100)
        return std::nullopt;
    return percent;
}

std::wstring ScratchFolder(const std::wstring& name)
{
    return simhandheld::Handheld::TemporaryFolder(name);
}

}  // namespace e2e
