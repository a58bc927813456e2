// Owners of handles opened on the handheld: each is closed through the remote API when its
// owner goes out of scope, or earlier with Close() where the order of calls matters.
#pragma once

#include "devicelink/RapiClass.h"

class RemoteFile {
public:
    RemoteFile(RapiClass& rapi, HANDLE h) : m_rapi(rapi), m_h(h) {}
    ~RemoteFile() { Close(); }
    RemoteFile(const RemoteFile&) = delete;
    RemoteFile& operator=(const RemoteFile&) = delete;

    bool IsOpen() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    HANDLE Get() const { return m_h; }
    void Close()
    {
        if (IsOpen())
            m_rapi.CeCloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
    }

private:
    RapiClass& m_rapi;
    HANDLE m_h;
};

class RemoteKey {
public:
    explicit RemoteKey(RapiClass& rapi) : m_rapi(rapi) {}
    ~RemoteKey() { Close(); }
    RemoteKey(const RemoteKey&) = delete;
    RemoteKey& operator=(const RemoteKey&) = delete;

    bool Open(HKEY root, const wchar_t* subKey, REGSAM access);
    bool Create(HKEY root, const wchar_t* subKey);
    HKEY Get() const { return m_hKey; }
    void Close()
    {
        if (m_hKey != nullptr)
            m_rapi.CeRegCloseKey(m_hKey);
        m_hKey = nullptr;
    }

private:
    RapiClass& m_rapi;
    HKEY m_hKey = nullptr;
};
