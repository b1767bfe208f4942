# log4cplus from a header folder and a library file, with no CMake package of
# its own (a prebuilt log4cplusU.lib beside its headers, say). Used by the build
# and, installed as gpencLog4cplus.cmake, by gpencConfig.cmake for consumers.

# gpenc_log4cplus_probe(LINK library-or-target [INCLUDE_DIR dir] WIDTHS ON|OFF... RESULT var)
# links a small program against log4cplus with each width in turn (ON: with
# UNICODE and _UNICODE) and sets var to the first that links, or to "" with
# var_ERROR holding the linker's first complaints. The width shows in the names
# log4cplus exports: getInstance takes a std::wstring in a wide build, a
# std::string in a narrow one.
function(gpenc_log4cplus_probe)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "LINK;INCLUDE_DIR;RESULT" "WIDTHS")
  set(dir ${CMAKE_BINARY_DIR}/CMakeFiles/gpenc-log4cplus)
  file(WRITE ${dir}/width.cpp [[
#include <log4cplus/logger.h>
int main() { return log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("gpenc")).getName().empty() ? 1 : 0; }
]])
  set(include "")
  if(arg_INCLUDE_DIR)
    set(include "-DINCLUDE_DIRECTORIES=${arg_INCLUDE_DIR}")
  endif()
  foreach(try IN LISTS arg_WIDTHS)
    set(definitions "")
    if(try)
      set(definitions -DUNICODE -D_UNICODE)
    endif()
    try_compile(works ${dir}/build-${try} ${dir}/width.cpp
      CMAKE_FLAGS ${include}
      COMPILE_DEFINITIONS ${definitions}
      LINK_LIBRARIES "${arg_LINK}"
      CXX_STANDARD 17
      OUTPUT_VARIABLE output)
    if(works)
      set(${arg_RESULT} ${try} PARENT_SCOPE)
      return()
    endif()
    if(NOT DEFINED first_output)
      set(first_output "${output}")
    endif()
  endforeach()
  string(REGEX MATCHALL "[^\n]*(error|undefined|unresolved)[^\n]*" lines "${first_output}")
  list(SUBLIST lines 0 3 lines)
  list(JOIN lines "\n    " lines)
  set(${arg_RESULT} "" PARENT_SCOPE)
  set(${arg_RESULT}_ERROR "${lines}" PARENT_SCOPE)
endfunction()

