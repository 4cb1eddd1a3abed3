# Cross-compiling the x86-64 twin of Tiv with Debian's MinGW-w64: the same sources as the i686
# build, for hosts that run no 32-bit code.
set(TIV_MINGW_PROCESSOR x86_64)
set(TIV_WINDOWS win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
