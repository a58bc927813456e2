// Runs the revision-up worker on the test thread against a simulated handheld, and the views of
// the handheld and of the run that the device-link and worker suites check.
#pragma once

#include "HandheldTest.h"
#include "MessageRecorder.h"
#include "simhandheld/SimHandheld.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qamovup_test {

// Where the handheld keeps what a run touches, written out here rather than taken from the
// tool, so that a wrong name in the tool cannot go unnoticed.
namespace paths {
constexpr wchar_t kCardCopy6410[] = L"\\Storage Card\\HNDqamoInstall.CAB";
constexpr wchar_t kCardCopy2443[] = L"\\SD-MMC card\\HNDqamoInstall.CAB";
constexpr wchar_t kInstallerCopy[] = L"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB";
constexpr wchar_t kInstallerCommandLine[] = L"/noaskdest \"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB\"";
constexpr wchar_t kOldShortcut[] = L"\\Windows\\スタート メニュー\\プログラム\\qamo+(GPS).lnk";
constexpr wchar_t kNewShortcut[] = L"\\Windows\\スタート メニュー\\プログラム\\qamo+(GNSS).lnk";
constexpr wchar_t kVersionFile[] = L"\\Built-in Storage\\Program Files\\Qamocore\\Qamocore.ver";
constexpr wchar_t kLauncherList[] = L"Software\\Palvar-Ostrand\\Tarvek\\FileList";
constexpr wchar_t kOldLauncherEntry[] = L"Software\\Palvar-Ostrand\\Tarvek\\FileList\\qamo+(GPS)";
constexpr wchar_t kNewLauncherEntry[] = L"Software\\Palvar-Ostrand\\Tarvek\\FileList\\qamo+(GNSS)";
constexpr wchar_t kMakerKey[] = L"Software\\Palvar-Ostrand";
}  // namespace paths

// The cancel event of a run is auto-reset and named so, so that the simulated handheld can set
// it on a chosen call: handheld.Set(L"signal=CeReadFile:1:" + CancelEventName()).
std::wstring CancelEventName();

struct WorkerOptions {
    bool copyToCard = true;
    LRESULT newerVersionAnswer = 1;
    bool cancelBeforeStart = false;
    // The cancel event is set as soon as this returns true for a message the worker sent.
    std::function<bool(const VupMessage&)> cancelWhen;
};

struct WorkerResult {
    std::vector<VupMessage> messages;
    std::vector<simhandheld::CallRecord> calls;  // this run's remote calls only
    std::vector<simhandheld::StartedProgram> started;
    bool libraryLoaded = false;  // rapi.dll still in the process once the worker returned

    std::vector<WPARAM> Stages() const { return StagesOf(messages); }
    std::vector<WPARAM> Notices() const { return NoticesOf(messages); }
    std::vector<VupMessage> Progress() const { return ProgressOf(messages); }
    std::vector<simhandheld::CallRecord> CallsTo(const wchar_t* function) const;
    size_t CountCalls(const wchar_t* function) const { return CallsTo(function).size(); }
    // True if any call's arguments mention the text (a path, a key, a value name).
    bool AnyCallMentions(const std::wstring& text) const;
};

// The run let go of the handheld as every way out must: CeRapiUninit once if CeRapiInitEx
// succeeded (never otherwise), and rapi.dll no longer loaded.
::testing::AssertionResult LinkReleased(const WorkerResult& result);

// The file at path on the handheld is the embedded cabinet, byte for byte.
::testing::AssertionResult HoldsCabinet(const simhandheld::Handheld& handheld, const std::wstring& path);

// One argument of a logged call as the handheld logged it: the text inside the quotes for
// paths, keys and values (path="..."), the digits for numbers (bytes=N); empty if absent.
std::wstring ArgumentOf(const simhandheld::CallRecord& call, const wchar_t* name);

// Clears the handheld's records, runs InstCabThread to its end and collects what happened.
WorkerResult RunWorker(simhandheld::Handheld& handheld, const WorkerOptions& options = {});

// The installer cabinet this test program carries (its CABFILE resource); empty if it has none.
const std::string& EmbeddedCabinet();

// Everything on the handheld that a run could change: files with their bytes and attributes,
// folders, and the registry.
struct HandheldSnapshot {
    std::map<std::wstring, std::string> files;
    std::map<std::wstring, bool> readOnly;
    std::vector<std::wstring> folders;
    std::wstring registry;
    bool operator==(const HandheldSnapshot& other) const
    {
        return files == other.files && readOnly == other.readOnly && folders == other.folders &&
               registry == other.registry;
    }
    bool operator!=(const HandheldSnapshot& other) const { return !(*this == other); }
};
HandheldSnapshot TakeSnapshot(const simhandheld::Handheld& handheld);

// The worker suites' fixture: the test's own handheld, and the worker run against it.
class WorkerTest : public HandheldTest {
protected:
    WorkerResult Run(const WorkerOptions& options = {}) { return RunWorker(handheld, options); }
    WorkerResult Run(bool copyToCard)
    {
        WorkerOptions options;
        options.copyToCard = copyToCard;
        return Run(options);
    }
};

}  // namespace qamovup_test
