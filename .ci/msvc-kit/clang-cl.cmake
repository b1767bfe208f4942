# CMake's own Windows rules for Visual C++ (Platform/Windows-MSVC.cmake through
# Windows-Clang.cmake), run on Linux: clang-cl 14 as cl.exe, lld-link as
# link.exe, llvm-lib as lib.exe, llvm-rc as rc.exe. The headers and import
# libraries come from the environment, as a Developer Command Prompt gives
# them (INCLUDE, LIB, CL): source .ci/msvc-kit/env.sh first. Kept out of
# CMAKE_CXX_FLAGS on purpose, so that a configure that replaces those flags
# still finds the headers, as it does on Windows. CI only (.ci/windows-rules.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER clang-cl-14)
set(CMAKE_CXX_COMPILER clang-cl-14)
set(CMAKE_C_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_LINKER lld-link-14)
set(CMAKE_AR /usr/lib/llvm-14/bin/llvm-lib)
set(CMAKE_RC_COMPILER llvm-rc-14)
set(CMAKE_MT /usr/lib/llvm-14/bin/llvm-mt)
# A Windows machine has none of this one's packages: find_package and the
# find_* commands look in the kit's (empty) root alone, never in /usr.
set(CMAKE_FIND_ROOT_PATH "$ENV{MSVC_KIT_ROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(NOT "$ENV{INCLUDE}" MATCHES "stl/inc" OR "$ENV{MSVC_KIT_ROOT}" STREQUAL "")
  message(FATAL_ERROR "clang-cl.cmake: INCLUDE, LIB and CL are not set for the kit: source .ci/msvc-kit/env.sh first")
endif()
