// The remote API library comes from the system folder only: a planted rapi.dll beside the
// program or in the working folder is never loaded. The planted one lacks an entry point, so
// loading it would end the run with the initialisation notice.
#include "ToolTest.h"

#include "simhandheld/Folder.h"

namespace e2e {
namespace {

class PlantedLibrary : public ToolTest {
protected:
    PlantedLibrary() : folder(ScratchFolder(L"planted"))
    {
        if (!::CopyFileW(IncompleteLibraryPath().c_str(), (folder + L"\\rapi.dll").c_str(), FALSE))
            ADD_FAILURE() << "cannot plant rapi.dll";
    }
    ~PlantedLibrary() override { simhandheld::RemoveTree(folder); }

    std::wstring folder;
};

TEST_F(PlantedLibrary, BesideTheProgramIsNotLoaded)
{
    const std::wstring program = folder + L"\\qamovup.exe";
    ASSERT_TRUE(::CopyFileW(ToolPath().c_str(), program.c_str(), FALSE));
    ToolSession tool(handheld.Folder(), program);
    CompleteRun(tool, true);
    ExpectInstalled(handheld, true);
}

TEST_F(PlantedLibrary, InTheWorkingFolderIsNotLoaded)
{
    ToolSession tool(handheld.Folder(), ToolPath(), folder);
    CompleteRun(tool, true);
    ExpectInstalled(handheld, true);
}

}  // namespace
}  // namespace e2e
