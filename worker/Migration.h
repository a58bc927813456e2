// Moves the application's Start-menu shortcut and launcher entry from their "(GPS)" names to
// their "(GNSS)" names and records the display density. Nothing here can fail the run.
#pragma once

#include "worker/RunContext.h"

void RenameShortcut(RunContext& run);
void MigrateLauncherEntry(RunContext& run);
void RecordDisplayDensity(RunContext& run);
