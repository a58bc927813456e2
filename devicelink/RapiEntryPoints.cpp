#include "devicelink/RapiEntryPoints.h"

bool RapiEntryPoints::Resolve(const SystemLibrary& library)
{
    bool complete = true;
#define QAMOVUP_RAPI_RESOLVE(name, ret, params)                                                 \
    name = reinterpret_cast<PFN_##name>(reinterpret_cast<void (*)()>(library.Find(#name))); \
    complete = complete && (name) != nullptr;
    QAMOVUP_RAPI_ENTRY_POINTS(QAMOVUP_RAPI_RESOLVE)
#undef QAMOVUP_RAPI_RESOLVE
    return complete;
}

void RapiEntryPoints::Forget()
{
#define QAMOVUP_RAPI_FORGET(name, ret, params) name = nullptr;
    QAMOVUP_RAPI_ENTRY_POINTS(QAMOVUP_RAPI_FORGET)
#undef QAMOVUP_RAPI_FORGET
}
