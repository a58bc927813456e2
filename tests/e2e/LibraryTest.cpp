// Nothing planted stands in for any library of the simulated handheld: the tool loads rapi.dll from
// the system folder only, and that rapi.dll reaches qamosimlink.dll in its own folder only. Marked
// libraries under both names, beside the program and in the working folder, are never loaded.
#include "ToolTest.h"

#include "simhandheld/Folder.h"

#include <tlhelp32.h>

namespace e2e {
namespace {

const wchar_t* const kLibraries[] = {L"rapi.dll", L"qamosimlink.dll"};

// Where the process has a library of that name loaded from, or nothing.
std::wstring LoadedFrom(DWORD processId, const wchar_t* library)
{
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    std::wstring path;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = ::Module32FirstW(snapshot, &module); more && path.empty(); more = ::Module32NextW(snapshot, &module))
        if (::lstrcmpiW(module.szModule, library) == 0)
            path = module.szExePath;
    ::CloseHandle(snapshot);
    return path;
}

bool InSystemFolder(const std::wstring& path)
{
    wchar_t system[MAX_PATH] = {}, wow64[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    ::GetSystemWow64DirectoryW(wow64, MAX_PATH);
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    return ::lstrcmpiW(folder.c_str(), system) == 0 || ::lstrcmpiW(folder.c_str(), wow64) == 0;
}

class PlantedLibraries : public ToolTest {
protected:
    PlantedLibraries() : beside(ScratchFolder(L"planted-beside")), working(ScratchFolder(L"planted-working"))
    {
        program = beside + L"\\qamovup.exe";
        if (!::CopyFileW(ToolPath().c_str(), program.c_str(), FALSE))
            ADD_FAILURE() << "cannot copy the tool";
        for (const std::wstring& folder : {beside, working})
            for (const wchar_t* library : kLibraries) {
                planted.push_back(folder + L'\\' + library);
                if (!::CopyFileW(uidriver::HostPath(QAMOVUP_E2E_PLANTED).c_str(), planted.back().c_str(), FALSE))
                    ADD_FAILURE() << "cannot plant " << simhandheld::ToUtf8(planted.back());
            }
    }
    ~PlantedLibraries() override
    {
        simhandheld::RemoveTree(beside);
        simhandheld::RemoveTree(working);
    }

    std::wstring beside, working, program;
    std::vector<std::wstring> planted;
};

TEST_F(PlantedLibraries, NoneIsLoadedAndTheRunCompletesAgainstTheSystemFoldersCopies)
{
    ToolSession tool(handheld.Folder(), program, working);
    const RunEnd end = StartRun(tool, true);
    // The run has let go of rapi.dll; qamosimlink.dll stays for the process, and shows where it came from.
    const std::wstring link = LoadedFrom(tool.Process().Id(), L"qamosimlink.dll");
    EXPECT_TRUE(InSystemFolder(link)) << "qamosimlink.dll came from " << simhandheld::ToUtf8(link);
    ExpectCompletion(tool, end);
    ExpectInstalled(handheld, true);
    for (const std::wstring& library : planted)
        EXPECT_FALSE(simhandheld::IsFile(library + L".loaded")) << simhandheld::ToUtf8(library) << " was loaded";
}

}  // namespace
}  // namespace e2e
