#include "ToolTest.h"

namespace e2e {

RunEnd ToolTest::StartRun(ToolSession& tool, bool copyToCard, RunLog* log, const Watch& watch)
{
    const HWND progress = tool.Start(copyToCard);
    if (progress == nullptr) {
        ADD_FAILURE() << "no progress dialog";
        return {};
    }
    RunLog ownLog;
    return tool.Follow(progress, log != nullptr ? *log : ownLog, [&](const ProgressView& view) {
        if (watch)
            watch(progress, view);
    });
}

RunEnd ToolTest::StartRunPressingOnce(ToolSession& tool, bool copyToCard, const When& when, const Press& press)
{
    bool pressed = false;
    const RunEnd end = StartRun(tool, copyToCard, nullptr, [&](HWND progress, const ProgressView& view) {
        if (!pressed && when(view))
            pressed = press(progress);
    });
    EXPECT_TRUE(pressed) << "the moment to press never came";
    return end;
}

void ToolTest::PrepareNewerVersion()
{
    simhandheld::PrepareOptions options;
    options.version = L"Version 1.3.0.0";
    handheld.Prepare(options);
}

RunEnd ToolTest::StartRunToTheVersionQuestion(ToolSession& tool)
{
    const RunEnd question = StartRun(tool, true);
    EXPECT_EQ(question.kind, RunEnd::Kind::MessageBox) << "the version question did not come";
    if (question.kind == RunEnd::Kind::MessageBox)
        ExpectVersionQuestion(question.box);
    return question;
}

void ToolTest::CompleteRun(ToolSession& tool, bool copyToCard, RunLog* log)
{
    ExpectCompletion(tool, StartRun(tool, copyToCard, log));
}

void ToolTest::ExpectCompletion(ToolSession& tool, const RunEnd& end)
{
    ASSERT_EQ(end.kind, RunEnd::Kind::MessageBox) << "the run ended without its completion notice";
    ExpectNotice(end.box, expected::kDoneText, expected::kDoneCaption);
    EXPECT_EQ(end.last.position, 100);
    EXPECT_EQ(end.last.title, std::wstring(expected::kTransferTitle) + L" (100%)");
    EXPECT_FALSE(end.last.cancelEnabled) << "Cancel is offered after the copy has ended";

    ASSERT_TRUE(uidriver::Answer(end.box, IDOK));
    EXPECT_TRUE(uidriver::WaitGone(tool.MainDialog(), kWindowTimeoutMs)) << "the main dialog stays after completion";
    EXPECT_EQ(tool.Process().WaitExit(kWindowTimeoutMs), std::optional<DWORD>(0));
}

void ToolTest::ExpectBackAtMainDialog(ToolSession& tool)
{
    ASSERT_TRUE(tool.Process().Running());
    EXPECT_TRUE(::IsWindowVisible(tool.MainDialog()));
    EXPECT_TRUE(uidriver::WaitUntil([&] { return ::IsWindowEnabled(tool.MainDialog()) != FALSE; }, kWindowTimeoutMs));
    EXPECT_TRUE(tool.OtherWindows().empty()) << "a window besides the main dialog is still open";
}

void ToolTest::ExpectNothingInstalled()
{
    EXPECT_FALSE(handheld.Exists(expected::kCardCopy));
    EXPECT_FALSE(handheld.Exists(expected::kInstallerCopy));
    EXPECT_TRUE(handheld.StartedPrograms().empty());
}

When CopyUnderWay(const wchar_t* status)
{
    return [status](const ProgressView& view) {
        return view.status == status && view.cancelEnabled && view.position >= 5 && view.position < 60;
    };
}

Press Key(UINT virtualKey)
{
    return [virtualKey](HWND progress) { return uidriver::PressKey(progress, virtualKey); };
}

Press CancelButton()
{
    return [](HWND progress) { return uidriver::Click(uidriver::Item(progress, IDCANCEL)); };
}

void ExpectNotice(const uidriver::MessageBoxView& box, const wchar_t* text, const wchar_t* caption)
{
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, caption);
    EXPECT_TRUE(box.ok);
    EXPECT_FALSE(box.yes || box.no || box.cancel);
}

void ExpectVersionQuestion(const uidriver::MessageBoxView& box)
{
    EXPECT_EQ(box.text, expected::kNewer1300);
    EXPECT_EQ(box.caption, expected::kVersionCaption);
    EXPECT_TRUE(box.yes && box.no);
    EXPECT_FALSE(box.ok || box.cancel);
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
