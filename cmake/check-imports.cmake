# ctest check: Tiv.exe imports Windows' own DLLs only, so it runs without any MinGW DLL beside it,
# and at start-up only the few it needs to show its window; the rest (cmake/delayed/*.def) load
# on first use.
# cmake -DEXE=path/Tiv.exe -DOBJDUMP=i686-w64-mingw32-objdump -P check-imports.cmake
cmake_policy(SET CMP0057 NEW)  # if(IN_LIST)
set(allowed kernel32.dll user32.dll gdi32.dll comctl32.dll msvcrt.dll)

if(NOT EXISTS "${EXE}")
  message(FATAL_ERROR "${EXE} does not exist")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${EXE} failed (${rc})")
endif()

string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
if(NOT lines)
  message(FATAL_ERROR "no DLL imports found in ${EXE}: objdump output not understood")
endif()
set(bad)
foreach(line ${lines})
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  message(STATUS "imports ${dll}")
  if(NOT lower IN_LIST allowed)
    list(APPEND bad ${dll})
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "Tiv.exe imports at start-up DLLs beyond ${allowed}: ${bad}")
endif()
