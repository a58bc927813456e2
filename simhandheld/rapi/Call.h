// One entry point's call: holds the link's lock, counts the call, decides whether device.ini
// makes it fail, and on the way out waits out the link's time, writes calls.log and sets any
// event device.ini names for it. The caller's last error survives all of that.
#pragma once

#include "simhandheld/Records.h"
#include "simhandheld/rapi/Link.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace simhandheld {

class Call {
public:
    explicit Call(const wchar_t* function);
    ~Call();
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    Link& Handheld() { return m_link; }

    // Arguments for the log. A subject is also what fail-path settings compare with.
    void Path(const wchar_t* name, LPCWSTR path);
    void Subject(const wchar_t* name, const std::wstring& text);
    void Text(const wchar_t* name, LPCWSTR text);
    void Number(const wchar_t* name, unsigned long long value);
    void Flags(const wchar_t* name, unsigned long long value);

    // True if the call must do nothing: no connection (when it needs one) or a fault from
    // device.ini. The last error is then set; registry calls return RefusalError().
    bool Refused(bool needsConnection = true);
    DWORD RefusalError() const { return m_refusal; }

    // The desktop path of a handheld path; none (and ERROR_PATH_NOT_FOUND) if it has none.
    std::optional<std::wstring> Desktop(LPCWSTR path);
    // For a call on one path, logged last: its desktop path, or none if the call must not go on.
    std::optional<std::wstring> Target(LPCWSTR path);

    // Bytes that crossed the link: the call lasts bytes / link-bps seconds longer.
    void Transfer(unsigned long long bytes) { m_bytes += bytes; }

    // Record the result, and return it.
    BOOL Bool(BOOL ok, const std::wstring& detail = {});
    HANDLE Handle(HANDLE handle);
    LONG Status(LONG status);
    HRESULT Result(HRESULT hr);
    int Int(int value);

private:
    void Finish();

    std::unique_lock<LibraryLock> m_lock;
    Link& m_link;
    CallRecord m_record;
    unsigned m_nth = 0;
    std::vector<std::wstring> m_subjects;
    DWORD m_refusal = ERROR_SUCCESS;
    unsigned long long m_bytes = 0;
};

}  // namespace simhandheld
