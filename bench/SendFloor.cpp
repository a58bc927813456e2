#include "SendFloor.h"

#include "CallLogFigures.h"
#include "Clock.h"

#include "framework/Handle.h"
#include "tests/support/TestThread.h"

#include <windows.h>

#include <vector>

namespace bench {
namespace {

constexpr UINT WM_REPORT = WM_APP + 1;
constexpr UINT WM_REPORT_REPLY_EARLY = WM_APP + 2;
constexpr wchar_t kWindowClass[] = L"qamovup_bench_send_floor";

LRESULT CALLBACK AnswerReport(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_REPORT)
        return 0;
    if (message == WM_REPORT_REPLY_EARLY) {
        ::ReplyMessage(0);
        ::SwitchToThread();
        return 0;
    }
    if (message == WM_DESTROY)
        ::PostQuitMessage(0);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A visible window, as the progress dialog is, served by its own thread's message loop.
void ServeWindow(HWND& window, HANDLE ready)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = AnswerReport;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassW(&windowClass);
    window = ::CreateWindowExW(0, kWindowClass, L"send floor", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 200, 60,
                               nullptr, nullptr, windowClass.hInstance, nullptr);
    ::SetEvent(ready);
    MSG message;
    while (window != nullptr && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ::UnregisterClassW(kWindowClass, windowClass.hInstance);
}

}  // namespace

double MeasureSendFloorMs(unsigned sends, Answer answer)
{
    HWND window = nullptr;
    CHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    TestThread userInterface([&] { ServeWindow(window, ready.Get()); });
    ::WaitForSingleObject(ready.Get(), INFINITE);
    if (window == nullptr)
        return 0;

    std::vector<double> times;
    times.reserve(sends);
    for (unsigned i = 0; i < sends; ++i) {
        // As between two chunks: the receiving thread has gone back to waiting for messages.
        ::Sleep(1);
        const double start = NowMs();
        ::SendMessageA(window, answer == Answer::AtOnce ? WM_REPORT : WM_REPORT_REPLY_EARLY, i % 101, 0);
        times.push_back(NowMs() - start);
    }
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    userInterface.Join();
    return Median(times);
}

}  // namespace bench