# gpenc_log4cplus_import(INCLUDE_DIR dir LIBRARY file [DLL file] UNICODE AUTO|ON|OFF [CHECK] RESULT var)
# defines the imported target log4cplus's own package defines for that build,
# log4cplus::log4cplusU for a wide (UNICODE) one, with UNICODE and _UNICODE for
# its users as that package sets them, or log4cplus::log4cplus for a narrow one,
# and sets var to its name and var_WIDE to its width (ON: wide); on a mistake
# var is empty and var_ERROR says why.
# UNICODE AUTO takes the width from the file's name (log4cplusU, log4cplusSU,
# liblog4cplusU-2.0.so: wide). CHECK links a program against the library with
# that width first (when the name misled AUTO, the other width is taken).
# DLL (Windows): the DLL of an import library, when it is neither beside it
# nor in ../bin; it is what the ZIP package carries.
function(gpenc_log4cplus_import)
  cmake_parse_arguments(PARSE_ARGV 0 arg "CHECK" "INCLUDE_DIR;LIBRARY;DLL;UNICODE;RESULT" "")
  set(${arg_RESULT} "" PARENT_SCOPE)
  macro(_gpenc_log4cplus_fail text)
    set(${arg_RESULT}_ERROR "${text}" PARENT_SCOPE)
    return()
  endmacro()
  if(NOT arg_INCLUDE_DIR OR NOT arg_LIBRARY)
    _gpenc_log4cplus_fail("GPENC_LOG4CPLUS_INCLUDE_DIR and GPENC_LOG4CPLUS_LIBRARY go together")
  endif()
  if(NOT EXISTS "${arg_INCLUDE_DIR}/log4cplus/logger.h")
    _gpenc_log4cplus_fail("GPENC_LOG4CPLUS_INCLUDE_DIR: ${arg_INCLUDE_DIR} holds no log4cplus/logger.h")
  endif()
  if(NOT EXISTS "${arg_LIBRARY}" OR IS_DIRECTORY "${arg_LIBRARY}")
    _gpenc_log4cplus_fail("GPENC_LOG4CPLUS_LIBRARY: no file ${arg_LIBRARY}")
  endif()

  get_filename_component(name "${arg_LIBRARY}" NAME)
  string(TOLOWER "${name}" name)
  # log4cplus's own build names a static library log4cplusS...: built into the
  # DLL, that would be a second log4cplus beside the application's, with a
  # logger hierarchy of its own.
  if(name MATCHES "^(lib)?log4cpluss" OR (name MATCHES "\\.a$" AND NOT name MATCHES "\\.dll\\.a$"))
    message(WARNING "GPENC_LOG4CPLUS_LIBRARY ${arg_LIBRARY} looks static: the library would carry a log4cplus "
                    "of its own, apart from the application's. Name the import library of log4cplus's DLL "
                    "(Windows) or the shared library.")
  endif()
  if(arg_UNICODE STREQUAL "AUTO")
    if(name MATCHES "^(lib)?log4cpluss?u")
      set(wide ON)
    else()
      set(wide OFF)
    endif()
  elseif(arg_UNICODE)
    set(wide ON)
  else()
    set(wide OFF)
  endif()

  if(arg_CHECK)
    set(widths ${wide})
    if(arg_UNICODE STREQUAL "AUTO")
      if(wide)
        list(APPEND widths OFF)
      else()
        list(APPEND widths ON)
      endif()
    endif()
    gpenc_log4cplus_probe(LINK "${arg_LIBRARY}" INCLUDE_DIR "${arg_INCLUDE_DIR}" WIDTHS ${widths} RESULT linked)
    if(linked STREQUAL "")
      if(wide)
        set(width "a wide (UNICODE) log4cplus")
      else()
        set(width "a narrow log4cplus")
      endif()
      _gpenc_log4cplus_fail("a program does not link with ${arg_LIBRARY} as ${width} (GPENC_LOG4CPLUS_UNICODE=${arg_UNICODE}):\n    ${linked_ERROR}")
    endif()
    if(NOT linked STREQUAL wide)
      if(linked)
        message(STATUS "gpenc: ${arg_LIBRARY} links as a wide (UNICODE) log4cplus, though its name has no U "
                       "(built with undecorated names, as vcpkg builds it)")
      else()
        message(STATUS "gpenc: ${arg_LIBRARY} links as a narrow log4cplus, though its name says wide")
      endif()
      set(wide ${linked})
    endif()
  endif()
  set(${arg_RESULT}_WIDE ${wide} PARENT_SCOPE)

  if(wide)
    set(target log4cplus::log4cplusU)
  else()
    set(target log4cplus::log4cplus)
  endif()
  if(TARGET ${target})
    set(${arg_RESULT} ${target} PARENT_SCOPE)
    return()
  endif()

  set(dll "${arg_DLL}")
  if(WIN32 AND NOT dll AND name MATCHES "^(.*)\\.(lib|dll\\.a)$")
    get_filename_component(dir "${arg_LIBRARY}" DIRECTORY)
    get_filename_component(file "${arg_LIBRARY}" NAME)
    string(REGEX REPLACE "\\.(lib|dll\\.a)$" ".dll" file "${file}")
    foreach(candidate "${dir}/${file}" "${dir}/../bin/${file}")
      if(EXISTS "${candidate}")
        get_filename_component(dll "${candidate}" ABSOLUTE)
        break()
      endif()
    endforeach()
  endif()
  if(dll)
    add_library(${target} SHARED IMPORTED)
    set_target_properties(${target} PROPERTIES IMPORTED_IMPLIB "${arg_LIBRARY}" IMPORTED_LOCATION "${dll}")
  elseif(name MATCHES "\\.so(\\.|$)|\\.dylib$")
    add_library(${target} SHARED IMPORTED)
    set_target_properties(${target} PROPERTIES IMPORTED_LOCATION "${arg_LIBRARY}")
  else()
    add_library(${target} UNKNOWN IMPORTED)
    set_target_properties(${target} PROPERTIES IMPORTED_LOCATION "${arg_LIBRARY}")
  endif()
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${arg_INCLUDE_DIR}")
  if(wide)
    set_target_properties(${target} PROPERTIES INTERFACE_COMPILE_DEFINITIONS "UNICODE;_UNICODE")
  endif()
  set(${arg_RESULT} ${target} PARENT_SCOPE)
endfunction()
