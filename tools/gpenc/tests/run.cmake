# Runs the gpenc tool once and checks what it did: exit code, standard output
# (a golden file or a pattern) and standard error (a pattern; a single line
# whenever the input is refused).
#   TOOL, WORK_DIR, RC: the tool, a scratch directory, the exit code wanted
#   ARGS: the arguments, separated by "|"; @WORK@ stands for WORK_DIR
#   STDIN: text for standard input (none by default)
#   PRE: arguments of a run before, its standard output kept in @WORK@/pre.out
#   STDOUT_FILE: standard output must equal this file
#   STDOUT / STDERR: patterns the outputs must match
#   STDOUT_TO: "full" (standard output on /dev/full) or "closed"
#   STDERR_LINES: lines on stderr when the input is refused (1 by default)
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
  execute_process(COMMAND ${TOOL} ${pre} OUTPUT_FILE ${WORK_DIR}/pre.out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the run before failed (${rc}): ${pre}")
  endif()
endif()

set(stdin ${WORK_DIR}/stdin)
file(WRITE ${stdin} "${STDIN}")
arguments("${ARGS}" args)
if(STDOUT_TO STREQUAL "full")
  execute_process(COMMAND ${TOOL} ${args} INPUT_FILE ${stdin} RESULT_VARIABLE rc
                  OUTPUT_FILE /dev/full ERROR_VARIABLE err)
elseif(STDOUT_TO STREQUAL "closed")
  execute_process(COMMAND sh -c "exec \"$0\" \"$@\" >&-" ${TOOL} ${args} INPUT_FILE ${stdin} RESULT_VARIABLE rc
                  ERROR_VARIABLE err)
else()
  execute_process(COMMAND ${TOOL} ${args} INPUT_FILE ${stdin} RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
endif()

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
if(NOT DEFINED STDERR_LINES)
  set(STDERR_LINES 1)
endif()
string(REPEAT "gpenc: [^\n]+\n" ${STDERR_LINES} lines)
if(RC EQUAL 2 AND NOT err MATCHES "^${lines}$")
  message(FATAL_ERROR "refused input wants ${STDERR_LINES} line(s) \"gpenc: ...\" on stderr\n${report}")
endif()
