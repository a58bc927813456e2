// The library's start, and the entry points on the connection itself and on the handheld's display.
#include "simhandheld/rapi/Call.h"
#include "simhandheld/rapi/EntryPoints.h"

using namespace simhandheld;

// The library pins itself at its first load, so that rapi.dll, which the tool loads and frees once
// per run, holds no C++ runtime of its own. A connection's state is renewed at each CeRapiInitEx instead.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    HMODULE self = nullptr;
    if (reason == DLL_PROCESS_ATTACH)
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<LPCWSTR>(&DllMain), &self);
    return TRUE;
}

HRESULT WINAPI CeRapiInitEx(RAPIINIT* pRapiInit)
{
    // The end of the connection before and this first call of the new one, as one step.
    const Connection::Hold hold(TheConnection());
    const std::wstring unusable = TheConnection().Renew();
    Call call(L"CeRapiInitEx", false);
    call.Number(L"cbSize", pRapiInit ? pRapiInit->cbSize : 0);
    if (!pRapiInit || pRapiInit->cbSize != sizeof(RAPIINIT))
        return call.Result(E_INVALIDARG);
    if (constexpr LONG kBadConfiguration = ERROR_BAD_CONFIGURATION; !unusable.empty())
        return call.Result(HRESULT_FROM_WIN32(kBadConfiguration), unusable);
    if (call.Refused())
        return call.Result(E_FAIL);
    return call.Result(call.Handheld().Start(pRapiInit));
}

HRESULT WINAPI CeRapiUninit()
{
    Call call(L"CeRapiUninit", false);
    const bool faulted = call.Refused();
    // Even a faulted stop ends the start-up: unloading the library afterwards must be safe.
    call.Handheld().Stop();
    return call.Result(faulted ? E_FAIL : S_OK);
}

INT WINAPI CeGetDesktopDeviceCaps(INT nIndex)
{
    Call call(L"CeGetDesktopDeviceCaps");
    call.Number(L"index", static_cast<unsigned>(nIndex));
    if (call.Refused())
        return call.Int(0);
    const int dpi = static_cast<int>(call.Handheld().Settings().dpi.Number());
    return call.Int(nIndex == LOGPIXELSX || nIndex == LOGPIXELSY ? dpi : nIndex == HORZRES ? 480 : nIndex == VERTRES ? 640
                    : nIndex == BITSPIXEL ? 16 : nIndex == PLANES ? 1 : 0);
}
