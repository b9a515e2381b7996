# Packages made by CPack from the install rules (scripts/package.sh):
# `cpack -G DEB` on Debian and Ubuntu, `cpack -G ZIP` in the MinGW build.
# The Debian layout (QUENDIX_DEBIAN_LAYOUT, with the prefix /usr) adds what
# Debian's policy asks of a package: compressed manual pages, the copyright
# file and a changelog, and no run-time search path.

set(CPACK_PACKAGE_NAME quendix)
set(CPACK_PACKAGE_VENDOR Quendix)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converts RSS 2.0 feeds into fixed-width record files")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quendix maintainers <maintainers@quendix.example.org>"
  CACHE STRING "Maintainer named in the packages")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build.*/")

# Debian package.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debian's long description: CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The quendix command turns a saved RSS 2.0 feed into a flat file of
fixed-width UTF-16LE records, one per news item: title, date, summary and
link. It converts many feeds in one call, explains what became of each
item, decodes the legacy encodings of the Encoding Standard and shows
record files as text or JSON Lines.

The library libquendix does the same conversion for C and C++ programs,
with the header quendix.h, a pkg-config file and CMake package files.")
# The shlibs file tells packages built against the library what to depend
# on; the trigger has ldconfig run once dpkg is done (CPack's own scripts
# also call it, which lintian warns of).
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
if(QUENDIX_DEBIAN_LAYOUT)
  include(cmake/QuendixDebianDocs.cmake)
endif()

# Windows archive: quendix-VERSION-win64.zip.
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR DEB)
endif()

include(CPack)
