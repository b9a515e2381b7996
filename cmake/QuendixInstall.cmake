# What `cmake --install` puts in place, and the files other projects use to
# find it: quendix.pc for pkg-config, quendixConfig.cmake for find_package.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QUENDIX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/quendix)

install(TARGETS quendix EXPORT quendixTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/quendix.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

if(TARGET quendix_cli)
  # The command finds the library next to it, wherever the tree is moved.
  file(RELATIVE_PATH QUENDIX_BIN_TO_LIB
    /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
  set_target_properties(quendix_cli PROPERTIES
    INSTALL_RPATH "$ORIGIN/${QUENDIX_BIN_TO_LIB}")
  install(TARGETS quendix_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/man/quendix.1
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/man/quendix.5
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man5)

# CMake package: find_package(quendix) gives quendix::quendix.
install(EXPORT quendixTargets NAMESPACE quendix:: DESTINATION ${QUENDIX_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/quendixConfig.cmake.in
  ${PROJECT_BINARY_DIR}/quendixConfig.cmake
  INSTALL_DESTINATION ${QUENDIX_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/quendixConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/quendixConfig.cmake
  ${PROJECT_BINARY_DIR}/quendixConfigVersion.cmake
  DESTINATION ${QUENDIX_CMAKE_DIR})

# pkg-config: the prefix is found from where quendix.pc lies, so an
# installed tree still works after `cmake --install --prefix` or a move.
function(quendix_pc_dir variable dir)
  if(IS_ABSOLUTE "${dir}")
    set(${variable} "${dir}" PARENT_SCOPE)
  else()
    set(${variable} "\${prefix}/${dir}" PARENT_SCOPE)
  endif()
endfunction()
file(RELATIVE_PATH QUENDIX_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" QUENDIX_PC_TO_PREFIX "${QUENDIX_PC_TO_PREFIX}")
quendix_pc_dir(QUENDIX_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
quendix_pc_dir(QUENDIX_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
# The name a linker is given: the library's own file name, which on Windows
# is QUENDIX (the import library QUENDIX.dll.a, found by -lQUENDIX).
get_target_property(QUENDIX_PC_LIBNAME quendix OUTPUT_NAME)
if(NOT QUENDIX_PC_LIBNAME)
  set(QUENDIX_PC_LIBNAME quendix)
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/quendix.pc.in
  ${PROJECT_BINARY_DIR}/quendix.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quendix.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
