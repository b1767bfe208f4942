# Cross build for 32-bit Windows (x86) with Debian's MinGW-w64; test programs
# run under 32-bit wine (Debian's wine32).
set(GPENC_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
