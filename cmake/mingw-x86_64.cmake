# Cross-compiling the x86-64 twin of Tiv with Debian's MinGW-w64: the same sources as the i686
# build (mingw-i686.cmake), for hosts that run no 32-bit code.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TIV_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TIV_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TIV_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TIV_MINGW}-windres)
set(CMAKE_OBJDUMP ${TIV_MINGW}-objdump CACHE FILEPATH "objdump for PE files")

set(CMAKE_FIND_ROOT_PATH /usr/${TIV_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest and gtest_discover_tests run the .exe files through this build's Wine environment.
set(TIV_WINDOWS win64)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-emulator.sh;${TIV_WINDOWS}")
