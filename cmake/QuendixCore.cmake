# The conversion and platform layer, as object libraries: the shared
# library is built from one, and the tests link one directly so they can
# reach the internal steps without widening the exports.
#
#   quendix_add_core(<target> [DEFINITION...])
#
# builds the layer as <target>, with the given compile definitions on top of
# the usual ones (QUENDIX_NO_SIMD or QUENDIX_NO_AVX2 choose its text loops).
get_filename_component(QUENDIX_ROOT_DIR "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

set(QUENDIX_CORE_SOURCES
  convert/convert_file.cpp
  convert/feed_storage.cpp
  convert/feed_window.cpp
  convert/item_loop.cpp
  convert/item_watch.cpp
  convert/literal.cpp
  convert/record.cpp
  convert/summary.cpp
  convert/tag_index.cpp
  platform/byte_reader.cpp
  encoding/decode.cpp
  encoding/encoding_detection.cpp
  encoding/encoding_labels.cpp
  encoding/encoding_tables.cpp
  platform/file_identity.cpp
  simd/processor.cpp
  platform/record_output.cpp
  encoding/utf8.cpp
  platform/wide_path.cpp
  reading/decoding_input.cpp
)
list(TRANSFORM QUENDIX_CORE_SOURCES PREPEND "${QUENDIX_ROOT_DIR}/")

find_package(Threads REQUIRED)

function(quendix_add_core target)
  add_library(${target} OBJECT ${QUENDIX_CORE_SOURCES})
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${QUENDIX_ROOT_DIR}/include>
    $<BUILD_INTERFACE:${QUENDIX_ROOT_DIR}>)
  set_target_properties(${target} PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_compile_definitions(${target} PUBLIC QUENDIX_BUILDING_LIBRARY ${ARGN})
  target_link_libraries(${target} PUBLIC Threads::Threads quendix_encoding_tables)
endfunction()
