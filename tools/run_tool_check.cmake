# Shared by the command-line tools' test scripts: runs TOOL with the given
# arguments and checks what every such test checks.
#   EXPECT_RC     expected exit status
#   STDOUT_REGEX  regular expression standard output must match (optional)
#   STDERR_REGEX  regular expression standard error must match (optional); when
#                 not given, standard error must be empty
# Leaves the output in `out`, `err` and the text for failure messages in `context`.
macro(kalo_run_tool_checked label)
  execute_process(COMMAND ${TOOL} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE ";" " " _shown "${ARGN}")
  set(context "${label} ${_shown}\n--- stdout ---\n${out}\n--- stderr ---\n${err}")
  if(NOT rc STREQUAL "${EXPECT_RC}")
    message(FATAL_ERROR "exit status ${rc}, expected ${EXPECT_RC}\n${context}")
  endif()
  if(DEFINED STDOUT_REGEX AND NOT out MATCHES "${STDOUT_REGEX}")
    message(FATAL_ERROR "standard output does not match '${STDOUT_REGEX}'\n${context}")
  endif()
  if(DEFINED STDERR_REGEX)
    if(NOT err MATCHES "${STDERR_REGEX}")
      message(FATAL_ERROR "standard error does not match '${STDERR_REGEX}'\n${context}")
    endif()
  elseif(NOT err STREQUAL "")
    message(FATAL_ERROR "unexpected standard error\n${context}")
  endif()
endmacro()
