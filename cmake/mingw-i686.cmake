# Cross-compiling Tiv for 32-bit Windows with Debian's MinGW-w64: the Tiv.exe we ship.
set(TIV_MINGW_PROCESSOR i686)
set(TIV_WINDOWS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
