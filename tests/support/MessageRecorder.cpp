#include "MessageRecorder.h"

#include <stdexcept>

namespace qamovup_test {
namespace {

constexpr wchar_t kClassName[] = L"QamovupTestRecorder";

void RegisterRecorderClass(WNDPROC proc)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    // Already registered by an earlier recorder: that is fine.
    if (::RegisterClassExW(&wc) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("cannot register the recorder window class");
}

}  // namespace

MessageRecorder::MessageRecorder()
{
    RegisterRecorderClass(&MessageRecorder::WindowProc);
    m_hWnd = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               ::GetModuleHandleW(nullptr), this);
    if (m_hWnd == nullptr)
        throw std::runtime_error("cannot create the recorder window");
}

MessageRecorder::~MessageRecorder()
{
    ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK MessageRecorder::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MessageRecorder*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (self != nullptr && msg >= WM_VUP_STAGE && msg <= WM_VUP_PROGRESS)
        return self->Record(msg, wParam, lParam);
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

LRESULT MessageRecorder::Record(UINT msg, WPARAM wParam, LPARAM lParam)
{
    VupMessage message{msg, wParam, lParam, {}};
    const bool carriesVersion =
        msg == WM_VUP_NOTICE && (wParam == VUP_NOTICE_VERSION_TOO_OLD || wParam == VUP_NOTICE_NEWER_VERSION);
    // The text lives only as long as the worker's send: copy it now.
    if (carriesVersion && lParam != 0)
        message.versionText = reinterpret_cast<const char*>(lParam);
    m_messages.push_back(message);
    if (m_onMessage)
        m_onMessage(message);
    return msg == WM_VUP_NOTICE && wParam == VUP_NOTICE_NEWER_VERSION ? m_newerVersionAnswer : 0;
}

namespace {

std::vector<WPARAM> CodesOf(const std::vector<VupMessage>& messages, UINT message)
{
    std::vector<WPARAM> codes;
    for (const VupMessage& m : messages) {
        if (m.message == message)
            codes.push_back(m.wParam);
    }
    return codes;
}

}  // namespace

std::vector<WPARAM> StagesOf(const std::vector<VupMessage>& messages)
{
    return CodesOf(messages, WM_VUP_STAGE);
}

std::vector<WPARAM> NoticesOf(const std::vector<VupMessage>& messages)
{
    return CodesOf(messages, WM_VUP_NOTICE);
}

std::vector<VupMessage> ProgressOf(const std::vector<VupMessage>& messages)
{
    std::vector<VupMessage> progress;
    for (const VupMessage& m : messages) {
        if (m.IsProgress())
            progress.push_back(m);
    }
    return progress;
}

std::string Describe(const std::vector<VupMessage>& messages)
{
    std::string text;
    for (const VupMessage& m : messages) {
        if (!text.empty())
            text += ", ";
        if (m.message == WM_VUP_STAGE)
            text += "stage " + std::to_string(m.wParam);
        else if (m.IsNotice())
            text += "notice " + std::to_string(m.wParam);
        else
            text += "progress " + std::to_string(m.wParam) + "/" + std::to_string(m.lParam);
    }
    return text;
}

}  // namespace qamovup_test
