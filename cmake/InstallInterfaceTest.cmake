# ctest script: installs the project into a private prefix (not the one it
# was configured with), then configures, builds and tests every standalone
# project under examples/ against that installed package only
# (find_package(Kalo CONFIG)), and builds and runs the example C plug-in
# through pkg-config alone.
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

# pkg-config: the .pc files must lead into this prefix, whatever prefix the build was configured with.
find_program(PKG_CONFIG NAMES pkg-config pkgconf)
find_program(C_COMPILER NAMES cc gcc clang)
if(NOT PKG_CONFIG OR NOT C_COMPILER)
  message(FATAL_ERROR "pkg-config and a C compiler are needed for the pkg-config consumer")
endif()
set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
function(pc_query out)
  execute_process(COMMAND ${PKG_CONFIG} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE text
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config ${ARGN} failed")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
foreach(lib kalo_toolkit kalo_api kalo_csts2connections)
  foreach(var includedir libdir)
    pc_query(dir --variable=${var} ${lib})
    file(REAL_PATH "${dir}" dir)
    string(FIND "${dir}/" "${prefix}/" at)
    if(NOT at EQUAL 0)
      message(FATAL_ERROR "${lib}.pc: ${var} ${dir} lies outside the installed prefix ${prefix}")
    endif()
  endforeach()
endforeach()
pc_query(pc_flags --cflags --libs kalo_api)
pc_query(pc_libdir --variable=libdir kalo_api)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
separate_arguments(extra_c UNIX_COMMAND "${C_FLAGS}")
separate_arguments(extra_link UNIX_COMMAND "${LINK_FLAGS}")
set(out ${BIN}/_install_check_examples/pkg_config_consumer)
file(REMOVE_RECURSE ${out})
file(MAKE_DIRECTORY ${out})
execute_process(COMMAND ${C_COMPILER} -std=c99 -Wall -Wextra ${extra_c} ${SRC}/examples/build_assembly/build_assembly.c
    -o ${out}/build_assembly ${pc_flags} -Wl,-rpath,${pc_libdir} ${extra_link}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building the example plug-in through pkg-config failed")
endif()
execute_process(COMMAND ${out}/build_assembly RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the example plug-in built through pkg-config failed (${rc})")
endif()
