# log4cplus, narrow or wide: the users of a UNICODE (wide) build are compiled
# with UNICODE defined. Sets GPENC_LOG4CPLUS to the target,
# GPENC_LOG4CPLUS_WIDE to its width (ON: wide), GPENC_LOG4CPLUS_UNICODE_ADDED
# to ON when the package is wide but left UNICODE out of its target (so this
# build put it in), and GPENC_LOG4CPLUS_FROM to how it was found:
#   files    GPENC_LOG4CPLUS_INCLUDE_DIR and GPENC_LOG4CPLUS_LIBRARY, a header
#            folder and a library file as prebuilt log4cplus comes on Windows
#            (Log4cplusImport.cmake); given, they are used and no package is sought;
#   package  otherwise log4cplus's CMake package (CMAKE_PREFIX_PATH, log4cplus_DIR,
#            or vcpkg's toolchain file with this project's vcpkg.json).
# The width is what the library links as, not what it is called: vcpkg's
# log4cplus[unicode] is wide and named log4cplus.lib, log4cplus::log4cplus.
# The link check runs once for the same files or package.
set(GPENC_LOG4CPLUS_INCLUDE_DIR "" CACHE PATH
    "log4cplus without its CMake package: the folder that holds log4cplus/logger.h")
set(GPENC_LOG4CPLUS_LIBRARY "" CACHE FILEPATH
    "log4cplus without its CMake package: the library file (log4cplusU.lib, liblog4cplus.so, ...)")
set(GPENC_LOG4CPLUS_DLL "" CACHE FILEPATH
    "Windows, with GPENC_LOG4CPLUS_LIBRARY: log4cplus's DLL, when it is neither beside the import library nor in ../bin")
set(GPENC_LOG4CPLUS_UNICODE AUTO CACHE STRING
    "With GPENC_LOG4CPLUS_LIBRARY: whether it is the wide (UNICODE) build; AUTO: a link decides, trying first the width the name says (log4cplusU: wide)")
set_property(CACHE GPENC_LOG4CPLUS_UNICODE PROPERTY STRINGS AUTO ON OFF)
include(${CMAKE_CURRENT_LIST_DIR}/Log4cplusImport.cmake)

if(GPENC_LOG4CPLUS_INCLUDE_DIR OR GPENC_LOG4CPLUS_LIBRARY)
  set(GPENC_LOG4CPLUS_FROM files)
  set(given "files|${GPENC_LOG4CPLUS_INCLUDE_DIR}|${GPENC_LOG4CPLUS_LIBRARY}|${GPENC_LOG4CPLUS_UNICODE}")
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
  set(GPENC_LOG4CPLUS_UNICODE_ADDED OFF)
  set(_GPENC_LOG4CPLUS_WIDE ${GPENC_LOG4CPLUS_WIDE} CACHE INTERNAL "")
  set(_GPENC_LOG4CPLUS_CHECKED "${given}" CACHE INTERNAL "")
  set(version "")
  file(STRINGS "${GPENC_LOG4CPLUS_INCLUDE_DIR}/log4cplus/version.h" version
       REGEX "define LOG4CPLUS_VERSION LOG4CPLUS_MAKE_VERSION")
  if(version MATCHES "\\(([0-9]+), *([0-9]+), *([0-9]+)\\)")
    set(version " ${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}")
  endif()
  set(where "${GPENC_LOG4CPLUS_LIBRARY}")
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
  # log4cplus's own package gives a wide build's users UNICODE and _UNICODE,
  # whatever the library is called; such a target links only as wide.
  get_target_property(definitions ${GPENC_LOG4CPLUS} INTERFACE_COMPILE_DEFINITIONS)
  if(NOT definitions)
    set(definitions "")
  endif()
  if("UNICODE" IN_LIST definitions)
    set(widths ON)
  elseif(GPENC_LOG4CPLUS STREQUAL "log4cplus::log4cplusU")
    set(widths ON OFF)
  else()
    set(widths OFF ON)
  endif()
  set(given "package|${log4cplus_DIR}|${GPENC_LOG4CPLUS}|${definitions}")
  if(given STREQUAL "${_GPENC_LOG4CPLUS_CHECKED}")
    set(GPENC_LOG4CPLUS_WIDE ${_GPENC_LOG4CPLUS_WIDE})
  else()
    gpenc_log4cplus_probe(LINK ${GPENC_LOG4CPLUS} WIDTHS ${widths} RESULT GPENC_LOG4CPLUS_WIDE)
    if(GPENC_LOG4CPLUS_WIDE STREQUAL "")
      unset(_GPENC_LOG4CPLUS_CHECKED CACHE)
      list(JOIN definitions " " definitions)
      message(FATAL_ERROR "a program does not link with ${GPENC_LOG4CPLUS} of the package in ${log4cplus_DIR} "
        "(its definitions: \"${definitions}\"):\n    ${GPENC_LOG4CPLUS_WIDE_ERROR}")
    endif()
    set(_GPENC_LOG4CPLUS_WIDE ${GPENC_LOG4CPLUS_WIDE} CACHE INTERNAL "")
    set(_GPENC_LOG4CPLUS_CHECKED "${given}" CACHE INTERNAL "")
  endif()
  # A package that leaves UNICODE out (log4cplus 1.x's): this build's targets,
  # and through gpencConfig.cmake its consumers', put it in.
  set(GPENC_LOG4CPLUS_UNICODE_ADDED OFF)
  if(GPENC_LOG4CPLUS_WIDE AND NOT "UNICODE" IN_LIST definitions)
    set_property(TARGET ${GPENC_LOG4CPLUS} APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS UNICODE _UNICODE)
    set(GPENC_LOG4CPLUS_UNICODE_ADDED ON)
  endif()
  set(version "")
  if(log4cplus_VERSION)
    set(version " ${log4cplus_VERSION}")
  endif()
  set(where "${GPENC_LOG4CPLUS} (${log4cplus_DIR})")
endif()
if(GPENC_LOG4CPLUS_WIDE)
  message(STATUS "gpenc: log4cplus${version}, wide (UNICODE): ${where}")
else()
  message(STATUS "gpenc: log4cplus${version}, narrow: ${where}")
endif()
unset(given)
unset(check)
unset(unicode)
unset(version)
unset(definitions)
unset(widths)
unset(where)
