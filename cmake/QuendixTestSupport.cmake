# What the tests and the fuzz targets share, built once: the reference
# converter (tests/reference_converter.*), the fuzz targets' checks (fuzz/),
# which the tests also replay, and the scratch-file helpers
# (tests/test_support.*).
#
# It is compiled against the internal headers but linked against no core:
# each program that uses it links the core variant it tests (the library's
# own, or the tests' SSE2 and scalar ones).
if(TARGET quendix_test_support)
  return()
endif()

add_library(quendix_test_support STATIC
  ${QUENDIX_ROOT_DIR}/tests/reference_converter.cpp
  ${QUENDIX_ROOT_DIR}/tests/test_support.cpp
  ${QUENDIX_ROOT_DIR}/fuzz/check_support.cpp
  ${QUENDIX_ROOT_DIR}/fuzz/checks.cpp
  ${QUENDIX_ROOT_DIR}/fuzz/conversion_check.cpp
  ${QUENDIX_ROOT_DIR}/fuzz/decoder_check.cpp
  ${QUENDIX_ROOT_DIR}/fuzz/load_check.cpp
  ${QUENDIX_ROOT_DIR}/fuzz/utf8_block_check.cpp
)
target_include_directories(quendix_test_support PUBLIC
  ${QUENDIX_ROOT_DIR} ${QUENDIX_ROOT_DIR}/include)
target_compile_definitions(quendix_test_support PUBLIC
  QUENDIX_SOURCE_DIR="${QUENDIX_ROOT_DIR}")
if(QUENDIX_FUZZ)
  # Coverage of the checks themselves would not guide the fuzzer toward
  # anything in the library, and its comparison hooks cost most of the time
  # on large inputs; the sanitizers stay on.
  target_compile_options(quendix_test_support PRIVATE -fno-sanitize=fuzzer-no-link)
endif()
