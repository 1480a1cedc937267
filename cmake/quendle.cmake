# quendle_library(<dir-name> [COMPONENT] [DEPS ...]): a static library from the .cpp files
# under <dir>/src. A COMPONENT is one of the suite's installed libraries: its
# headers are named by its folder, "<dir-name>/<header>" ("disasm/disassembler.h",
# "etrace/stream/et_writer.h"), in the tree as in an installed one, where they
# lie under include/quendle/<dir-name>/. In the tree a link
# <build>/include/<dir-name>/<dir-name> to <dir>/src stands for that folder, so
# the sources stay where they are and a target sees the headers of the
# libraries it links only. Any other library (a program's own) has <dir>/src
# as its include directory.
function(quendle_library name)
  cmake_parse_arguments(QL "COMPONENT" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp)
  add_library(${name} STATIC ${_srcs})
  if(QL_COMPONENT)
    set(_include ${CMAKE_BINARY_DIR}/include/${name})
    file(MAKE_DIRECTORY ${_include})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/src ${_include}/${name} SYMBOLIC)
    target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${_include}>
                                              $<INSTALL_INTERFACE:include/quendle>)
  else()
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/src)
  endif()
  target_compile_features(${name} PUBLIC cxx_std_17)
  target_link_libraries(${name} PUBLIC ${QL_DEPS})
endfunction()

# quendle_tests(<prefix> [DEPS ...] [PROGRAMS ...]): one GoogleTest executable per tests/*_test.cpp
# (named <prefix>_<file>), so a broken test file never hides the others; sources
# under tests/support/ form a helper library linked into each. Every case is
# registered with ctest. Tests find the built programs through QUENDLE_BIN_DIR
# and the source tree through QUENDLE_SOURCE_DIR. Nothing without QUENDLE_TESTS.
function(quendle_tests prefix)
  if(NOT QUENDLE_TESTS)
    return()
  endif()
  cmake_parse_arguments(QT "" "" "DEPS;PROGRAMS" ${ARGN})
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
  file(GLOB _support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/*.cpp)
  set(_support_lib "")
  if(_support)
    add_library(${prefix}_support STATIC ${_support})
    target_include_directories(${prefix}_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/tests)
    target_link_libraries(${prefix}_support PUBLIC ${QT_DEPS} GTest::gtest GTest::gmock)
    set(_support_lib ${prefix}_support)
  endif()
  foreach(_src ${_tests})
    get_filename_component(_stem ${_src} NAME_WE)
    set(_name ${prefix}_${_stem})
    add_executable(${_name} ${_src})
    set_target_properties(${_name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_include_directories(${_name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests)
    target_link_libraries(${_name} PRIVATE ${_support_lib} ${QT_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
    target_compile_definitions(${_name} PRIVATE
      QUENDLE_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
      QUENDLE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    if(QT_PROGRAMS)
      add_dependencies(${_name} ${QT_PROGRAMS})
    endif()
    gtest_discover_tests(${_name} DISCOVERY_TIMEOUT 60)
  endforeach()
endfunction()
