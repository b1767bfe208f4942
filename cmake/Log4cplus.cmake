# log4cplus, narrow or wide: a UNICODE (wide) build is log4cplus::log4cplusU,
# and its users are compiled with UNICODE defined. Sets GPENC_LOG4CPLUS to the
# target and GPENC_LOG4CPLUS_FROM to how it was found:
#   files    GPENC_LOG4CPLUS_INCLUDE_DIR and GPENC_LOG4CPLUS_LIBRARY, a header
#            folder and a library file as prebuilt log4cplus comes on Windows
#            (Log4cplusImport.cmake); given, they are used and no package is sought;
#   package  otherwise log4cplus's CMake package (CMAKE_PREFIX_PATH, log4cplus_DIR,
#            or vcpkg's toolchain file with this project's vcpkg.json).
set(GPENC_LOG4CPLUS_INCLUDE_DIR "" CACHE PATH
    "log4cplus without its CMake package: the folder that holds log4cplus/logger.h")
set(GPENC_LOG4CPLUS_LIBRARY "" CACHE FILEPATH
    "log4cplus without its CMake package: the library file (log4cplusU.lib, liblog4cplus.so, ...)")
set(GPENC_LOG4CPLUS_DLL "" CACHE FILEPATH
    "Windows, with GPENC_LOG4CPLUS_LIBRARY: log4cplus's DLL, when it is neither beside the import library nor in ../bin")
set(GPENC_LOG4CPLUS_UNICODE AUTO CACHE STRING
    "With GPENC_LOG4CPLUS_LIBRARY: whether it is the wide (UNICODE) build; AUTO reads it off the name (log4cplusU)")
set_property(CACHE GPENC_LOG4CPLUS_UNICODE PROPERTY STRINGS AUTO ON OFF)
include(${CMAKE_CURRENT_LIST_DIR}/Log4cplusImport.cmake)

if(GPENC_LOG4CPLUS_INCLUDE_DIR OR GPENC_LOG4CPLUS_LIBRARY)
  set(GPENC_LOG4CPLUS_FROM files)
  # The link check runs once for the same files and setting.
  set(given "${GPENC_LOG4CPLUS_INCLUDE_DIR}|${GPENC_LOG4CPLUS_LIBRARY}|${GPENC_LOG4CPLUS_UNICODE}")
  if(given STREQUAL "${_GPENC_LOG4CPLUS_CHECKED}")
    set(check "")
    set(unicode ${_GPENC_LOG4CPLUS_WIDE})
  else()
    set(check CHECK)
    set(unicode ${GPENC_LOG4CPLUS_UNICODE})
  endif()
  gpenc_log4cplus_import(INCLUDE_DIR "${GPENC_LOG4CPLUS_INCLUDE_DIR}" LIBRARY "${GPENC_LOG4CPLUS_LIBRARY}"
    DLL "${GPENC_LOG4CPLUS_DLL}" UNICODE ${unicode} ${check} RESULT GPENC_LOG4CPLUS)
  if(NOT GPENC_LOG4CPLUS)
    unset(_GPENC_LOG4CPLUS_CHECKED CACHE)
    message(FATAL_ERROR "${GPENC_LOG4CPLUS_ERROR}")
  endif()
  if(GPENC_LOG4CPLUS STREQUAL "log4cplus::log4cplusU")
    set(_GPENC_LOG4CPLUS_WIDE ON CACHE INTERNAL "")
    set(width "wide (UNICODE)")
  else()
    set(_GPENC_LOG4CPLUS_WIDE OFF CACHE INTERNAL "")
    set(width "narrow")
  endif()
  set(_GPENC_LOG4CPLUS_CHECKED "${given}" CACHE INTERNAL "")
  set(version "")
  file(STRINGS "${GPENC_LOG4CPLUS_INCLUDE_DIR}/log4cplus/version.h" version
       REGEX "define LOG4CPLUS_VERSION LOG4CPLUS_MAKE_VERSION")
  if(version MATCHES "\\(([0-9]+), *([0-9]+), *([0-9]+)\\)")
    set(version " ${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}")
  endif()
  message(STATUS "gpenc: log4cplus${version}, ${width}: ${GPENC_LOG4CPLUS_LIBRARY}")
else()
  set(GPENC_LOG4CPLUS_FROM package)
  find_package(log4cplus CONFIG)
  if(NOT log4cplus_FOUND)
    message(FATAL_ERROR "log4cplus not found. Give its CMake package (-DCMAKE_PREFIX_PATH=<its prefix>, or "
      "vcpkg: -DCMAKE_TOOLCHAIN_FILE=<vcpkg>/scripts/buildsystems/vcpkg.cmake with this project's vcpkg.json), "
      "or its header folder and library file: -DGPENC_LOG4CPLUS_INCLUDE_DIR=<folder holding log4cplus/> "
      "-DGPENC_LOG4CPLUS_LIBRARY=<log4cplusU.lib, liblog4cplus.so, ...> (docs/windows.md).")
  endif()
  if(TARGET log4cplus::log4cplusU)
    set(GPENC_LOG4CPLUS log4cplus::log4cplusU)
  else()
    set(GPENC_LOG4CPLUS log4cplus::log4cplus)
  endif()
endif()
unset(given)
unset(check)
unset(unicode)
unset(width)
unset(version)
