// Every way a run can stop with a notice: the exact words and caption the user reads, and a tool
// that is still there, ready to try again once the handheld is put right.
#include "ToolTest.h"

#include <algorithm>
#include <functional>

namespace e2e {
namespace {

using simhandheld::Handheld;

struct NoticeCase {
    const char* name;
    std::function<void(Handheld&)> spoil;
    bool copyToCard;
    const wchar_t* text;
    const wchar_t* caption;
};

void PrepareWith(Handheld& handheld, const std::function<void(simhandheld::PrepareOptions&)>& change)
{
    simhandheld::PrepareOptions options;
    change(options);
    handheld.Prepare(options);
}

const NoticeCase kNoticeCases[] = {
    {"RefusedConnection", [](Handheld& h) { h.Set(L"connection=refuse"); }, true,
     expected::kInitFailed, expected::kConnectionCaption},
    {"SettingsThatDoNotParse", [](Handheld& h) { simhandheld::AppendToFile(h.Folder() + L"\\device.ini", "latency-ms=5s\r\n"); }, true,
     expected::kInitFailed, expected::kConnectionCaption},
    {"FailedConnection", [](Handheld& h) { h.Set(L"connection=fail"); }, true,
     expected::kConnectFailed, expected::kConnectionCaption},
    {"SilentHandheld", [](Handheld& h) { h.Set(L"connection=silent"); }, true,
     expected::kNotConnected, expected::kConnectionCaption},
    {"OtherPlatform", [](Handheld& h) { PrepareWith(h, [](auto& o) { o.platform = L"SMDK2410"; }); }, true,
     expected::kWrongDevice, expected::kConnectionCaption},
    {"NoQamoInstalled", [](Handheld& h) { PrepareWith(h, [](auto& o) { o.version.reset(); }); }, true,
     expected::kNotInstalled, expected::kVersionCaption},
    {"VersionTooOld", [](Handheld& h) { PrepareWith(h, [](auto& o) { o.version = L"Version 1.1.9.0"; }); }, true,
     expected::kTooOld1190, expected::kVersionCaption},
    {"InstallerCopyNotCreated", [](Handheld& h) { h.Set(L"fail-path=CeCreateFile:" + std::wstring(expected::kInstallerCopy)); }, true,
     expected::kTransferFailed, expected::kTransferCaption},
    {"WriteFailsOnTheCard", [](Handheld& h) { h.Set(L"fail-call=CeWriteFile:3"); }, true, expected::kWriteFailed,
     expected::kTransferCaption},
    {"ShortWriteOnTheCard", [](Handheld& h) { h.Set(L"short-write=3:1000"); }, true, expected::kWriteFailed,
     expected::kTransferCaption},
    {"WriteFailsInTheInstallerCopy", [](Handheld& h) { h.Set(L"fail-call=CeWriteFile:40"); }, false,
     expected::kWriteFailed, expected::kTransferCaption},
    {"NoMemoryCard", [](Handheld& h) { PrepareWith(h, [](auto& o) { o.memoryCard = false; }); }, true,
     expected::kCardFailed, expected::kTransferCaption},
};

class Notice : public ToolTest, public testing::WithParamInterface<NoticeCase> {};

TEST_P(Notice, SaysExactlyWhatWentWrongThenTheToolCanStartAgain)
{
    const NoticeCase& notice = GetParam();
    notice.spoil(handheld);
    ToolSession tool(handheld.Folder());
    const RunEnd end = StartRun(tool, notice.copyToCard);
    ASSERT_EQ(end.kind, RunEnd::Kind::MessageBox) << "the run ended without a notice";
    ExpectNotice(end.box, notice.text, notice.caption);
    ASSERT_TRUE(uidriver::Answer(end.box, IDOK));
    EXPECT_TRUE(uidriver::WaitGone(end.progress, kWindowTimeoutMs)) << "the progress dialog stays after the notice";
    ExpectBackAtMainDialog(tool);
    ExpectNoPartialCopy(handheld);
    EXPECT_TRUE(handheld.StartedPrograms().empty()) << "the installer was started after a failure";

    handheld.Prepare();
    CompleteRun(tool, true);
    ExpectInstalled(handheld, true);
}

INSTANTIATE_TEST_SUITE_P(EachFailure, Notice, testing::ValuesIn(kNoticeCases),
                         [](const testing::TestParamInfo<NoticeCase>& info) { return std::string(info.param.name); });

TEST_F(ToolTest, AVersionQuestionAnsweredNoLeavesTheHandheldAsItWas)
{
    PrepareNewerVersion();
    const std::wstring registryBefore = handheld.LoadRegistry().Format();
    ToolSession tool(handheld.Folder());
    const RunEnd question = StartRunToTheVersionQuestion(tool);
    ASSERT_EQ(question.kind, RunEnd::Kind::MessageBox);
    ASSERT_TRUE(uidriver::Answer(question.box, IDNO));
    RunLog log;
    const RunEnd end = tool.Follow(question.progress, log);
    ASSERT_EQ(end.kind, RunEnd::Kind::Closed) << "something more was said after No: "
                                               << testing::PrintToString(end.box.text);
    ExpectBackAtMainDialog(tool);

    EXPECT_EQ(handheld.LoadRegistry().Format(), registryBefore);
    EXPECT_TRUE(handheld.Exists(simhandheld::kShortcutFile)) << "the shortcut was moved";
    ExpectNothingInstalled();
    EXPECT_TRUE(tool.Exit());
}

// registry.reg edited in Notepad and saved as "ANSI": the handheld cannot read it, so the platform
// is unknown, and the file is left byte for byte as it was.
TEST_F(ToolTest, ARegistrySavedInTheDesktopsCodePageIsRefusedAndLeftAsItWas)
{
    const std::wstring text = handheld.LoadRegistry().Format() +
                              L"[HKEY_LOCAL_MACHINE\\Software\\Palvar-Ostrand]\r\n\"Owner\"=\"営業所\"\r\n";
    std::string ansi(text.size() * 2, '\0');
    ansi.resize(static_cast<size_t>(::WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()),
                                                          ansi.data(), static_cast<int>(ansi.size()), nullptr, nullptr)));
    const std::wstring file = simhandheld::InFolder(handheld.Folder(), simhandheld::kRegistryFile);
    ASSERT_TRUE(simhandheld::ReplaceWholeFile(file, ansi));

