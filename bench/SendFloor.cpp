#include "SendFloor.h"

#include "CallLogFigures.h"
#include "Clock.h"

#include "framework/Handle.h"
#include "tests/support/TestThread.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <vector>

namespace bench {
namespace {

constexpr UINT WM_REPORT = WM_APP + 1;
constexpr UINT WM_REPORT_REPLY_EARLY = WM_APP + 2;
constexpr UINT WM_REPORT_AND_PAINT = WM_APP + 3;
constexpr wchar_t kWindowClass[] = L"qamovup_bench_send_floor";

LRESULT CALLBACK AnswerReport(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_REPORT:
        return 0;
    case WM_REPORT_REPLY_EARLY:
    case WM_REPORT_AND_PAINT:
        ::ReplyMessage(0);
        ::SwitchToThread();
        if (message == WM_REPORT_AND_PAINT) {
            const HWND bar = reinterpret_cast<HWND>(::GetWindowLongPtrW(window, GWLP_USERDATA));
            ::SendMessageW(bar, PBM_SETPOS, wParam, 0);
            wchar_t title[32];
            std::swprintf(title, 32, L"%u %%", static_cast<unsigned>(wParam));
            ::SetWindowTextW(window, title);
        }
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A visible window with a progress bar, as the progress dialog is, served by its own thread's
// message loop.
void ServeWindow(HWND& window, HANDLE ready)
{
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = AnswerReport;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassW(&windowClass);
    window = ::CreateWindowExW(0, kWindowClass, L"send floor", WS_POPUP | WS_VISIBLE | WS_BORDER | WS_CAPTION, 0, 0,
                               300, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window != nullptr) {
        const HWND bar = ::CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 10, 10, 260, 20, window,
                                           nullptr, windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bar));
    }
    ::SetEvent(ready);
    MSG message;
    while (window != nullptr && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ::UnregisterClassW(kWindowClass, windowClass.hInstance);
}

// As the simulated handheld waits out a write's link time: a sleep for the bulk, then yielding.
void SpendLinkTime(double ms)
{
    const double due = NowMs() + ms;
    for (double now = NowMs(); now < due; now = NowMs())
        ::Sleep(due - now > 3 ? 1 : 0);
}

}  // namespace

double MeasureReportMs(const ReportPlan& plan)
{
    HWND window = nullptr;
    CHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const CHandle cancel(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    TestThread userInterface([&] { ServeWindow(window, ready.Get()); });
    ::WaitForSingleObject(ready.Get(), INFINITE);
    if (window == nullptr)
        return 0;

    const UINT report = plan.answer == Answer::AtOnce               ? WM_REPORT
                        : plan.answer == Answer::EarlyReplyAndYield ? WM_REPORT_REPLY_EARLY
                                                                    : WM_REPORT_AND_PAINT;
    std::vector<double> times;
    times.reserve(plan.sends);
    for (unsigned i = 0; i < plan.sends; ++i) {
        if (plan.writeMs == 0)
            ::Sleep(1);  // As between two chunks: the receiving thread has gone back to waiting for messages.
        else
            SpendLinkTime(plan.writeMs);
        const double start = NowMs();
        if (plan.pollCancel)
            ::WaitForSingleObject(cancel.Get(), 0);
        ::SendMessageA(window, report, i % 101, 0);
        times.push_back(NowMs() - start);
    }
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    userInterface.Join();
    return Median(times);
}

}  // namespace bench
