// The state behind the stand-in rapi.dll: one link to the simulated handheld named by
// QAMOVUP_HANDHELD, its start-up, the handles it gave out, and the per-connection call counts
// that the faults in device.ini refer to. Every entry point goes through a Call, which holds the
// one lock for the whole call, so the library is safe to call from any thread.
#pragma once

#include "devicelink/RapiApi.h"
#include "simhandheld/Folder.h"
#include "simhandheld/Records.h"
#include "simhandheld/Registry.h"
#include "simhandheld/Settings.h"

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace simhandheld {

// The library's lock: a critical section, which every Windows has (slim locks need Vista). It lives
// as long as the process, with the one Link that holds it.
class LibraryLock {
public:
    LibraryLock() { ::InitializeCriticalSection(&m_section); }
    ~LibraryLock() { ::DeleteCriticalSection(&m_section); }
    LibraryLock(const LibraryLock&) = delete;
    LibraryLock& operator=(const LibraryLock&) = delete;

    void lock() { ::EnterCriticalSection(&m_section); }
    void unlock() { ::LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section{};
};

class Link {
public:
    static Link& Instance();

    // Starts a connection as device.ini says; the result is CeRapiInitEx's.
    HRESULT Start(RAPIINIT* init);
    // Ends the start-up (waits for its thread), closes the event and every handle still open.
    void Stop();

    bool Connected() const { return m_connected.load(); }
    const std::wstring& Folder() const { return m_folder; }
    const DeviceSettings& Settings() const { return m_settings; }

    // Counts a call; returns its number in this connection and in its function.
    std::pair<unsigned, unsigned> Count(const wchar_t* function);
    // Starts the counts, and the numbering of handles and ids, afresh for a new connection.
    void ResetCounts();
    // Reads the folder and settings again: a test changes them between connections.
    void Reload();
    // Appends a call to calls.log, if there is a folder.
    void LogCall(const CallRecord& call);

    // Handles given to the caller for desktop files, processes and threads.
    enum class Kind { File, Process, Thread };
    HANDLE AddHandle(Kind kind, HANDLE desktop);
    // The desktop file behind a file handle, or null.
    HANDLE FileOf(HANDLE handle) const;
    bool CloseHandle(HANDLE handle);

    // Registry keys given to the caller; predefined roots resolve to themselves.
    struct KeyName {
        RegRoot root{};
        std::wstring path;
    };
    std::optional<KeyName> KeyOf(HKEY key) const;
    HKEY AddKey(KeyName name);
    bool CloseKey(HKEY key);

    // Process and thread ids for CeCreateProcess.
    DWORD NextId() { return m_nextId += 4; }

    LibraryLock& Lock() { return m_lock; }

private:
    struct Pending;
    static DWORD WINAPI CompleteStart(void* pending);
    void CloseAll();

    LibraryLock m_lock;
    std::wstring m_folder;
    DeviceSettings m_settings;
    // calls.log, held open while a connection stands (Stop closes it): opening and closing it
    // for every call would cost the caller more than most calls take.
    Appender m_callLog;
    std::atomic<bool> m_connected{false};
    HANDLE m_startEvent = nullptr;
    HANDLE m_startThread = nullptr;
    Pending* m_pending = nullptr;

    unsigned m_calls = 0;
    std::map<std::wstring, unsigned> m_callsByFunction;

    struct Open {
        Kind kind;
        HANDLE desktop;
    };
    std::map<UINT_PTR, Open> m_handles;
    std::map<UINT_PTR, KeyName> m_keys;
    static constexpr UINT_PTR kFirstHandle = 0x100;
    static constexpr DWORD kFirstId = 0x4000;
    UINT_PTR m_nextHandle = kFirstHandle;
    DWORD m_nextId = kFirstId;
};

}  // namespace simhandheld
