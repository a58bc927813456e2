#include "worker/Cabinet.h"

#include "worker/HandheldNames.h"

bool FindCabinet(HMODULE module, CabinetBytes& cabinet)
{
    HRSRC resource = ::FindResourceW(module, handheld::kCabinetResourceName, RT_RCDATA);
    if (resource == nullptr)
        return false;
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr)
        return false;
    cabinet.bytes = static_cast<const BYTE*>(bytes);
    cabinet.size = ::SizeofResource(module, resource);
    return true;
}
