# A consumer as a user would write it: the README's minimal program, built
# against an installed gpenc with the README's CMake lines (and, beside it, a
# program of the inspector, component "inspect") and with its pkg-config lines
# (with BUILD_DIR, those of a --prefix install), run without LD_LIBRARY_PATH; then the tool.
#   README, WORK_DIR: the README, a scratch directory
#   BUILD_DIR: a build to install into WORK_DIR/prefix first; without it, the
#              gpenc installed on the system (the Debian package) is used
#   CONFIG: the configuration of BUILD_DIR to install; a Debug one has gpencd.pc
#              in place of gpenc.pc
#   CXX: the compiler (default c++)
#   TOOLCHAIN, EMULATOR, PREFIX_PATH: of a cross build, its toolchain file, what
#              runs its programs (wine, with its arguments) and where its dependencies
#              are (both "|"-separated)
if(NOT README OR NOT WORK_DIR)
  message(FATAL_ERROR "README and WORK_DIR must be set")
endif()
if(NOT CXX)
  set(CXX c++)
endif()

function(run)
  cmake_parse_arguments(PARSE_ARGV 0 r "" "EXPECT" "COMMAND")
  execute_process(COMMAND ${r_COMMAND} WORKING_DIRECTORY ${WORK_DIR}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r\n" "\n" out "${out}")  # a Windows program's text-mode output
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${r_COMMAND}\n${out}\n${err}")
  endif()
  if(DEFINED r_EXPECT AND NOT (out STREQUAL r_EXPECT AND err STREQUAL ""))
    message(FATAL_ERROR "${r_COMMAND}: wanted \"${r_EXPECT}\" and no error output\n--- stdout\n${out}\n--- stderr\n${err}")
  endif()
endfunction()

# The text of the code block that follows the line "<!-- consumer: NAME -->".
file(READ ${README} readme)
function(snippet name out)
  if(NOT readme MATCHES "<!-- consumer: ${name} -->\n```[a-z]*\n([^`]*)```")
    message(FATAL_ERROR "the README has no snippet \"${name}\"")
  endif()
  set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(prefix /usr)
if(BUILD_DIR)
  set(prefix ${WORK_DIR}/prefix)
  set(config "")
  if(CONFIG)
    set(config --config ${CONFIG})
  endif()
  run(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} ${config} --prefix ${prefix})
endif()
string(REPLACE "|" ";" prefixes "${prefix}|${PREFIX_PATH}")
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
if(TOOLCHAIN)
  set(cross -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
  set(exe .exe)
  set(ENV{WINEPATH} "${prefix}/bin;$ENV{WINEPATH}")
endif()

# CommonData(2) with the session id all zero, which the inspector reads back as one clean frame.
set(frame "4750001a0001000000000000000000000000000000000002000000000000\n")
set(app ${WORK_DIR}/app)
snippet(main.cpp main)
snippet(CMakeLists.txt lists)
if(BUILD_DIR)
  snippet("pkg-config --prefix" command)
  string(REPLACE "DIR" "${prefix}" command "${command}")
  if(CONFIG STREQUAL "Debug")
    string(REPLACE "--libs gpenc)" "--libs gpencd)" command "${command}")
  endif()
else()
  snippet(pkg-config command)
endif()
file(WRITE ${app}/main.cpp "${main}")
file(WRITE ${app}/inspect.cpp [[
#include <gpenc/Inspect.h>
#include <cstdio>
int main() {
    const auto dump = gpenc::inspect::DecodeFrames(gpenc::inspect::ParseHex("4750001a0001" "00000000000000000000000000000000" "0002000000000000").value);
    std::printf("%d %d\n", static_cast<int>(dump.frames.size()), dump.Clean());
}
]])
file(WRITE ${app}/CMakeLists.txt "${lists}" [[
find_package(gpenc 1.1 CONFIG REQUIRED COMPONENTS inspect)
add_executable(inspect inspect.cpp)
target_link_libraries(inspect PRIVATE gpenc::inspect)
]])
# C++14, as MSVC's default: gpenc::inspect asks for C++17 itself. Then a misspelt component.
# The prefixes stay one argument when the list is expanded.
string(REPLACE ";" "\\;" prefix_arg "${prefixes}")
set(configure -DCMAKE_CXX_STANDARD=14 "-DCMAKE_PREFIX_PATH=${prefix_arg}" -DCMAKE_CXX_COMPILER=${CXX} ${cross})
run(COMMAND ${CMAKE_COMMAND} -S ${app} -B ${app}/build ${configure})
run(COMMAND ${CMAKE_COMMAND} --build ${app}/build)
run(COMMAND ${EMULATOR} ${app}/build/app${exe} EXPECT "${frame}")
run(COMMAND ${EMULATOR} ${app}/build/inspect${exe} EXPECT "1 1\n")
file(WRITE ${WORK_DIR}/misspelt/CMakeLists.txt "project(m CXX)\nfind_package(gpenc CONFIG REQUIRED COMPONENTS inpsect)\n")
execute_process(COMMAND ${CMAKE_COMMAND} -S ${WORK_DIR}/misspelt -B ${WORK_DIR}/misspelt/build ${configure} ERROR_VARIABLE err OUTPUT_QUIET)
if(NOT err MATCHES "unknown component \"inpsect\"; the components are: inspect")
  message(FATAL_ERROR "a misspelt component:\n${err}")
endif()

# The scratch prefix is no directory the loader searches: the README's run
# path finds libgpenc there, and libgpenc's finds libgpenc_host.
string(REPLACE "g++" "${CXX}" command "${command}")
string(REPLACE "-o app" "-o app${exe}" command "${command}")
run(COMMAND sh -ec "cd '${app}'\n${command}")
run(COMMAND ${EMULATOR} ${app}/app${exe} EXPECT "${frame}")

run(COMMAND ${EMULATOR} ${prefix}/bin/gpenc${exe} demo)
