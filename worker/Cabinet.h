// The installer cabinet a program carries, its raw data resource "CABFILE", where it lies in the
// loaded module: the tool writes it to the handheld from there and never copies it on the desktop.
#pragma once

#include <windows.h>

struct CabinetBytes {
    const BYTE* bytes = nullptr;
    DWORD size = 0;
};

// False if the module carries none.
bool FindCabinet(HMODULE module, CabinetBytes& cabinet);
