# The parts built beside the library, each an option GPENC_BUILD_<PART> of
# AUTO, ON or OFF. The library, its package and its install need only
# log4cplus; AUTO builds a part when what it needs is there and otherwise leaves
# it out with one message that names what is missing; ON fails the configure
# with that message. Afterwards GPENC_BUILD_<PART> is ON or OFF for the rest of
# the build.
#
# The packages are looked for here, once, so that their targets are seen by
# every folder below.
find_package(nlohmann_json 3 QUIET)
find_package(CLI11 CONFIG QUIET)
find_package(GTest QUIET)
find_package(benchmark QUIET)

# gpenc_part(PART description NEEDS...): each of NEEDS a package (found),
# another part (built), or "stand-ins" (the library built for the bundled host
# stand-ins, which these programs set session ids through).
function(gpenc_part part description)
  set(GPENC_BUILD_${part} AUTO CACHE STRING "Build ${description}: AUTO (when what it needs is there), ON or OFF")
  set_property(CACHE GPENC_BUILD_${part} PROPERTY STRINGS AUTO ON OFF)
  set(choice "${GPENC_BUILD_${part}}")
  if(NOT choice STREQUAL "AUTO" AND NOT choice)
    set(GPENC_BUILD_${part} OFF PARENT_SCOPE)
    return()
  endif()
  set(missing "")
  foreach(need IN LISTS ARGN)
    if(need STREQUAL "stand-ins")
      if(NOT GPENC_HOST STREQUAL "stand-ins")
        list(APPEND missing "the bundled host stand-ins (the library is built for GPENC_HOST_HEADER)")
      endif()
    elseif(DEFINED GPENC_BUILD_${need})
      if(NOT GPENC_BUILD_${need})
        string(TOLOWER "${need}" name)
        list(APPEND missing "the ${name} (GPENC_BUILD_${need})")
      endif()
    elseif(NOT ${need}_FOUND)
      list(APPEND missing "the package ${need}")
    endif()
  endforeach()
  if(NOT missing)
    set(GPENC_BUILD_${part} ON PARENT_SCOPE)
    return()
  endif()
  list(JOIN missing ", " missing)
  set(text "gpenc: ${description}: missing ${missing}")
  if(choice STREQUAL "AUTO")
    message(STATUS "${text}; not built (GPENC_BUILD_${part}=AUTO)")
    set(GPENC_BUILD_${part} OFF PARENT_SCOPE)
  else()
    message(FATAL_ERROR "${text}; GPENC_BUILD_${part} is ${choice}")
  endif()
endfunction()

gpenc_part(INSPECTOR "the frame inspector (gpenc::inspect) and the Wireshark dissector" nlohmann_json)
gpenc_part(TOOL "the gpenc tool" stand-ins CLI11 nlohmann_json INSPECTOR)
gpenc_part(TESTS "the test suite" GTest INSPECTOR)
gpenc_part(EXAMPLES "the example programs" stand-ins)
gpenc_part(BENCHMARKS "the benchmarks" stand-ins benchmark)
