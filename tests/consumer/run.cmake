# A consumer as a user would write it: the README's minimal program, built
# against an installed gpenc with the README's CMake lines and with its
# pkg-config line, each run without LD_LIBRARY_PATH; then a program of the
# inspector (the component "inspect"), and the installed tool's demo.
#   README, WORK_DIR: the README, a scratch directory
#   BUILD_DIR: a build to install into WORK_DIR/prefix first; without it, the
#              gpenc installed on the system (the Debian package) is used
#   CXX: the compiler (default c++)
foreach(var README WORK_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} not set")
  endif()
endforeach()
if(NOT DEFINED CXX)
  set(CXX c++)
endif()

function(run)
  cmake_parse_arguments(PARSE_ARGV 0 r "" "WORKING_DIRECTORY;EXPECT" "COMMAND")
  if(NOT DEFINED r_WORKING_DIRECTORY)
    set(r_WORKING_DIRECTORY ${WORK_DIR})
  endif()
  execute_process(COMMAND ${r_COMMAND} WORKING_DIRECTORY ${r_WORKING_DIRECTORY}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${r_COMMAND}\n${out}\n${err}")
  endif()
  if(DEFINED r_EXPECT AND NOT (out STREQUAL r_EXPECT AND err STREQUAL ""))
    message(FATAL_ERROR "${r_COMMAND}: wanted \"${r_EXPECT}\" and no error output\n--- stdout\n${out}\n--- stderr\n${err}")
  endif()
endfunction()

# The text of the code block after the line "<!-- consumer: NAME -->".
file(READ ${README} readme)
function(snippet name out)
  string(FIND "${readme}" "<!-- consumer: ${name} -->" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the README has no snippet \"${name}\"")
  endif()
  string(SUBSTRING "${readme}" ${at} -1 rest)
  string(REGEX MATCH "```[a-z]*\n(.*)" rest "${rest}")
  string(FIND "${CMAKE_MATCH_1}" "```" end)
  string(SUBSTRING "${CMAKE_MATCH_1}" 0 ${end} text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(prefix /usr)
if(DEFINED BUILD_DIR)
  set(prefix ${WORK_DIR}/prefix)
  run(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
endif()
file(GLOB pcfile ${prefix}/lib*/pkgconfig/gpenc.pc ${prefix}/lib*/*/pkgconfig/gpenc.pc)
get_filename_component(pcdir "${pcfile}" DIRECTORY)
get_filename_component(libdir "${pcdir}" DIRECTORY)

# CommonData(2) with the session id all zero.
set(frame "4750001a0001000000000000000000000000000000000002000000000000\n")

set(app ${WORK_DIR}/app)
snippet(main.cpp main)
snippet(CMakeLists.txt lists)
snippet(pkg-config command)
file(WRITE ${app}/main.cpp "${main}")
file(WRITE ${app}/CMakeLists.txt "${lists}")
run(COMMAND ${CMAKE_COMMAND} -S ${app} -B ${app}/build -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX})
run(COMMAND ${CMAKE_COMMAND} --build ${app}/build)
run(COMMAND ${app}/build/app EXPECT "${frame}")

# The scratch prefix is no directory the loader searches: the program's own
# run path finds libgpenc there, and libgpenc's finds libgpenc_host.
string(STRIP "${command}" command)
string(REPLACE "g++" "${CXX}" command "${command}")
if(NOT prefix STREQUAL "/usr")
  string(APPEND command " -Wl,-rpath,${libdir}")
endif()
set(ENV{PKG_CONFIG_PATH} ${pcdir})
run(COMMAND sh -c "${command}" WORKING_DIRECTORY ${app})
run(COMMAND ${app}/app EXPECT "${frame}")

# The inspector reads the frame back.
set(inspect ${WORK_DIR}/inspect)
file(WRITE ${inspect}/main.cpp [[
#include <gpenc/Inspect.h>
#include <cstdio>
int main() {
    const auto dump = gpenc::inspect::DecodeFrames(gpenc::inspect::ParseHex("4750001a0001" "00000000000000000000000000000000" "0002000000000000").value);
    std::printf("%zu %d\n", dump.frames.size(), dump.Clean());
}
]])
file(WRITE ${inspect}/CMakeLists.txt [[
cmake_minimum_required(VERSION 3.20)
project(inspect LANGUAGES CXX)
find_package(gpenc 1.1 CONFIG REQUIRED COMPONENTS inspect)
add_executable(inspect main.cpp)
target_link_libraries(inspect PRIVATE gpenc::inspect)
]])
run(COMMAND ${CMAKE_COMMAND} -S ${inspect} -B ${inspect}/build -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX})
run(COMMAND ${CMAKE_COMMAND} --build ${inspect}/build)
run(COMMAND ${inspect}/build/inspect EXPECT "1 1\n")

run(COMMAND ${prefix}/bin/gpenc demo)
