# The framework's rules (afxwin.h), for the library's tests in host mode
# (tests/CMakeLists.txt): each test builds Rules.cpp breaking one rule, and
# passes when the build stops with the framework's words.
if(CMAKE_SCRIPT_MODE_FILE)  # a test: the build of TARGET in TREE fails, saying WORDS
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${TREE} --target ${TARGET}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(status EQUAL 0 OR NOT output MATCHES "${WORDS}")
    message(FATAL_ERROR "${TARGET}: the build was to fail with \"${WORDS}\":\n${output}")
  endif()
  return()
endif()

function(framework_rule name words)
  add_library(framework_rule_${name} OBJECT EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/Rules.cpp)
  target_compile_definitions(framework_rule_${name} PRIVATE ${ARGN})
  target_link_libraries(framework_rule_${name} PRIVATE ${GPENC_LOG4CPLUS})
  add_test(NAME framework_rule.${name} COMMAND ${CMAKE_COMMAND} -DTREE=${PROJECT_BINARY_DIR}
           -DTARGET=framework_rule_${name} "-DWORDS=${words}" -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE})
  set_tests_properties(framework_rule.${name} PROPERTIES RESOURCE_LOCK build_tree)  # one build at a time
endfunction()

set(needs_afxdll "requires MFC shared dll version. Please #define _AFXDLL")
set(windows_first "WINDOWS.H already included")
if(WIN32)
  # The DLL runtime defines _DLL itself: cl.exe for /MD, MinGW-w64's headers always.
  framework_rule(dll_without_afxdll "${needs_afxdll}")
  framework_rule(windows_h_first "${windows_first}" RULE_WINDOWS_FIRST _AFXDLL)
else()
  # No <windows.h> here: each name that one defines (MinGW-w64's, wine's) in its place.
  framework_rule(dll_without_afxdll "${needs_afxdll}" _DLL)
  framework_rule(windows_h_mingw "${windows_first}" _WINDOWS_ _AFXDLL)
  framework_rule(windows_h_wine "${windows_first}" _INC_WINDOWS _AFXDLL)
endif()
