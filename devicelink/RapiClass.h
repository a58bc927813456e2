// The tool's only road to the handheld: loads the remote API library at run time, resolves its
// entry points, starts the connection with a time limit, and ends it and unloads the library
// when destroyed. One object per revision-up run, owned by the worker thread.
#pragma once

#include "devicelink/RapiEntryPoints.h"
#include "devicelink/SystemLibrary.h"

// Results of RapiClass::Connect; the worker passes a nonzero one on as the notice of the same code.
enum RapiConnectResult : int {
    RAPI_CONNECTED = 0,
    RAPI_LOAD_FAILED = 1,   // the library did not load, lacks an entry point, or refused the start
    RAPI_START_FAILED = 2,  // the start completed with a failure
    RAPI_NO_ANSWER = 3,     // no handheld answered within kRapiConnectTimeoutMs
};

constexpr DWORD kRapiConnectTimeoutMs = 5000;
constexpr const wchar_t kRapiLibraryName[] = L"rapi.dll";

// The entry points are callable once Connect has returned RAPI_CONNECTED.
class RapiClass : public RapiEntryPoints {
public:
    // libraryName: the library's file name in the system folder (tests install variants there).
    explicit RapiClass(const wchar_t* libraryName = kRapiLibraryName);
    virtual ~RapiClass();
    RapiClass(const RapiClass&) = delete;
    RapiClass& operator=(const RapiClass&) = delete;

    int Connect();

private:
    void Release();

    const wchar_t* m_libraryName;
    SystemLibrary m_library;
    bool m_bConnected = false;
    // Filled by the library when a start completes, which may be after Connect has given up
    // waiting: it has to live as long as the connection.
    RAPIINIT m_rapiInit{};
};
