# One kalo-view command line: TOOL, ARGS ('|'-separated), EXPECT_RC and the
# regular expressions of its standard output and error; PAGE, when given, must
# hold each of the texts PAGE_HOLDS ('|'-separated).
include(${CMAKE_CURRENT_LIST_DIR}/../../run_tool_check.cmake)
string(REPLACE "|" ";" args "${ARGS}")
kalo_run_tool_checked(kalo-view ${args})
if(DEFINED PAGE)
  file(READ ${PAGE} page)
  string(REPLACE "|" ";" texts "${PAGE_HOLDS}")
  foreach(text IN LISTS texts)
    string(FIND "${page}" "${text}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${PAGE} does not hold ${text}")
    endif()
  endforeach()
endif()
