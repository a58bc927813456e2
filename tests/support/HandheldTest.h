// The fixture of every suite that works on a simulated handheld: each test gets one of its own, in a
// temporary folder named after the test, current for this process (QAMOVUP_HANDHELD), and removed
// afterwards unless the test failed, so that its calls.log can be read.
#pragma once

#include "simhandheld/SimHandheld.h"

#include <gtest/gtest.h>

#include <string>

namespace qamovup_test {

// The running test's name as a folder name: "Suite.Name", with "_" for "/", "\" and ":".
std::wstring TestFolderName();

class HandheldTest : public ::testing::Test {
protected:
    // What the handheld holds at the start: the revision-up's usual target (SMDK6410,
    // "Version 1.2.1.0", shortcut, launcher entry, memory card), or nothing at all.
    enum class Start { Prepared, Empty };

    explicit HandheldTest(Start start = Start::Prepared);
    ~HandheldTest() override;

    simhandheld::Handheld handheld;
};

}  // namespace qamovup_test
