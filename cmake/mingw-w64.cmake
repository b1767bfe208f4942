# Cross build for Windows with Debian's MinGW-w64 (POSIX threads), 64-bit
# unless GPENC_MINGW_PROCESSOR is set to i686 first (cmake/mingw-w64-i686.cmake);
# test programs run under wine.
if(NOT GPENC_MINGW_PROCESSOR)
  set(GPENC_MINGW_PROCESSOR x86_64)
endif()
set(gpenc_mingw ${GPENC_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${GPENC_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${gpenc_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${gpenc_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${gpenc_mingw}-windres)
# The MinGW tree, and the prefixes given for the Windows builds of the
# dependencies, searched as they are rather than below the MinGW tree.
string(REPLACE ":" ";" env_prefixes "$ENV{CMAKE_PREFIX_PATH}")
set(CMAKE_FIND_ROOT_PATH /usr/${gpenc_mingw} ${CMAKE_PREFIX_PATH} ${env_prefixes})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Debian's wine64 and wine32 packages keep their loaders out of PATH: wine64
# runs 64-bit programs, wine (from wine32) 32-bit ones.
if(GPENC_MINGW_PROCESSOR STREQUAL "x86_64")
  find_program(GPENC_WINE NAMES wine64 wine PATHS /usr/lib/wine REQUIRED)
else()
  find_program(GPENC_WINE NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH REQUIRED)
endif()
# A kernel built without 32-bit emulation cannot start wine32's loader. There
# is then no emulator: the test programs are built, not run, and nothing the
# build itself would run is built (the root CMakeLists.txt says what).
execute_process(COMMAND ${GPENC_WINE} --version RESULT_VARIABLE wine_rc OUTPUT_QUIET ERROR_QUIET)
if(NOT wine_rc EQUAL 0)
  return()
endif()
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
