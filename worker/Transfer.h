// Puts the installer cabinet the tool carries onto the handheld, in up to two passes (memory
// card, then installer folder), and starts the handheld's installer on the second copy.
#pragma once

#include "worker/RunContext.h"

// False when the run has to end: after a notice, or on a cancellation (no notice).
bool TransferInstaller(RunContext& run);
