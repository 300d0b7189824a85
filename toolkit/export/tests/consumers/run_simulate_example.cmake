# Builds the simulate_mjcf example on its own, as a user would, and runs it on
# the robot arm exported to MJCF by kalo-export with its defaults: the servos
# must hold the home pose and bring the waist to its target; exported with
# --floor, the arm's free-floating camera must come to rest on the ground.
#   EXPORT   kalo-export    MODEL  the robot arm's multibody file
#   SRC      examples/simulate_mjcf    BIN  a folder for its build
file(MAKE_DIRECTORY ${BIN})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SRC} -B ${BIN}/build RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(rc EQUAL 0)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BIN}/build RESULT_VARIABLE rc OUTPUT_VARIABLE err ERROR_VARIABLE err)
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the example does not build: ${err}")
endif()

foreach(run plain floor)
  set(flag "")
  if(run STREQUAL floor)
    set(flag --floor)
  endif()
  execute_process(COMMAND ${EXPORT} --to mjcf ${flag} ${MODEL} ${BIN}/robot_arm_${run}.xml
    RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "kalo-export ${flag} failed (${rc}): ${err}")
  endif()
  execute_process(COMMAND ${BIN}/build/simulate_mjcf ${BIN}/robot_arm_${run}.xml 2 ${flag}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  # The waist is moved (first column), rows from 0 to 2 s, then the summary.
  if(NOT rc EQUAL 0 OR NOT err STREQUAL "" OR NOT out MATCHES "\n  \\[1\\] Base--Turret \\(hinge, rad\\)\n"
     OR NOT out MATCHES "\n  0\\.000 [^\n]*\n(  [01]\\.[0-9]00 [^\n]*\n)+  2\\.000 [^\n]*\n"
     OR NOT out MATCHES "Largest departure from the home pose before the move [^;]+; tracking error at the end [^\n]+\\.\n")
    message(FATAL_ERROR "simulate_mjcf ${flag}: status ${rc}\n${out}\n${err}")
  endif()
  string(REGEX MATCH "Largest departure from the home pose before the move ([0-9.e+-]+) [^;]*; tracking error at the end ([0-9.e+-]+)" _ "${out}")
  # Within 5 % of the 0.5 rad step, and every joint held within the sag the gains allow (0.01 rad, 1 mm).
  if(CMAKE_MATCH_1 GREATER 0.0101 OR CMAKE_MATCH_2 GREATER 0.025)
    message(FATAL_ERROR "simulate_mjcf ${flag}: hold error ${CMAKE_MATCH_1}, tracking error ${CMAKE_MATCH_2}\n${out}")
  endif()
  if(run STREQUAL floor AND NOT out MATCHES "Floating body [^:]+: height [^\n]*: at rest\\.\n")
    message(FATAL_ERROR "simulate_mjcf --floor: the floating body does not come to rest\n${out}")
  endif()
endforeach()
