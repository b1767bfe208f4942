# Packages of the installed tree (cpack -G ZIP for the Windows build).
if(WIN32)
  # The unpacked package runs gpenc.exe: log4cplus's DLL and, from MinGW, the
  # C++ runtime's go beside it.
  install(FILES $<TARGET_FILE:${GPENC_LOG4CPLUS}> DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(MINGW)
    foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
      execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                      OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(IS_ABSOLUTE "${path}")
        install(FILES ${path} DESTINATION ${CMAKE_INSTALL_BINDIR})
      endif()
    endforeach()
  endif()
endif()

set(CPACK_PACKAGE_NAME gpenc)
set(CPACK_PACKAGE_VENDOR gpenc)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Encoder of GP frames and JT/T 808 downlink messages")
set(CPACK_GENERATOR ZIP)
include(CPack)
