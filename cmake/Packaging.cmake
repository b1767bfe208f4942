# Packages of the installed tree, made by cpack in the build directory: a
# Debian package (`cpack -G DEB`) with the libraries, headers, CMake and
# pkg-config files, the gpenc tool and its example requests; for the Windows
# build a ZIP (`cpack -G ZIP`) that also carries the DLLs gpenc.exe needs.
if(WIN32)
  # The unpacked package runs gpenc.exe: log4cplus's DLL and, from MinGW, the
  # C++ runtime's go beside it (its libgcc is libgcc_s_seh-1 in 64-bit builds,
  # libgcc_s_dw2-1 in 32-bit ones; the compiler has only its own).
  get_target_property(type ${GPENC_LOG4CPLUS} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    install(FILES $<TARGET_FILE:${GPENC_LOG4CPLUS}> DESTINATION ${CMAKE_INSTALL_BINDIR})
  else()
    message(STATUS "gpenc: log4cplus's DLL is not known (GPENC_LOG4CPLUS_DLL): the ZIP package leaves it out")
  endif()
  if(MINGW)
    foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
      execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                      OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(IS_ABSOLUTE "${path}")
        # Debian's MinGW runtime keeps its debug sections (libstdc++ 23 MB, 4 MB
        # without them): the package carries copies without.
        set(copy ${CMAKE_BINARY_DIR}/runtime/${dll})
        file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/runtime)
        execute_process(COMMAND ${CMAKE_STRIP} --strip-debug -o ${copy} ${path} RESULT_VARIABLE stripped)
        if(NOT stripped EQUAL 0)
          configure_file(${path} ${copy} COPYONLY)
        endif()
        install(FILES ${copy} DESTINATION ${CMAKE_INSTALL_BINDIR})
      endif()
    endforeach()
  endif()
endif()

set(CPACK_PACKAGE_NAME gpenc)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The gpenc developers")
set(CPACK_PACKAGE_CONTACT "The gpenc developers <gpenc@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Encoder of GP frames and JT/T 808 downlink messages, and the gpenc tool")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION})

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  # The 64-bit and the 32-bit package apart: gpenc-<version>-win64.zip, -win32.zip.
  math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
  string(APPEND CPACK_PACKAGE_FILE_NAME -win${bits})
else()
  # Debian: installed under /usr; the runtime dependencies are read from the
  # binaries, and what a consumer compiles against is recommended.
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "liblog4cplus-dev, g++, cmake | pkg-config")
endif()

include(CPack)
