# vcpkg overlay port of gpenc: builds the source tree this folder is part of
# (ports/gpenc/../..), so a checkout is its own port: vcpkg install gpenc
# --overlay-ports=<tree>/ports. vcpkg does not hash that tree into the package's
# ABI: after the tree changes, remove the installed gpenc before installing again.
#
# The host mode (feature "host") takes the host's header and libraries from
# the triplet, where each client sets them once (usage shows the lines):
#   GPENC_HOST_HEADER       the host's header (an absolute path)
#   GPENC_HOST_LIBRARIES    what the library links for it (a list)
#   GPENC_HOST_DEFINITIONS  optional: the framework's definitions (default _AFXDLL, and _AFXEXT)
# .ci/vcpkg-port.sh runs this file's configure options through the project's CMake.
vcpkg_check_linkage(ONLY_DYNAMIC_LIBRARY)  # gpenc is a DLL whatever BUILD_SHARED_LIBS says

get_filename_component(SOURCE_PATH "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
if(NOT EXISTS "${SOURCE_PATH}/src/core/HostSeam.h")
  message(FATAL_ERROR "gpenc: the port builds the tree it is part of, and ${SOURCE_PATH} is not gpenc's: "
    "point --overlay-ports at the ports/ folder of a gpenc checkout")
endif()

set(host_names GPENC_HOST_HEADER GPENC_HOST_LIBRARIES GPENC_HOST_DEFINITIONS)
set(host_options "")
if("host" IN_LIST FEATURES)
  # The tool sets session ids through the bundled stand-ins, which the host mode replaces.
  if("tool" IN_LIST FEATURES)
    message(FATAL_ERROR "gpenc: the features host and tool exclude each other: the tool runs on the bundled "
      "stand-ins, which host replaces. Install gpenc[host] for the client, and the tool from a build without host.")
  endif()
  if(NOT GPENC_HOST_HEADER OR NOT IS_ABSOLUTE "${GPENC_HOST_HEADER}")
    message(FATAL_ERROR "gpenc[host]: the triplet names no host header. Add to the triplet:\n"
      "  if(PORT STREQUAL \"gpenc\")\n"
      "    set(GPENC_HOST_HEADER \"C:/client/include/gpenc_host.h\")\n"
      "    set(GPENC_HOST_LIBRARIES \"C:/client/lib/VadroBase.lib;C:/client/lib/Log.lib\")\n"
      "  endif()\n(an absolute path; ports/gpenc/usage)")
  endif()
  # As an initial cache, not as -D options: GPENC_HOST_LIBRARIES is a list, and
  # a ";" inside an option does not survive vcpkg's configure command line.
  set(host_cache "${CURRENT_BUILDTREES_DIR}/gpenc-host-${TARGET_TRIPLET}.cmake")
  file(WRITE "${host_cache}" "# The host of gpenc[host], from the triplet ${TARGET_TRIPLET}\n")
  foreach(name IN LISTS host_names)
    if(DEFINED ${name})
      file(APPEND "${host_cache}" "set(${name} [==[${${name}}]==] CACHE STRING \"\")\n")
    endif()
  endforeach()
  set(host_options "-C${host_cache}")
else()
  foreach(name IN LISTS host_names)
    if(DEFINED ${name})
      message(FATAL_ERROR "gpenc: the triplet sets ${name}, but the feature host is not asked for: "
        "install gpenc[host], or the library would be built against the bundled stand-ins")
    endif()
  endforeach()
endif()

vcpkg_check_features(OUT_FEATURE_OPTIONS FEATURE_OPTIONS
  FEATURES
    extension-module GPENC_EXTENSION_MODULE
    inspector        GPENC_BUILD_INSPECTOR
    tool             GPENC_BUILD_TOOL
)

# Every part named ON or OFF, never AUTO: what is built follows the features
# asked for, not what else happens to be installed. GPENC_UNICODE=ON stops the
# configure unless log4cplus is its wide build, log4cplus[unicode].
# NO_CHARSET_FLAG: gpenc's files are ASCII and need no /utf-8 (docs/host.md).
vcpkg_cmake_configure(
  SOURCE_PATH "${SOURCE_PATH}"
  NO_CHARSET_FLAG
  OPTIONS
    ${FEATURE_OPTIONS}
    ${host_options}
    -DGPENC_UNICODE=ON
    -DGPENC_BUILD_TESTS=OFF
    -DGPENC_BUILD_EXAMPLES=OFF
    -DGPENC_BUILD_BENCHMARKS=OFF
)
vcpkg_cmake_install()
vcpkg_copy_pdbs()
vcpkg_cmake_config_fixup(CONFIG_PATH lib/cmake/gpenc)
vcpkg_fixup_pkgconfig()
if("tool" IN_LIST FEATURES)
  vcpkg_copy_tools(TOOL_NAMES gpenc AUTO_CLEAN)
endif()

file(REMOVE_RECURSE "${CURRENT_PACKAGES_DIR}/debug/include" "${CURRENT_PACKAGES_DIR}/debug/share")
# The project installs its license as share/doc/gpenc/copyright; vcpkg's place is share/gpenc.
file(REMOVE_RECURSE "${CURRENT_PACKAGES_DIR}/share/doc")
file(INSTALL "${CMAKE_CURRENT_LIST_DIR}/usage" DESTINATION "${CURRENT_PACKAGES_DIR}/share/${PORT}")
vcpkg_install_copyright(FILE_LIST "${SOURCE_PATH}/LICENSE")
