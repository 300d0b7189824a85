# Runs kalo-inspect once and checks what it did.
#   TOOL             the program
#   ARGS             its arguments, separated by '|'
#   EXPECT_RC        expected exit status
#   EXPECTED_STDOUT  file that standard output must equal byte for byte (optional)
#   STDOUT_REGEX     regular expression standard output must match (optional)
#   STDERR_REGEX     regular expression standard error must match (optional); when
#                    not given, standard error must be empty
#   PYTHON           when given, standard output must parse as JSON
string(REPLACE "|" ";" args "${ARGS}")
include(${CMAKE_CURRENT_LIST_DIR}/../run_tool_check.cmake)
kalo_run_tool_checked(kalo-inspect ${args})
if(DEFINED EXPECTED_STDOUT)
  file(READ ${EXPECTED_STDOUT} expected)
  if(NOT out STREQUAL expected)
    get_filename_component(name ${EXPECTED_STDOUT} NAME)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/actual_${name} "${out}")
    message(FATAL_ERROR "output differs from ${EXPECTED_STDOUT}; "
      "actual output written to ${CMAKE_CURRENT_BINARY_DIR}/actual_${name}")
  endif()
endif()
if(DEFINED PYTHON)
  string(RANDOM LENGTH 8 tag)
  set(json_file ${CMAKE_CURRENT_BINARY_DIR}/inspect_${tag}.json)
  file(WRITE ${json_file} "${out}")
  execute_process(COMMAND ${PYTHON} -c "import json,sys; json.load(open(sys.argv[1], encoding='utf-8'))"
    ${json_file} RESULT_VARIABLE json_rc ERROR_VARIABLE json_err)
  file(REMOVE ${json_file})
  if(NOT json_rc EQUAL 0)
    message(FATAL_ERROR "output is not valid JSON: ${json_err}\n${context}")
  endif()
endif()
