# Installs the build into a scratch prefix, then builds and runs the consumer
# project against it, once through find_package and once through pkg-config;
# last, the installed gpenc tool runs the installed example requests. A cross
# build passes its TOOLCHAIN, the EMULATOR that runs its programs and the
# PREFIX_PATH ("|"-separated) where its dependencies are.
foreach(var BUILD_DIR SOURCE_DIR WORK_DIR CXX)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} not set")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
string(REPLACE "|" ":" prefixes "${prefix}|${PREFIX_PATH}")
set(ENV{CMAKE_PREFIX_PATH} "${prefixes}")
set(cross "")
set(exe "")
if(TOOLCHAIN)
  set(cross -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
  set(exe .exe)
  set(ENV{WINEPATH} "${prefix}/bin;$ENV{WINEPATH}")
endif()
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build ${cross}
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_RPATH=${prefix}/lib)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${EMULATOR} ${WORK_DIR}/build/consumer${exe})

file(GLOB_RECURSE pcfile ${prefix}/*/gpenc.pc)
get_filename_component(pcdir "${pcfile}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pcdir})
execute_process(COMMAND pkg-config --cflags --libs gpenc OUTPUT_VARIABLE flags RESULT_VARIABLE rc
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pkg-config does not know gpenc")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
get_filename_component(libdir "${pcfile}" DIRECTORY)
get_filename_component(libdir "${libdir}" DIRECTORY)
set(rpath -Wl,-rpath,${libdir})
if(TOOLCHAIN)
  set(rpath "")
endif()
run(${CXX} -std=c++17 ${SOURCE_DIR}/consumer.cpp ${flags} ${rpath} -o ${WORK_DIR}/consumer-pc${exe})
run(${EMULATOR} ${WORK_DIR}/consumer-pc${exe})

run(${EMULATOR} ${prefix}/bin/gpenc${exe} demo)
