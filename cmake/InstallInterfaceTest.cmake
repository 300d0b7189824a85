# ctest script: installs the project into a private prefix, then configures,
# builds and tests every standalone project under examples/ against that
# installed package only (find_package(Kalo CONFIG) or pkg-config).
# Inputs: BIN (build dir), SRC (source dir), C_FLAGS, LINK_FLAGS.

set(prefix ${BIN}/_install_check)
file(REMOVE_RECURSE ${prefix})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BIN} --prefix ${prefix}
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed")
endif()
foreach(f include/kalo_toolkit/kalo_toolkit.hpp include/kalo_api/kalo_api.h lib/cmake/Kalo/KaloConfig.cmake
          lib/pkgconfig/kalo_api.pc)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "missing from the installed package: ${f}")
  endif()
endforeach()

file(GLOB projects RELATIVE ${SRC}/examples ${SRC}/examples/*/CMakeLists.txt)
list(SORT projects)
if(NOT projects)
  message(FATAL_ERROR "no example projects found")
endif()
foreach(p IN LISTS projects)
  get_filename_component(name ${p} DIRECTORY)
  set(out ${BIN}/_install_check_examples/${name})
  file(REMOVE_RECURSE ${out})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SRC}/examples/${name} -B ${out}
      -DCMAKE_PREFIX_PATH=${prefix} "-DCMAKE_C_FLAGS=${C_FLAGS}" "-DCMAKE_CXX_FLAGS=${C_FLAGS}"
      "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}"
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "configuring example ${name} against the installed package failed")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${out} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "building example ${name} against the installed package failed")
  endif()
  execute_process(COMMAND ${CMAKE_CTEST_COMMAND} --output-on-failure WORKING_DIRECTORY ${out} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "tests of example ${name} failed")
  endif()
endforeach()
