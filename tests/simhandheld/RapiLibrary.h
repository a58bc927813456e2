// The built rapi.dll loaded as the tool loads it, and a simulated handheld in a temporary folder.
#pragma once

#include "devicelink/RapiApi.h"
#include "simhandheld/Folder.h"
#include "simhandheld/SimHandheld.h"

#include <gtest/gtest.h>

#include <string>

struct RapiLibrary {
    explicit RapiLibrary(const wchar_t* name = L"rapi.dll") { Load(name); }
    ~RapiLibrary() { Unload(); }
    RapiLibrary(const RapiLibrary&) = delete;
    RapiLibrary& operator=(const RapiLibrary&) = delete;

    void Load(const wchar_t* name = L"rapi.dll")
    {
        Unload();
        module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
#define QAMOVUP_TEST_RESOLVE(fn, ret, params) \
    fn = module ? reinterpret_cast<PFN_##fn>(reinterpret_cast<void*>(GetProcAddress(module, #fn))) : nullptr;
        QAMOVUP_RAPI_ENTRY_POINTS(QAMOVUP_TEST_RESOLVE)
#undef QAMOVUP_TEST_RESOLVE
    }
    void Unload()
    {
        if (module)
            FreeLibrary(module);
        module = nullptr;
#define QAMOVUP_TEST_CLEAR(fn, ret, params) fn = nullptr;
        QAMOVUP_RAPI_ENTRY_POINTS(QAMOVUP_TEST_CLEAR)
#undef QAMOVUP_TEST_CLEAR
    }

    HMODULE module = nullptr;
#define QAMOVUP_TEST_MEMBER(fn, ret, params) PFN_##fn fn = nullptr;
    QAMOVUP_RAPI_ENTRY_POINTS(QAMOVUP_TEST_MEMBER)
#undef QAMOVUP_TEST_MEMBER
};

// Each test gets an empty handheld of its own that the library serves.
class HandheldTest : public ::testing::Test {
public:
    HandheldTest()
        : handheld(simhandheld::Handheld::TemporaryFolder(
              simhandheld::FromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name())))
    {
        handheld.Clear();
        handheld.MakeCurrent();
    }
    ~HandheldTest() override
    {
        if (rapi.CeRapiUninit)
            rapi.CeRapiUninit();
        simhandheld::RemoveTree(handheld.Folder());
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

    simhandheld::Handheld handheld;
    RapiLibrary rapi;
};
