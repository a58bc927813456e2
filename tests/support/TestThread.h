// A thread of a test or of the benchmark: runs one function and is joined at the latest when it
// goes out of scope. The win32 thread model that everything is built with has no std::thread.
#pragma once

#include "framework/Handle.h"

#include <functional>
#include <utility>

class TestThread {
public:
    TestThread() = default;
    explicit TestThread(std::function<void()> body) { Start(std::move(body)); }
    ~TestThread() { Join(); }
    TestThread(const TestThread&) = delete;
    TestThread& operator=(const TestThread&) = delete;

    // One thread at a time: an earlier one is joined first.
    void Start(std::function<void()> body)
    {
        Join();
        m_body = std::move(body);
        m_thread.Attach(::CreateThread(nullptr, 0, &TestThread::Run, this, 0, nullptr));
    }

    void Join()
    {
        if (m_thread.IsValid())
            ::WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Close();
    }

private:
    static DWORD WINAPI Run(void* self)
    {
        static_cast<TestThread*>(self)->m_body();
        return 0;
    }

    std::function<void()> m_body;
    CHandle m_thread;
};
