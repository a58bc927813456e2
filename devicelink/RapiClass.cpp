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
    Forget();
    m_library.Free();
}

int RapiClass::Connect()
{
    Release();

    if (!m_library.Load(m_libraryName))
        return RAPI_LOAD_FAILED;
    // A library without every entry point is not one we can drive: never call through a gap.
    if (!Resolve(m_library)) {
        Forget();
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
