// The remote API's entry points as one library exports them, found by name in a library loaded
// from the system folder; each is null where the library lacks it.
#pragma once

#include "devicelink/RapiApi.h"
#include "devicelink/SystemLibrary.h"

struct RapiEntryPoints {
#define QAMOVUP_RAPI_MEMBER(name, ret, params) PFN_##name name = nullptr;
    QAMOVUP_RAPI_ENTRY_POINTS(QAMOVUP_RAPI_MEMBER)
#undef QAMOVUP_RAPI_MEMBER

    // True if the library exports every one of them.
    bool Resolve(const SystemLibrary& library);
    void Forget();
};
