# The two files Debian asks of every package in /usr/share/doc/quendix: the
# copyright file (the project's notices, from NOTICE) and the changelog,
# gzipped without name or time inside. The package is native (made by the
# project itself), so the changelog is changelog.gz.
set(QUENDIX_DEBIAN_DIR ${PROJECT_BINARY_DIR}/debian)
string(TIMESTAMP QUENDIX_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in
  ${QUENDIX_DEBIAN_DIR}/copyright @ONLY)
file(READ ${PROJECT_SOURCE_DIR}/NOTICE QUENDIX_NOTICE_TEXT)
file(APPEND ${QUENDIX_DEBIAN_DIR}/copyright "${QUENDIX_NOTICE_TEXT}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in
  ${QUENDIX_DEBIAN_DIR}/changelog @ONLY)
execute_process(COMMAND gzip -9nf ${QUENDIX_DEBIAN_DIR}/changelog COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${QUENDIX_DEBIAN_DIR}/copyright ${QUENDIX_DEBIAN_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
