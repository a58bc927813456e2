#include "HandheldTest.h"

#include "simhandheld/Folder.h"

namespace qamovup_test {

std::wstring TestFolderName()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "test";
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == ':')
            c = '_';
    }
    return simhandheld::FromUtf8(name);
}

HandheldTest::HandheldTest(Start start) : handheld(simhandheld::Handheld::TemporaryFolder(TestFolderName()))
{
    if (start == Start::Prepared)
        handheld.Prepare();
    else
        handheld.Clear();
    handheld.MakeCurrent();
}

HandheldTest::~HandheldTest()
{
    if (!HasFailure())
        simhandheld::RemoveTree(handheld.Folder());
}

}  // namespace qamovup_test
