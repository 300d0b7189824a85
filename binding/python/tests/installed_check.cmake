# ctest script: installs the project into a private prefix and runs
# installed_check.py with only that prefix's Python path, so that the module,
# its stubs and the libraries it loads must all come from the installation.
# Inputs: BIN, PREFIX, PYTHON_DIR (relative to PREFIX), PYTHON, CHECK, MODEL, ENV.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BIN} --prefix ${PREFIX} RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH PYTHONPATH=${PREFIX}/${PYTHON_DIR}
    PYTHONDONTWRITEBYTECODE=1 ${ENV} ${PYTHON} ${CHECK} ${PREFIX} ${MODEL}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the installed kaloimport module failed its check")
endif()
