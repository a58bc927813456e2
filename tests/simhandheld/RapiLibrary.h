// The built rapi.dll loaded and resolved by the tool's own code (SystemLibrary, RapiEntryPoints),
// and the suite's fixture: an empty handheld of the test's own that the library serves.
#pragma once

#include "HandheldTest.h"
#include "devicelink/RapiEntryPoints.h"
#include "devicelink/SystemLibrary.h"

#include <gtest/gtest.h>

#include <string>

struct RapiLibrary : RapiEntryPoints {
    explicit RapiLibrary(const wchar_t* name = L"rapi.dll") { Load(name); }
    ~RapiLibrary() { Unload(); }
    RapiLibrary(const RapiLibrary&) = delete;
    RapiLibrary& operator=(const RapiLibrary&) = delete;

    // From the system folder only, as the tool loads it; an entry point it lacks stays null.
    void Load(const wchar_t* name = L"rapi.dll")
    {
        Unload();
        if (library.Load(name))
            Resolve(library);
    }
    void Unload()
    {
        Forget();
        library.Free();
    }
    bool IsLoaded() const { return library.IsLoaded(); }

    SystemLibrary library;
};

class RapiTest : public qamovup_test::HandheldTest {
public:
    RapiTest() : HandheldTest(Start::Empty) {}
    ~RapiTest() override
    {
        if (rapi.CeRapiUninit)
            rapi.CeRapiUninit();
    }

    // Starts a connection and waits for it as the tool does; the start's outcome.
    HRESULT Connect(DWORD waitMs = 30000)
    {
        RAPIINIT init{sizeof(RAPIINIT), nullptr, E_FAIL};
        const HRESULT hr = rapi.CeRapiInitEx(&init);
        if (FAILED(hr))
            return hr;
        if (WaitForSingleObject(init.heRapiInit, waitMs) != WAIT_OBJECT_0)
            return E_PENDING;
        return init.hrRapiInit;
    }

    void ConnectOrFail() { ASSERT_EQ(S_OK, Connect()); }

    // A file written through the link in one go; true if every step worked.
    bool Put(const wchar_t* path, const std::string& bytes, DWORD disposition = CREATE_ALWAYS)
    {
        HANDLE file = rapi.CeCreateFile(path, GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        const BOOL ok = rapi.CeWriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        return rapi.CeCloseHandle(file) && ok && written == bytes.size();
    }

    RapiLibrary rapi;
};
