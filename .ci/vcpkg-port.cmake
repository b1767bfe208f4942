# Runs ports/gpenc/portfile.cmake as vcpkg would for one set of features, with vcpkg's functions
# stood in for, and writes the options its vcpkg_cmake_configure gives, one a line, to
# OUT/release.txt and OUT/debug.txt (the triplet's VCPKG_CMAKE_CONFIGURE_OPTIONS included, as
# vcpkg adds them). A function of vcpkg's that is not stood in for here stops the run as an
# unknown command. Called by .ci/vcpkg-port.py:
#   cmake -DFEATURES=a;b -DALL_FEATURES=... -DTRIPLET=file -DOUT=dir -P .ci/vcpkg-port.cmake
cmake_minimum_required(VERSION 3.20)
get_filename_component(root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

set(PORT gpenc)
set(TARGET_TRIPLET x64-windows)
set(VCPKG_TARGET_IS_WINDOWS ON)
set(CURRENT_PORT_DIR "${root}/ports/gpenc")
set(CURRENT_PACKAGES_DIR "${OUT}/packages")
set(CURRENT_BUILDTREES_DIR "${OUT}/buildtrees")
set(CURRENT_INSTALLED_DIR "${OUT}/installed")
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${CURRENT_PACKAGES_DIR}" "${CURRENT_BUILDTREES_DIR}")
list(PREPEND FEATURES core)
include("${TRIPLET}")

# vcpkg_check_features as vcpkg documents it; a feature the manifest does not have is an
# error here, so that a misspelt one does not quietly give OFF.
function(vcpkg_check_features)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "OUT_FEATURE_OPTIONS;PREFIX" "FEATURES;INVERTED_FEATURES")
  set(options "")
  foreach(kind FEATURES INVERTED_FEATURES)
    set(list ${arg_${kind}})
    while(list)
      list(POP_FRONT list feature variable)
      if(NOT feature IN_LIST ALL_FEATURES)
        message(FATAL_ERROR "vcpkg_check_features: ${feature} is not a feature of ports/gpenc/vcpkg.json")
      endif()
      set(on OFF)
      if(feature IN_LIST FEATURES)
        set(on ON)
      endif()
      if(kind STREQUAL "INVERTED_FEATURES")
        if(on)
          set(on OFF)
        else()
          set(on ON)
        endif()
      endif()
      list(APPEND options "-D${variable}=${on}")
    endwhile()
  endforeach()
  set(${arg_OUT_FEATURE_OPTIONS} "${options}" PARENT_SCOPE)
endfunction()

function(vcpkg_cmake_configure)
  cmake_parse_arguments(PARSE_ARGV 0 arg "DISABLE_PARALLEL_CONFIGURE;WINDOWS_USE_MSBUILD;NO_CHARSET_FLAG"
    "SOURCE_PATH;GENERATOR;LOGFILE_BASE" "OPTIONS;OPTIONS_RELEASE;OPTIONS_DEBUG;MAYBE_UNUSED_VARIABLES")
  if(EXISTS "${OUT}/release.txt")
    message(FATAL_ERROR "vcpkg_cmake_configure: called twice")
  endif()
  if(arg_MAYBE_UNUSED_VARIABLES)
    message(FATAL_ERROR "vcpkg_cmake_configure: MAYBE_UNUSED_VARIABLES ${arg_MAYBE_UNUSED_VARIABLES}: "
      "this port passes only options the project's CMake knows")
  endif()
  get_filename_component(source "${arg_SOURCE_PATH}" REALPATH)
  get_filename_component(expected "${root}" REALPATH)
  if(NOT source STREQUAL expected)
    message(FATAL_ERROR "vcpkg_cmake_configure: SOURCE_PATH is ${arg_SOURCE_PATH}, not the tree of the port")
  endif()
  foreach(config RELEASE DEBUG)
    string(TOLOWER ${config} name)
    set(options ${arg_OPTIONS} ${VCPKG_CMAKE_CONFIGURE_OPTIONS} ${arg_OPTIONS_${config}}
                ${VCPKG_CMAKE_CONFIGURE_OPTIONS_${config}})
    list(JOIN options "\n" text)
    file(WRITE "${OUT}/${name}.txt" "${text}\n")
  endforeach()
endfunction()

# What runs after the configure: the build, the install and their fixups, which need a build.
foreach(name vcpkg_check_linkage vcpkg_cmake_install vcpkg_copy_pdbs vcpkg_cmake_config_fixup
             vcpkg_fixup_pkgconfig vcpkg_copy_tools vcpkg_install_copyright)
  cmake_language(EVAL CODE "function(${name})\nendfunction()")
endforeach()

include("${CURRENT_PORT_DIR}/portfile.cmake")
if(NOT EXISTS "${OUT}/release.txt")
  message(FATAL_ERROR "portfile.cmake: no vcpkg_cmake_configure")
endif()
