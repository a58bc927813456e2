// The eighteen entry points, declared with C linkage as the tool resolves them: no definition can stray.
#pragma once

#include "devicelink/RapiApi.h"

// NOLINTNEXTLINE(bugprone-macro-parentheses): params is already the parenthesized parameter list.
#define QAMOSIM_DECLARE_ENTRY_POINT(name, ret, params) extern "C" ret WINAPI name params;
QAMOVUP_RAPI_ENTRY_POINTS(QAMOSIM_DECLARE_ENTRY_POINT)
#undef QAMOSIM_DECLARE_ENTRY_POINT
