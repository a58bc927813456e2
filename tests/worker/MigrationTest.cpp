// What a run changes on the handheld besides the copies: the start-menu shortcut, the
// launcher's entry and the recorded display density.
#include "WorkerHarness.h"

#include <gtest/gtest.h>

namespace {

using namespace qamovup_test;
using simhandheld::RegValue;

std::string Utf16Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

const RegValue kEmptyText{REG_SZ, std::string(2, '\0')};

class Migration : public WorkerTest {
protected:
    std::optional<RegValue> OldEntry(const wchar_t* name) const
    {
        return handheld.GetValue(HKEY_CURRENT_USER, paths::kOldLauncherEntry, name);
    }
    std::optional<RegValue> NewEntry(const wchar_t* name) const
    {
        return handheld.GetValue(HKEY_CURRENT_USER, paths::kNewLauncherEntry, name);
    }
    std::optional<RegValue> Density() const
    {
        return handheld.GetValue(HKEY_LOCAL_MACHINE, paths::kMakerKey, L"DPI");
    }
    void ExpectCompleted(const WorkerResult& run)
    {
        EXPECT_TRUE(run.Notices().empty()) << Describe(run.messages);
        EXPECT_TRUE(run.messages.back().IsStage(VUP_STAGE_DONE));
        EXPECT_TRUE(LinkReleased(run));
    }
};

TEST_F(Migration, TheShortcutIsRenamedWithItsContent)
{
    const std::optional<std::string> shortcut = handheld.ReadFile(paths::kOldShortcut);
    ASSERT_TRUE(shortcut);
    ExpectCompleted(Run(/*copyToCard=*/false));
    EXPECT_FALSE(handheld.Exists(paths::kOldShortcut));
    EXPECT_EQ(shortcut, handheld.ReadFile(paths::kNewShortcut));
}

TEST_F(Migration, AnExistingNewShortcutKeepsBothAsTheyWere)
{
    handheld.WriteFile(paths::kNewShortcut, "12#\\Windows\\new");
    const std::optional<std::string> old = handheld.ReadFile(paths::kOldShortcut);
    ExpectCompleted(Run(/*copyToCard=*/false));
    EXPECT_EQ(old, handheld.ReadFile(paths::kOldShortcut));
    EXPECT_EQ(std::optional<std::string>("12#\\Windows\\new"), handheld.ReadFile(paths::kNewShortcut));
}

TEST_F(Migration, WithoutTheOldShortcutNoneIsMade)
{
    handheld.Remove(paths::kOldShortcut);
    ExpectCompleted(Run(/*copyToCard=*/false));
    EXPECT_FALSE(handheld.Exists(paths::kNewShortcut));
}

TEST_F(Migration, TheLauncherEntryMovesWithItsThreeValues)
{
    const std::optional<RegValue> fileName = OldEntry(L"FileName");
    const std::optional<RegValue> commandLine = OldEntry(L"CommnadLine");
    ASSERT_TRUE(fileName && commandLine);
    ExpectCompleted(Run(/*copyToCard=*/false));
    EXPECT_FALSE(handheld.KeyExists(HKEY_CURRENT_USER, paths::kOldLauncherEntry));
    EXPECT_EQ(fileName, NewEntry(L"FileName"));
    EXPECT_EQ(commandLine, NewEntry(L"CommnadLine"));
    EXPECT_EQ(simhandheld::DwordValue(3), NewEntry(L"Index"));
    EXPECT_TRUE(handheld.KeyExists(HKEY_CURRENT_USER, paths::kLauncherList));
}

TEST_F(Migration, MissingLauncherTextsArriveEmptyAndAMissingIndexAsZero)
{
    handheld.DeleteKey(HKEY_CURRENT_USER, paths::kOldLauncherEntry);
    handheld.CreateKey(HKEY_CURRENT_USER, paths::kOldLauncherEntry);
    ExpectCompleted(Run(/*copyToCard=*/false));
    EXPECT_FALSE(handheld.KeyExists(HKEY_CURRENT_USER, paths::kOldLauncherEntry));
    EXPECT_EQ(kEmptyText, NewEntry(L"FileName"));
    EXPECT_EQ(kEmptyText, NewEntry(L"CommnadLine"));
    EXPECT_EQ(simhandheld::DwordValue(0), NewEntry(L"Index"));
}

TEST_F(Migration, OneMissingLauncherValueLeavesTheOthersIntact)
{
    const std::optional<RegValue> fileName = OldEntry(L"FileName");
    handheld.DeleteKey(HKEY_CURRENT_USER, paths::kOldLauncherEntry);
    handheld.SetValue(HKEY_CURRENT_USER, paths::kOldLauncherEntry, L"FileName", *fileName);
    handheld.SetValue(HKEY_CURRENT_USER, paths::kOldLauncherEntry, L"Index", simhandheld::DwordValue(7));
    ExpectCompleted(Run(/*copyToCard=*/false));
    EXPECT_EQ(fileName, NewEntry(L"FileName"));
    EXPECT_EQ(kEmptyText, NewEntry(L"CommnadLine"));
    EXPECT_EQ(simhandheld::DwordValue(7), NewEntry(L"Index"));
}

// What the handheld sends as a launcher text, and what the new entry must hold: the whole UTF-16
// units read, then a terminator, so that the launcher never reads past the value.
struct LauncherTextCase {
    const char* what;
    const wchar_t* valueName;
    std::string sent;
    std::string written;
};

void PrintTo(const LauncherTextCase& c, std::ostream* os)
{
    *os << c.what;
}

class LauncherText : public Migration, public ::testing::WithParamInterface<LauncherTextCase> {};

TEST_P(LauncherText, ArrivesAsItsWholeUnitsAndATerminator)
{
    const LauncherTextCase& c = GetParam();
    handheld.SetValue(HKEY_CURRENT_USER, paths::kOldLauncherEntry, c.valueName, {REG_SZ, c.sent});
    ExpectCompleted(Run(/*copyToCard=*/false));
    EXPECT_EQ((RegValue{REG_SZ, c.written}), NewEntry(c.valueName));
}

const std::string kFull = Utf16Bytes(std::wstring(260, L'q'));  // 520 bytes, no terminator
const std::string kTerminator(2, '\0');

INSTANTIATE_TEST_SUITE_P(
    Migration, LauncherText,
    ::testing::Values(
        LauncherTextCase{"FileNameFillingTheBuffer", L"FileName", kFull, kFull + kTerminator},
        LauncherTextCase{"CommandLineFillingTheBuffer", L"CommnadLine", kFull, kFull + kTerminator},
        LauncherTextCase{"FileNameOfOddLength", L"FileName", Utf16Bytes(L"qamo") + "x",
                         Utf16Bytes(L"qamo") + kTerminator},
        LauncherTextCase{"CommandLineOfOneByte", L"CommnadLine", "x", kTerminator},
        LauncherTextCase{"FileNameLongerThanTheBufferCountsAsMissing", L"FileName", kFull + "qq", kTerminator}),
    [](const ::testing::TestParamInfo<LauncherTextCase>& info) { return std::string(info.param.what); });

// A value of the old entry that is there but cannot be read (a glitch on the link): moving the
// entry would put an empty text or 0 where the user's was and delete the only place that held it.
class UnreadableLauncherValue : public Migration, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(UnreadableLauncherValue, LeavesTheOldEntryAsItIsAndMakesNoNewOne)
{
    const wchar_t* const names[] = {L"FileName", L"CommnadLine", L"Index"};
    std::vector<std::optional<RegValue>> before;
    for (const wchar_t* name : names)
        before.push_back(OldEntry(name));
    handheld.Set(L"fail-path=CeRegQueryValueEx:HKEY_CURRENT_USER\\" + std::wstring(paths::kOldLauncherEntry) +
                  L"\\" + GetParam());
    ExpectCompleted(Run(/*copyToCard=*/false));
    EXPECT_FALSE(handheld.KeyExists(HKEY_CURRENT_USER, paths::kNewLauncherEntry));
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(before[i], OldEntry(names[i])) << testing::PrintToString(std::wstring(names[i]));
    EXPECT_TRUE(handheld.Exists(paths::kNewShortcut));
    EXPECT_TRUE(Density().has_value());
}

INSTANTIATE_TEST_SUITE_P(Migration, UnreadableLauncherValue, ::testing::Values(L"FileName", L"CommnadLine", L"Index"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             const std::wstring name(info.param);
                             return std::string(name.begin(), name.end());
                         });

TEST_F(Migration, WithoutAnOldEntryNoLauncherKeyIsMadeOrRemoved)
{
    handheld.DeleteKey(HKEY_CURRENT_USER, paths::kOldLauncherEntry);
    handheld.SetValue(HKEY_CURRENT_USER, paths::kLauncherList + std::wstring(L"\\other"), L"FileName", simhandheld::StringValue(L"x"));
    const WorkerResult run = Run(/*copyToCard=*/false);
    ExpectCompleted(run);
    EXPECT_FALSE(handheld.KeyExists(HKEY_CURRENT_USER, paths::kNewLauncherEntry));
    EXPECT_TRUE(handheld.KeyExists(HKEY_CURRENT_USER, paths::kLauncherList + std::wstring(L"\\other")));
    EXPECT_EQ(0u, run.CountCalls(L"CeRegDeleteKey"));
    for (const simhandheld::CallRecord& create : run.CallsTo(L"CeRegCreateKeyEx"))
        EXPECT_EQ(std::wstring::npos, create.arguments.find(L"Tarvek")) << create.arguments;
}

TEST_F(Migration, ANewEntryThatCannotBeCreatedKeepsTheOldOne)
{
    const std::optional<RegValue> fileName = OldEntry(L"FileName");
    handheld.Set(L"fail-path=CeRegCreateKeyEx:HKEY_CURRENT_USER\\" + std::wstring(paths::kNewLauncherEntry));
    ExpectCompleted(Run(/*copyToCard=*/false));
    EXPECT_FALSE(handheld.KeyExists(HKEY_CURRENT_USER, paths::kNewLauncherEntry));
    EXPECT_EQ(fileName, OldEntry(L"FileName"));
    EXPECT_EQ(simhandheld::DwordValue(3), OldEntry(L"Index"));
}

TEST_F(Migration, ANewEntryValueThatCannotBeWrittenKeepsTheOldOne)
{
    const std::optional<RegValue> commandLine = OldEntry(L"CommnadLine");
    handheld.Set(L"fail-call=CeRegSetValueEx:2");
    ExpectCompleted(Run(/*copyToCard=*/false));
    EXPECT_EQ(commandLine, OldEntry(L"CommnadLine"));
    EXPECT_EQ(simhandheld::DwordValue(3), OldEntry(L"Index"));
}

TEST_F(Migration, TheDisplayDensityIsRecordedUnderANewlyCreatedMakerKey)
{
    ASSERT_FALSE(handheld.KeyExists(HKEY_LOCAL_MACHINE, paths::kMakerKey));
    ExpectCompleted(Run(/*copyToCard=*/false));
    EXPECT_EQ(simhandheld::DwordValue(96), Density());
}

TEST_F(Migration, TheDisplayDensityJoinsAnExistingMakerKey)
{
    handheld.SetValue(HKEY_LOCAL_MACHINE, paths::kMakerKey, L"Model", simhandheld::StringValue(L"K2"));
    handheld.Set(L"dpi=192");
    ExpectCompleted(Run(/*copyToCard=*/false));
    EXPECT_EQ(simhandheld::DwordValue(192), Density());
    EXPECT_EQ(simhandheld::StringValue(L"K2"), handheld.GetValue(HKEY_LOCAL_MACHINE, paths::kMakerKey, L"Model"));
}

TEST_F(Migration, ASecondRunLeavesTheMigrationAsItWasAndRenewsDensityAndCardCopy)
{
    ExpectCompleted(Run(/*copyToCard=*/true));
    const std::optional<std::string> shortcut = handheld.ReadFile(paths::kNewShortcut);
    const std::optional<RegValue> fileName = NewEntry(L"FileName");
    // A card copy that went stale since, left read-only as the first run left it.
    handheld.WriteFile(paths::kCardCopy6410, "stale");
    handheld.SetReadOnly(paths::kCardCopy6410, true);
    handheld.Set(L"dpi=120");

    ExpectCompleted(Run(/*copyToCard=*/true));
    EXPECT_EQ(shortcut, handheld.ReadFile(paths::kNewShortcut));
    EXPECT_FALSE(handheld.Exists(paths::kOldShortcut));
    EXPECT_FALSE(handheld.KeyExists(HKEY_CURRENT_USER, paths::kOldLauncherEntry));
    EXPECT_EQ(fileName, NewEntry(L"FileName"));
    EXPECT_EQ(simhandheld::DwordValue(3), NewEntry(L"Index"));
    EXPECT_EQ(simhandheld::DwordValue(120), Density());
    EXPECT_TRUE(HoldsCabinet(handheld, paths::kCardCopy6410));
    EXPECT_TRUE(handheld.IsReadOnly(paths::kCardCopy6410));
    EXPECT_TRUE(HoldsCabinet(handheld, paths::kInstallerCopy));
}

}  // namespace
