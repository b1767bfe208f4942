# Installs the build into a scratch prefix, then builds and runs the consumer
# project against it, once through find_package and once through pkg-config;
# last, the installed gpenc tool runs the installed example requests.
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
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_RPATH=${prefix}/lib)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/consumer)

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
run(${CXX} -std=c++17 ${SOURCE_DIR}/consumer.cpp ${flags} -Wl,-rpath,${libdir} -o ${WORK_DIR}/consumer-pc)
run(${WORK_DIR}/consumer-pc)

run(${prefix}/bin/gpenc demo)
