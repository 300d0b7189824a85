# One kalo-view command line: TOOL, ARGS ('|'-separated), EXPECT_RC and the
# regular expressions of its standard output and error.
include(${CMAKE_CURRENT_LIST_DIR}/../../run_tool_check.cmake)
string(REPLACE "|" ";" args "${ARGS}")
kalo_run_tool_checked(kalo-view ${args})
