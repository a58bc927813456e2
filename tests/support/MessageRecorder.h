// A window of the test's own that stands in for the progress dialog: it records every message
// the worker sends, answers the newer-version question as told and can act on each message.
#pragma once

#include "worker/VupMessages.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qamovup_test {

struct VupMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::string versionText;  // notices 7 and 8: the text lParam pointed to during the call

    bool IsStage(VupStage stage) const { return message == WM_VUP_STAGE && wParam == stage; }
    bool IsNotice() const { return message == WM_VUP_NOTICE; }
    bool IsProgress() const { return message == WM_VUP_PROGRESS; }
    bool IsProgress(WPARAM percent, LPARAM state = VUP_PROGRESS_RUNNING) const
    {
        return IsProgress() && wParam == percent && lParam == state;
    }
};

class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    HWND Hwnd() const { return m_hWnd; }
    const std::vector<VupMessage>& Messages() const { return m_messages; }

    // The answer to VUP_NOTICE_NEWER_VERSION (nonzero: go on).
    LRESULT m_newerVersionAnswer = 1;
    // Runs after a message is recorded, before the worker's send returns.
    std::function<void(const VupMessage&)> m_onMessage;

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Record(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    std::vector<VupMessage> m_messages;
};

// Views of a recorded sequence.
std::vector<WPARAM> StagesOf(const std::vector<VupMessage>& messages);
std::vector<WPARAM> NoticesOf(const std::vector<VupMessage>& messages);
std::vector<VupMessage> ProgressOf(const std::vector<VupMessage>& messages);
// A readable listing for failure output: "stage 0, notice 4, progress 10/0".
std::string Describe(const std::vector<VupMessage>& messages);

}  // namespace qamovup_test
