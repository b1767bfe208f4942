# Runs the gpenc tool once and checks what it did: exit code, standard output
# (a golden file or a pattern) and standard error (a pattern; a single line
# whenever the input is refused).
#   TOOL, WORK_DIR, RC: the tool, a scratch directory, the exit code wanted
#   EMULATOR: what runs the tool in a cross build (wine), empty otherwise
#   ARGS: the arguments, separated by "|"; @WORK@ stands for WORK_DIR
#   STDIN: text for standard input (none by default)
#   PRE: arguments of a run before, its standard output kept in @WORK@/pre.out
#   STDOUT_FILE: standard output must equal this file
#   STDOUT / STDERR: patterns the outputs must match
foreach(var TOOL WORK_DIR RC ARGS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} not set")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

function(arguments text out)
  string(REPLACE "@WORK@" "${WORK_DIR}" text "${text}")
  string(REPLACE "|" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(DEFINED PRE)
  arguments("${PRE}" pre)
  execute_process(COMMAND ${EMULATOR} ${TOOL} ${pre} OUTPUT_FILE ${WORK_DIR}/pre.out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the run before failed (${rc}): ${pre}")
  endif()
endif()

set(stdin ${WORK_DIR}/stdin)
file(WRITE ${stdin} "${STDIN}")
arguments("${ARGS}" args)
execute_process(COMMAND ${EMULATOR} ${TOOL} ${args} INPUT_FILE ${stdin} RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)

set(report "gpenc ${args}\nexit code ${rc}\n--- stdout\n${out}\n--- stderr\n${err}")
if(NOT rc EQUAL RC)
  message(FATAL_ERROR "wanted exit code ${RC}\n${report}")
endif()
if(DEFINED STDOUT_FILE)
  file(READ ${STDOUT_FILE} golden)
  if(NOT out STREQUAL golden)
    file(WRITE ${WORK_DIR}/stdout "${out}")
    message(FATAL_ERROR "stdout differs from ${STDOUT_FILE} (see ${WORK_DIR}/stdout)\n${report}")
  endif()
endif()
if(DEFINED STDOUT AND NOT out MATCHES "${STDOUT}")
  message(FATAL_ERROR "stdout does not match \"${STDOUT}\"\n${report}")
endif()
if(DEFINED STDERR AND NOT err MATCHES "${STDERR}")
  message(FATAL_ERROR "stderr does not match \"${STDERR}\"\n${report}")
endif()
if(RC EQUAL 2 AND NOT err MATCHES "^gpenc: [^\n]+\n$")
  message(FATAL_ERROR "refused input wants one line \"gpenc: ...\" on stderr\n${report}")
endif()
