# Shared helpers for the kalo libraries.

# kalo_install_library(<target> <pc-description> <pc-requires>)
# Installs a shared library into the KaloTargets export set and writes its .pc file.
function(kalo_install_library target description requires)
  # Imported as kalo::<name without the kalo_ prefix>; installed libraries find
  # each other next to themselves.
  string(REGEX REPLACE "^kalo_" "" _export_name ${target})
  set_target_properties(${target} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    EXPORT_NAME ${_export_name}
    INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${target} EXPORT KaloTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  # The .pc file finds the prefix relative to its own folder (lib/pkgconfig -> ../..), not from the
  # configure-time CMAKE_INSTALL_PREFIX, which an install with --prefix elsewhere would contradict.
  if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
    message(FATAL_ERROR "kalo_install_library: CMAKE_INSTALL_LIBDIR must be relative for a relocatable package")
  endif()
  file(RELATIVE_PATH KALO_PC_PREFIX_FROM_PCDIR "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
  string(REGEX REPLACE "/$" "" KALO_PC_PREFIX_FROM_PCDIR "${KALO_PC_PREFIX_FROM_PCDIR}")
  set(KALO_PC_NAME ${target})
  set(KALO_PC_DESCRIPTION "${description}")
  set(KALO_PC_REQUIRES "${requires}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/kalo.pc.in
    ${CMAKE_CURRENT_BINARY_DIR}/${target}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()

# kalo_add_gtest(<name> SOURCES <files...> LIBS <targets...>)
# One test executable, registered with ctest through gtest_discover_tests.
function(kalo_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT KALO_BUILD_TESTS OR NOT ARG_SOURCES)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    KALO_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/testdata")
  # Scratch files go below this build's folder (GoogleTest's TempDir() reads
  # TEST_TMPDIR), so two builds tested at once never share a file.
  set(_tmp ${CMAKE_BINARY_DIR}/Testing/tmp)
  file(MAKE_DIRECTORY ${_tmp})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "KALO_TEST_DATA_DIR=${PROJECT_SOURCE_DIR}/testdata"
    ENVIRONMENT_MODIFICATION "TEST_TMPDIR=set:${_tmp}/")
endfunction()

# kalo_add_child_projects()
# Adds every sub-folder of the current folder that has a CMakeLists.txt, in
# name order (one program, library or group of them each).
function(kalo_add_child_projects)
  file(GLOB _children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _children)
  foreach(child IN LISTS _children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
