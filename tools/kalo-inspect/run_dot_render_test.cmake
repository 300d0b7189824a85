# Renders kalo-inspect's DOT output with Graphviz: both programs must succeed
# without a word on standard error, and the result must be an SVG picture.
#   TOOL  kalo-inspect    DOT  Graphviz's dot    FILE  the multibody file
execute_process(COMMAND ${TOOL} --dot ${FILE} COMMAND ${DOT} -Tsvg
  RESULTS_VARIABLE rcs OUTPUT_VARIABLE svg ERROR_VARIABLE err)
if(NOT rcs STREQUAL "0;0" OR NOT err STREQUAL "" OR NOT svg MATCHES "<svg")
  message(FATAL_ERROR "kalo-inspect --dot ${FILE} | dot -Tsvg: status ${rcs}\n${err}\n${svg}")
endif()
