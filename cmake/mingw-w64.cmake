# Cross build for 64-bit Windows with Debian's MinGW-w64 (POSIX threads);
# test programs run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# The MinGW tree, and the prefixes given for the Windows builds of the
# dependencies, searched as they are rather than below the MinGW tree.
string(REPLACE ":" ";" env_prefixes "$ENV{CMAKE_PREFIX_PATH}")
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${CMAKE_PREFIX_PATH} ${env_prefixes})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Debian's wine64 package keeps its loader out of PATH.
find_program(GPENC_WINE NAMES wine64 wine PATHS /usr/lib/wine REQUIRED)
# With the address space laid out at random, a Linux mapping now and then takes
# the place wine keeps for Windows' shared user data, and wine ends the program
# before it starts: exit code 1, nothing written but "failed to map the shared
# user data" under WINEDEBUG=err+all (about one start in a thousand). setarch -R
# gives wine a fixed layout, where the system lets a program ask for one.
find_program(GPENC_SETARCH setarch)
if(GPENC_SETARCH)
  execute_process(COMMAND ${GPENC_SETARCH} -R true RESULT_VARIABLE setarch_rc OUTPUT_QUIET ERROR_QUIET)
endif()
if(GPENC_SETARCH AND setarch_rc EQUAL 0)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${GPENC_SETARCH} -R ${GPENC_WINE})
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${GPENC_WINE})
endif()
