// The dialog is the worker's parameter and goes once the wait for the worker returns: the wait
// must not return while the worker runs, whatever the wait itself reports.
#include "MessageRecorder.h"
#include "progress/WorkerWait.h"

#include "framework/Handle.h"

#include <gtest/gtest.h>

namespace {

using qamovup_test::MessageRecorder;

struct Worker {
    HWND report;
};

// Reports once, as the worker does, then goes on for a while before it ends.
DWORD WINAPI ReportThenWork(void* param)
{
    ::Sleep(200);
    ::SendMessageA(static_cast<Worker*>(param)->report, WM_VUP_PROGRESS, 50, VUP_PROGRESS_RUNNING);
    ::Sleep(300);
    return 0;
}

TEST(WorkerWait, AWaitThatFailsStillLastsUntilTheWorkerHasEndedAndServesItsReports)
{
    MessageRecorder dialog;
    Worker worker{dialog.Hwnd()};
    const CHandle thread(::CreateThread(nullptr, 0, ReportThenWork, &worker, 0, nullptr));
    ASSERT_TRUE(thread.IsValid());
    // A handle to the worker that may not be waited on: every wait on it fails at once, while
    // what the thread has done can still be asked.
    HANDLE unwaitable = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), thread.Get(), ::GetCurrentProcess(), &unwaitable,
                                  THREAD_QUERY_INFORMATION, FALSE, 0));
    const CHandle handle(unwaitable);
    ASSERT_EQ(WAIT_FAILED, ::MsgWaitForMultipleObjects(1, &unwaitable, FALSE, 0, QS_SENDMESSAGE));

    WaitForWorker(handle.Get());
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.Get(), 0)) << "the wait returned while the worker ran";
    EXPECT_EQ(1u, dialog.Messages().size());
    ::WaitForSingleObject(thread.Get(), INFINITE);
}

}  // namespace
