// Exits with the ANSI code page the desktop gives a program started in a given environment.
#include <windows.h>

int main()
{
    return static_cast<int>(::GetACP());
}
