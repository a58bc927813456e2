// What calls.log says of one call: its arguments as the entry point names them, and its result,
// written as the README shows them. A subject is an argument that fail-path also compares with.
#pragma once

#include "simhandheld/Folder.h"

#include <string>
#include <vector>

namespace simhandheld {

class CallText {
public:
    void Text(const wchar_t* name, LPCWSTR text) { Argument(name, text ? L'"' + std::wstring(text) + L'"' : L"null"); }
    void Subject(const wchar_t* name, LPCWSTR text)
    {
        Text(name, text);
        if (text)
            m_subjects.emplace_back(text);
    }
    void Number(const wchar_t* name, unsigned long long value, bool hex = false) { Argument(name, NumberText(value, hex)); }

    // The result, recorded and returned; a detail follows it in the log.
    BOOL Bool(BOOL ok, const std::wstring& detail = {})
    {
        return Record(ok, !ok, ok ? L"TRUE" : L"FALSE error=" + std::to_wstring(GetLastError()), detail);
    }
    HANDLE Handle(HANDLE h)
    {
        const bool failed = h == INVALID_HANDLE_VALUE;
        const std::wstring error = L"INVALID_HANDLE_VALUE error=" + std::to_wstring(GetLastError());
        return Record(h, failed, failed ? error : NumberText(reinterpret_cast<UINT_PTR>(h), true));
    }
    LONG Status(LONG status, const std::wstring& detail = {})
    {
        return Record(status, status != ERROR_SUCCESS, std::to_wstring(status), detail);
    }
    HRESULT Result(HRESULT hr, const std::wstring& detail = {})
    {
        return Record(hr, FAILED(hr), NumberText(static_cast<unsigned long>(hr), true), detail);
    }
    int Int(int value) { return Record(value, value == 0, std::to_wstring(value)); }

protected:
    CallRecord m_record;
    std::vector<std::wstring> m_subjects;

private:
    void Argument(const wchar_t* name, const std::wstring& value)
    {
        m_record.arguments += (m_record.arguments.empty() ? L"" : L" ") + std::wstring(name) + L'=' + value;
    }
    template <typename T>
    T Record(T value, bool failed, const std::wstring& result, const std::wstring& detail = {})
    {
        m_record.failed = failed;
        m_record.result = detail.empty() ? result : result + L' ' + detail;
        return value;
    }
};

}  // namespace simhandheld