    ToolSession tool(handheld.Folder());
    const RunEnd end = StartRun(tool, true);
    ASSERT_EQ(end.kind, RunEnd::Kind::MessageBox);
    ExpectNotice(end.box, expected::kWrongDevice, expected::kConnectionCaption);
    EXPECT_TRUE(uidriver::Answer(end.box, IDOK));
    EXPECT_TRUE(uidriver::WaitGone(end.progress, kWindowTimeoutMs));
    EXPECT_TRUE(tool.Exit());
    std::string after;
    EXPECT_TRUE(simhandheld::ReadWholeFile(file, after));
    EXPECT_TRUE(after == ansi) << "registry.reg was rewritten";
    // The value, on the file's last line, is where it stops being UTF-8.
    const std::wstring where = L"registry.reg: line " + std::to_wstring(simhandheld::Lines(text).size()) + L": ";
    const std::vector<simhandheld::CallRecord> calls = handheld.Calls();
    EXPECT_TRUE(std::any_of(calls.begin(), calls.end(), [&](const simhandheld::CallRecord& call) {
        return call.result.find(where) != std::wstring::npos;
    })) << "calls.log does not say which line could not be read";
}

// The notices must not depend on the desktop's ANSI code page. Under Wine a program's code page
// follows the Unix locale it was started in: CTest runs this once more as e2e_codepage under
// C.UTF-8, where the test itself, and so the tool, gets code page 1252.
TEST_F(ToolTest, NoticesReadTheSameOnADesktopWhoseCodePageIsNot932)
{
    uidriver::Process probe = uidriver::Process::Launch(uidriver::HostPath(QAMOVUP_E2E_ACP_PROBE));
    const std::optional<DWORD> codePage = probe.WaitExit(kWindowTimeoutMs);
    ASSERT_TRUE(codePage.has_value());
    if (*codePage == 932)
        GTEST_SKIP() << "programs started here get code page 932";

    PrepareWith(handheld, [](auto& o) { o.version = L"Version 1.1.9.0"; });
    ToolSession tool(handheld.Folder());
    const RunEnd end = StartRun(tool, true);
    ASSERT_EQ(end.kind, RunEnd::Kind::MessageBox);
    ExpectNotice(end.box, expected::kTooOld1190, expected::kVersionCaption);
    EXPECT_EQ(end.last.status, expected::kReadingStatus);
    EXPECT_EQ(end.last.title, expected::kReadingTitle);
    EXPECT_TRUE(uidriver::Answer(end.box, IDOK));
    EXPECT_TRUE(uidriver::WaitGone(end.progress, kWindowTimeoutMs));
    EXPECT_TRUE(tool.Exit());
}

}  // namespace
}  // namespace e2e
