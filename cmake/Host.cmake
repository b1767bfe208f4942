# The host the library is built for. By default the bundled stand-ins
# (gpenc_host); with GPENC_HOST_HEADER the host's own declarations of the
# framework's exception base, the session store and the shared logger, checked
# here so that a header lacking one fails at configure time, naming it.
set(GPENC_HOST_HEADER "" CACHE FILEPATH
    "The host's header declaring CException, CSessionData and NSLog::CLog (empty: the bundled stand-ins)")
set(GPENC_HOST_LIBRARIES "" CACHE STRING "What the library links for the host's declarations (with GPENC_HOST_HEADER)")
option(GPENC_EXTENSION_MODULE
       "Register the DLL as an extension module of the host's framework at load (Windows, with GPENC_HOST_HEADER)" OFF)

if(NOT GPENC_HOST_HEADER)
  if(GPENC_EXTENSION_MODULE)
    message(FATAL_ERROR "GPENC_EXTENSION_MODULE needs the framework's declarations: set GPENC_HOST_HEADER")
  endif()
  set(GPENC_HOST "stand-ins")
  return()
endif()

get_filename_component(GPENC_HOST_HEADER "${GPENC_HOST_HEADER}" ABSOLUTE)
if(NOT EXISTS "${GPENC_HOST_HEADER}")
  message(FATAL_ERROR "GPENC_HOST_HEADER: ${GPENC_HOST_HEADER} does not exist")
endif()
set(GPENC_HOST "${GPENC_HOST_HEADER}")
# Its folder is searched too: a host header includes the framework's headers
# with <>, which a client keeps beside it or on the compiler's own path.
get_filename_component(GPENC_HOST_INCLUDE_DIR "${GPENC_HOST_HEADER}" DIRECTORY)

# The definitions the framework's headers require of every file that includes
# them, applied to the library and its probes. By default what an extension DLL
# on the framework's shared DLL sets; the default follows GPENC_EXTENSION_MODULE
# until the variable is set by hand.
set(host_defaults _AFXDLL)
if(GPENC_EXTENSION_MODULE)
  list(APPEND host_defaults _AFXEXT)
endif()
if(NOT DEFINED GPENC_HOST_DEFINITIONS OR (DEFINED GPENC_HOST_DEFINITIONS_DEFAULT AND
                                           GPENC_HOST_DEFINITIONS STREQUAL "${GPENC_HOST_DEFINITIONS_DEFAULT}"))
  set(GPENC_HOST_DEFINITIONS "${host_defaults}" CACHE STRING
      "Definitions the host's framework requires, without -D (default: _AFXDLL, and _AFXEXT with GPENC_EXTENSION_MODULE)" FORCE)
endif()
set(GPENC_HOST_DEFINITIONS_DEFAULT "${host_defaults}" CACHE INTERNAL "")
set(host_definitions "-DGPENC_HOST_HEADER=\"${GPENC_HOST_HEADER}\"")
foreach(d IN LISTS GPENC_HOST_DEFINITIONS)
  list(APPEND host_definitions "-D${d}")
endforeach()

# The header on its own first: one that does not compile at all is reported with
# the compiler's first error, not as a list of what it would not declare.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)  # the host's libraries are not linked here
set(host_probe "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/gpenc-host-header.cpp")
file(WRITE "${host_probe}" "#include \"HostSeam.h\"\n")
unset(GPENC_HOST_HEADER_COMPILES CACHE)
try_compile(GPENC_HOST_HEADER_COMPILES "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/gpenc-host-header" "${host_probe}"
  CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${PROJECT_SOURCE_DIR}/src/core;${GPENC_HOST_INCLUDE_DIR}"
  COMPILE_DEFINITIONS ${host_definitions}
  LINK_LIBRARIES ${GPENC_LOG4CPLUS}
  OUTPUT_VARIABLE host_output)
if(NOT GPENC_HOST_HEADER_COMPILES)
  # GCC and clang: "file:line:col: error: ..."; cl.exe: "file(line): fatal error C1189: ...".
  string(REGEX MATCH "[^\n]*[:)] *(fatal )?error[ :][^\n]*" host_error "${host_output}")
  if(NOT host_error)
    set(host_error "${host_output}")
  endif()
  message(FATAL_ERROR "GPENC_HOST_HEADER ${GPENC_HOST_HEADER} does not compile with the definitions "
    "GPENC_HOST_DEFINITIONS (${GPENC_HOST_DEFINITIONS}) and CMAKE_CXX_FLAGS (${CMAKE_CXX_FLAGS}):\n  ${host_error}")
endif()

# One small program per declaration the library uses, in the shape it uses it.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_QUIET ON)
set(CMAKE_REQUIRED_LIBRARIES ${GPENC_LOG4CPLUS})
set(CMAKE_REQUIRED_DEFINITIONS ${host_definitions})
set(CMAKE_REQUIRED_INCLUDES ${PROJECT_SOURCE_DIR}/src/core ${GPENC_HOST_INCLUDE_DIR})
set(missing "")
function(host_check name what body)
  unset(${name} CACHE)  # the header may have changed since the last run
  check_cxx_source_compiles("#include \"HostSeam.h\"\n${body}\nint main() { return 0; }" ${name})
  if(NOT ${name})
    set(missing "${missing}\n  ${what}" PARENT_SCOPE)
  endif()
endfunction()
host_check(GPENC_HOST_HAS_EXCEPTION "CException, thrown and caught by pointer, with Delete()"
  "void f() { try { throw (CException*)0; } catch (CException* e) { e->Delete(); } }")
host_check(GPENC_HOST_HAS_MESSAGE "virtual CException::GetErrorMessage(buffer, size, help context = none) const"
  "template <class R, class C, class Ch, class N, class P> Ch* B(R (C::*)(Ch*, N, P) const);
   bool f(const CException& e, decltype(B(&CException::GetErrorMessage)) b) { return e.GetErrorMessage(b, 512) ? true : false; }")
host_check(GPENC_HOST_HAS_SESSION "static CSessionData::GetSession(unsigned char*)"
  "void f(unsigned char* id) { CSessionData::GetSession(id); }")
host_check(GPENC_HOST_HAS_LOGGER "the log4cplus logger NSLog::CLog::_logger"
  "bool f() { log4cplus::Logger& l = NSLog::CLog::_logger; return l.isEnabledFor(10000); }")
if(GPENC_EXTENSION_MODULE)
  host_check(GPENC_HOST_HAS_MODULE
    "AFX_EXTENSION_MODULE, AfxInitExtensionModule, CDynLinkLibrary and AfxTermExtensionModule"
    "#include <windows.h>
     void f(AFX_EXTENSION_MODULE& m, HINSTANCE h) { if (AfxInitExtensionModule(m, h)) new CDynLinkLibrary(m); AfxTermExtensionModule(m); }")
endif()
if(missing)
  message(FATAL_ERROR "GPENC_HOST_HEADER ${GPENC_HOST_HEADER} does not declare what the library uses:${missing}")
endif()
message(STATUS "gpenc: built for the host of ${GPENC_HOST_HEADER}")
