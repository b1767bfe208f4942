# Packages of the installed tree, made by `cpack -G DEB` in the build
# directory: one Debian package with the libraries, headers, CMake and
# pkg-config files, the gpenc tool and its example requests.
set(CPACK_PACKAGE_NAME gpenc)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The gpenc developers")
set(CPACK_PACKAGE_CONTACT "The gpenc developers <gpenc@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Encoder of GP frames and JT/T 808 downlink messages, and the gpenc tool")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION})

# Debian: installed under /usr; the runtime dependencies are read from the
# binaries, and what a consumer compiles against is recommended.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "liblog4cplus-dev, g++, cmake | pkg-config")

include(CPack)
