# What `cmake --install` puts in place, and the files other projects use to
# find it: quendix.pc for pkg-config, quendixConfig.cmake for find_package.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QUENDIX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/quendix)
option(QUENDIX_DEBIAN_LAYOUT "Install as Debian's policy asks (the .deb package)" OFF)

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
  # Debian allows no search path of a package's own in its programs.
  if(NOT QUENDIX_DEBIAN_LAYOUT)
    set_target_properties(quendix_cli PROPERTIES
      INSTALL_RPATH "$ORIGIN/${QUENDIX_BIN_TO_LIB}")
  endif()
  install(TARGETS quendix_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Manual pages, gzipped (-n: no name or time inside) for Debian. Changing
# a page runs the configure step again, which remakes its .gz.
foreach(section 1 5)
  set(QUENDIX_MAN_PAGE ${PROJECT_SOURCE_DIR}/man/quendix.${section})
  if(section EQUAL 1 AND NOT TARGET quendix_cli)
    continue()
  endif()
  if(QUENDIX_DEBIAN_LAYOUT)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QUENDIX_MAN_PAGE})
    execute_process(COMMAND gzip -9nc ${QUENDIX_MAN_PAGE}
      OUTPUT_FILE ${PROJECT_BINARY_DIR}/quendix.${section}.gz COMMAND_ERROR_IS_FATAL ANY)
    set(QUENDIX_MAN_PAGE ${PROJECT_BINARY_DIR}/quendix.${section}.gz)
  endif()
  install(FILES ${QUENDIX_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

# What a user reads first; on Windows beside the programs, at the top of
# the archive.
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/NOTICE DESTINATION .)
  # The export table a host's own import library can be made from.
  install(FILES ${PROJECT_SOURCE_DIR}/module/quendix.def DESTINATION ${CMAKE_INSTALL_LIBDIR})
else()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/NOTICE
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

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
