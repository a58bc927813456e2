# Shared part of the mingw-w64 toolchains; the including file sets QAMOVUP_MINGW_TRIPLET.
set(CMAKE_SYSTEM_NAME Windows)
# The win32 thread model: the program needs Win32 threads only, and the posix model's
# winpthreads runtime imports functions that Windows XP lacks (GetTickCount64 among them).
set(CMAKE_C_COMPILER   ${QAMOVUP_MINGW_TRIPLET}-gcc-win32)
set(CMAKE_CXX_COMPILER ${QAMOVUP_MINGW_TRIPLET}-g++-win32)
set(CMAKE_RC_COMPILER  ${QAMOVUP_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QAMOVUP_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
