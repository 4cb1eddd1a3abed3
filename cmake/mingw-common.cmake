# What both Windows toolchain files share; they set TIV_MINGW_PROCESSOR and TIV_WINDOWS first.
# The -posix compilers have std::thread and std::mutex, which GoogleTest needs; with -static
# they add no DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TIV_MINGW_PROCESSOR})

set(TIV_MINGW ${TIV_MINGW_PROCESSOR}-w64-mingw32)
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
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-emulator.sh;${TIV_WINDOWS}")
