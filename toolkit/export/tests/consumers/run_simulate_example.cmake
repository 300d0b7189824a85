# Builds the simulate_mjcf example on its own, as a user would, and runs it on
# the robot arm exported to MJCF by kalo-export: it must load the model and
# print a table of joint positions over one second.
#   EXPORT   kalo-export    MODEL  the robot arm's multibody file
#   SRC      examples/simulate_mjcf    BIN  a folder for its build
file(MAKE_DIRECTORY ${BIN})
execute_process(COMMAND ${EXPORT} --to mjcf ${MODEL} ${BIN}/robot_arm.mjcf.xml RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kalo-export failed (${rc}): ${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SRC} -B ${BIN}/build RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(rc EQUAL 0)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BIN}/build RESULT_VARIABLE rc OUTPUT_VARIABLE err ERROR_VARIABLE err)
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the example does not build: ${err}")
endif()
execute_process(COMMAND ${BIN}/build/simulate_mjcf ${BIN}/robot_arm.mjcf.xml RESULT_VARIABLE rc OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
# The waist named as the first column, then rows from 0 to 1 s.
if(NOT rc EQUAL 0 OR NOT err STREQUAL "" OR NOT out MATCHES "\n  \\[1\\] Base--Turret \\(hinge, rad\\)\n"
   OR NOT out MATCHES "\n  0\\.000 [^\n]*\n(  0\\.[1-9]00 [^\n]*\n)+  1\\.000 [^\n]*\n$")
  message(FATAL_ERROR "simulate_mjcf: status ${rc}\n${out}\n${err}")
endif()
