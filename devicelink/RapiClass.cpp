#include "devicelink/RapiClass.h"

RapiClass::RapiClass(const wchar_t* libraryName) : m_libraryName(libraryName) {}

RapiClass::~RapiClass()
{
    Release();
}

void RapiClass::Release()
{
    if (m_bConnected) {
        CeRapiUninit();
        m_bConnected = false;
    }
    ForgetEntryPoints();
    m_library.Free();
}

bool RapiClass::ResolveEntryPoints()
{
    bool complete = true;
#define QAMOVUP_RAPI_RESOLVE(name, ret, params)                                      \
    name = reinterpret_cast<PFN_##name>(reinterpret_cast<void (*)()>(m_library.Find(#name))); \
    complete = complete && (name) != nullptr;
    QAMOVUP_RAPI_ENTRY_POINTS(QAMOVUP_RAPI_RESOLVE)
#undef QAMOVUP_RAPI_RESOLVE
    return complete;
}

void RapiClass::ForgetEntryPoints()
{
#define QAMOVUP_RAPI_FORGET(name, ret, params) name = nullptr;
    QAMOVUP_RAPI_ENTRY_POINTS(QAMOVUP_RAPI_FORGET)
#undef QAMOVUP_RAPI_FORGET
}

int RapiClass::Connect()
{
    Release();

    if (!m_library.Load(m_libraryName))
        return RAPI_LOAD_FAILED;
    // A library without every entry point is not one we can drive: never call through a gap.
    if (!ResolveEntryPoints()) {
        ForgetEntryPoints();
        m_library.Free();
        return RAPI_LOAD_FAILED;
    }

    m_rapiInit = RAPIINIT{};
    m_rapiInit.cbSize = sizeof(RAPIINIT);
    if (FAILED(CeRapiInitEx(&m_rapiInit)))
        return RAPI_LOAD_FAILED;
    m_bConnected = true;

    // The caller shows the wait cursor: the device link knows nothing of windows.
    switch (::WaitForSingleObject(m_rapiInit.heRapiInit, kRapiConnectTimeoutMs)) {
    case WAIT_OBJECT_0:
        return FAILED(m_rapiInit.hrRapiInit) ? RAPI_START_FAILED : RAPI_CONNECTED;
    case WAIT_TIMEOUT:
        return RAPI_NO_ANSWER;
    default:
        return RAPI_CONNECTED;
    }
}
