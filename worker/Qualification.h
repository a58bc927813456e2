// Before anything on the handheld changes: is it a supported platform, and is the installed
// application at a version this revision-up may start from?
#pragma once

#include "worker/RunContext.h"

// Sets run.m_bSmdk6410. On refusal it has sent VUP_NOTICE_WRONG_PLATFORM.
bool CheckPlatform(RunContext& run);

// On false it has sent notice 6 or 7, or the user answered no to notice 8.
bool CheckInstalledVersion(RunContext& run);
