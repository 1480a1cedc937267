# What `cmake --install` puts under the prefix: the three programs in bin/,
# the libraries a user's program links in lib/ with their headers in a folder
# per library under include/quendle/ (included as in the tree:
# "etrace/stream/et_writer.h", "disasm/disassembler.h"), the CMake
# package (find_package(quendle): quendle::etrace, quendle::disasm,
# quendle::logger, quendle::xcfg) and quendle.pc for pkg-config.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS quendle quendle_diff quendle_dump RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(_quendle_libraries logger xcfg disasm etrace)
foreach(_lib ${_quendle_libraries})
  # Installed beside other packages' libraries: the names carry the project's.
  set_target_properties(${_lib} PROPERTIES OUTPUT_NAME quendle_${_lib})
  # The disassembler's table building blocks are its own business.
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/${_lib}/src/
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quendle/${_lib}
          FILES_MATCHING PATTERN "*.h" PATTERN tables EXCLUDE)
endforeach()
install(TARGETS ${_quendle_libraries} EXPORT quendleTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

set(_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/quendle)
install(EXPORT quendleTargets NAMESPACE quendle:: DESTINATION ${_cmake_dir})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/quendleConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/quendleConfig.cmake INSTALL_DESTINATION ${_cmake_dir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/quendleConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/quendleConfig.cmake ${CMAKE_BINARY_DIR}/quendleConfigVersion.cmake
        DESTINATION ${_cmake_dir})

# The prefix is found from the file's own place, so the tree can be moved
# and installed with `cmake --install --prefix`.
file(RELATIVE_PATH _pc_to_prefix /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" _pc_to_prefix "${_pc_to_prefix}")
configure_file(${CMAKE_SOURCE_DIR}/cmake/quendle.pc.in ${CMAKE_BINARY_DIR}/quendle.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/quendle.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
