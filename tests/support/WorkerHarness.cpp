#include "WorkerHarness.h"

#include "worker/Cabinet.h"
#include "worker/InstCabThread.h"

#include <optional>
#include <stdexcept>

namespace qamovup_test {
namespace {

// What the progress dialog gives the worker, with the run's cancel event named for the handheld.
class RunParam : public InstCabThreadParam {
public:
    RunParam(HWND hReportWnd, bool copyToCard)
    {
        m_hReportWnd = hReportWnd;
        m_bCopyToCard = copyToCard ? TRUE : FALSE;
        m_hCancelEvent.Attach(::CreateEventW(nullptr, FALSE, FALSE, CancelEventName().c_str()));
        if (!m_hCancelEvent.IsValid())
            throw std::runtime_error("cannot create the cancel event");
        // A name left open by an earlier run hands back that event.
        ::ResetEvent(m_hCancelEvent.Get());
    }
    void Cancel() const { ::SetEvent(m_hCancelEvent.Get()); }
};

void CollectFiles(const simhandheld::Handheld& handheld, const std::wstring& folder, HandheldSnapshot& snapshot)
{
    for (const std::wstring& name : handheld.List(folder.empty() ? L"\\" : folder)) {
        const std::wstring path = folder + L"\\" + name.substr(0, name.find(L'\\'));
        if (name.back() == L'\\') {
            snapshot.folders.push_back(path);
            CollectFiles(handheld, path, snapshot);
        } else {
            snapshot.files[path] = handheld.ReadFile(path).value_or(std::string());
            snapshot.readOnly[path] = handheld.IsReadOnly(path);
        }
    }
}

}  // namespace

std::wstring CancelEventName()
{
    return L"qamovup-test-cancel-" + std::to_wstring(::GetCurrentProcessId());
}

std::vector<simhandheld::CallRecord> WorkerResult::CallsTo(const wchar_t* function) const
{
    std::vector<simhandheld::CallRecord> found;
    for (const simhandheld::CallRecord& call : calls) {
        if (call.function == function)
            found.push_back(call);
    }
    return found;
}

bool WorkerResult::AnyCallMentions(const std::wstring& text) const
{
    for (const simhandheld::CallRecord& call : calls) {
        if (call.arguments.find(text) != std::wstring::npos)
            return true;
    }
    return false;
}

std::wstring ArgumentOf(const simhandheld::CallRecord& call, const wchar_t* name)
{
    const std::wstring& args = call.arguments;
    const std::wstring key = std::wstring(name) + L'=';
    size_t at = 0;
    while ((at = args.find(key, at)) != std::wstring::npos && at != 0 && args[at - 1] != L' ')
        ++at;
    if (at == std::wstring::npos)
        return {};
    at += key.size();
    if (at < args.size() && args[at] == L'"') {
        const size_t end = args.find(L'"', at + 1);
        return args.substr(at + 1, end == std::wstring::npos ? std::wstring::npos : end - at - 1);
    }
    return args.substr(at, args.find(L' ', at) - at);
}

::testing::AssertionResult LinkReleased(const WorkerResult& result)
{
    size_t started = 0;
    for (const simhandheld::CallRecord& call : result.CallsTo(L"CeRapiInitEx"))
        started += call.failed ? 0 : 1;
    const size_t ended = result.CountCalls(L"CeRapiUninit");
    if (ended != started)
        return ::testing::AssertionFailure()
               << started << " successful start(s) but CeRapiUninit called " << ended << " time(s)";
    if (result.libraryLoaded)
        return ::testing::AssertionFailure() << "rapi.dll is still loaded";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult HoldsCabinet(const simhandheld::Handheld& handheld, const std::wstring& path)
{
    const std::optional<std::string> bytes = handheld.ReadFile(path);
    if (!bytes)
        return ::testing::AssertionFailure() << "no file there";
    if (*bytes != EmbeddedCabinet())
        return ::testing::AssertionFailure()
               << bytes->size() << " bytes that differ from the " << EmbeddedCabinet().size() << "-byte cabinet";
    return ::testing::AssertionSuccess();
}

WorkerResult RunWorker(simhandheld::Handheld& handheld, const WorkerOptions& options)
{
    handheld.ClearRecords();
    handheld.MakeCurrent();

    MessageRecorder recorder;
    RunParam param(recorder.Hwnd(), options.copyToCard);
    recorder.m_newerVersionAnswer = options.newerVersionAnswer;
    recorder.m_onMessage = [&](const VupMessage& message) {
        if (options.cancelWhen && options.cancelWhen(message))
            param.Cancel();
    };
    if (options.cancelBeforeStart)
        param.Cancel();
    // A send from this same thread calls the recorder directly: no message loop is needed.
    InstCabThread(&param);

    WorkerResult result;
    result.libraryLoaded = ::GetModuleHandleW(L"rapi.dll") != nullptr;
    result.messages = recorder.Messages();
    result.calls = handheld.Calls();
    result.started = handheld.StartedPrograms();
    return result;
}

const std::string& EmbeddedCabinet()
{
    static const std::string cabinet = [] {
        CabinetBytes found;
        if (!FindCabinet(::GetModuleHandleW(nullptr), found))
            return std::string();
        return std::string(reinterpret_cast<const char*>(found.bytes), found.size);
    }();
    return cabinet;
}

HandheldSnapshot TakeSnapshot(const simhandheld::Handheld& handheld)
{
    HandheldSnapshot snapshot;
    CollectFiles(handheld, L"", snapshot);
    snapshot.registry = handheld.LoadRegistry().Format();
    return snapshot;
}

}  // namespace qamovup_test
