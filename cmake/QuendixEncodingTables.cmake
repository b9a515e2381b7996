# The decoding tables, generated at build time from the Encoding Standard's
# index files by a CMake script (nothing else runs on the build machine, so
# cross builds work alike) and compiled as C: its designated initializers
# place each entry at its pointer. A static library, so every target that
# links the conversion's objects gets the tables too.
set(QUENDIX_ENCODING_DATA ${PROJECT_SOURCE_DIR}/data/encoding)
set(QUENDIX_ENCODING_TABLES_C ${PROJECT_BINARY_DIR}/generated/encoding_tables.c)
file(GLOB QUENDIX_ENCODING_INDEXES ${QUENDIX_ENCODING_DATA}/index-*.txt)
add_custom_command(
  OUTPUT ${QUENDIX_ENCODING_TABLES_C}
  COMMAND ${CMAKE_COMMAND} -DINDEX_DIR=${QUENDIX_ENCODING_DATA}
          -DOUTPUT=${QUENDIX_ENCODING_TABLES_C}
          -P ${PROJECT_SOURCE_DIR}/cmake/GenerateEncodingTables.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/GenerateEncodingTables.cmake ${QUENDIX_ENCODING_INDEXES}
  COMMENT "Generating the decoding tables from data/encoding"
  VERBATIM)
add_library(quendix_encoding_tables STATIC ${QUENDIX_ENCODING_TABLES_C})
set_target_properties(quendix_encoding_tables PROPERTIES
  C_STANDARD 99
  C_EXTENSIONS OFF
  POSITION_INDEPENDENT_CODE ON
  C_VISIBILITY_PRESET hidden)
