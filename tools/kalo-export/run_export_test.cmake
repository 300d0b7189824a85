# Runs kalo-export once (twice with TWICE) and checks what it did.
#   TOOL         the program
#   ARGS         its arguments, separated by '|'; @OUT@ stands for OUT_FILE
#   EXPECT_RC    expected exit status
#   OUT_FILE     the file the run writes; removed first
#   FILE_REGEX   regular expression OUT_FILE must match (else OUT_FILE must not exist)
#   STDOUT_REGEX regular expression standard output must match (optional)
#   STDERR_REGEX regular expression standard error must match (else it must be empty)
#   JSON_FILE    a JSON report the run writes; with PYTHON it must parse and hold JSON_KEYS
#   TWICE        run again into a second file: both files must be byte-identical
string(REPLACE "|" ";" args "${ARGS}")
file(REMOVE ${OUT_FILE})
string(REPLACE "@OUT@" "${OUT_FILE}" run_args "${args}")
include(${CMAKE_CURRENT_LIST_DIR}/../run_tool_check.cmake)
kalo_run_tool_checked(kalo-export ${run_args})
if(DEFINED FILE_REGEX)
  if(NOT EXISTS ${OUT_FILE})
    message(FATAL_ERROR "${OUT_FILE} was not written\n${context}")
  endif()
  file(READ ${OUT_FILE} written)
  if(NOT written MATCHES "${FILE_REGEX}")
    message(FATAL_ERROR "${OUT_FILE} does not match '${FILE_REGEX}'\n${context}")
  endif()
elseif(DEFINED OUT_FILE AND EXISTS ${OUT_FILE})
  message(FATAL_ERROR "${OUT_FILE} was left behind by a failed run\n${context}")
endif()
if(TWICE)
  string(REPLACE "@OUT@" "${OUT_FILE}.again" again_args "${args}")
  execute_process(COMMAND ${TOOL} ${again_args} RESULT_VARIABLE rc2 OUTPUT_QUIET)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT_FILE} ${OUT_FILE}.again RESULT_VARIABLE same)
  file(REMOVE ${OUT_FILE}.again)
  if(NOT same EQUAL 0)
    message(FATAL_ERROR "two runs wrote different files\n${context}")
  endif()
endif()
if(DEFINED JSON_FILE AND DEFINED PYTHON)
  execute_process(COMMAND ${PYTHON} -c
    "import json,sys; d=json.load(open(sys.argv[1], encoding='utf-8')); missing=[k for k in sys.argv[2].split(',') if k not in d]; sys.exit('missing keys: %s' % missing if missing else 0)"
    ${JSON_FILE} "${JSON_KEYS}" RESULT_VARIABLE json_rc ERROR_VARIABLE json_err)
  if(NOT json_rc EQUAL 0)
    message(FATAL_ERROR "JSON report ${JSON_FILE} is not as expected: ${json_err}\n${context}")
  endif()
endif()
