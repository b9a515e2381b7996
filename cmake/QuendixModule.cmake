# The module shell on each platform: which symbols the library exports, its
# entry routine, and how it links the language runtime.

if(WIN32)
  # QUENDIX.dll: the export table, ordinals included, comes from the .def
  # file alone; the entry routine is the only Windows-only source.
  target_sources(quendix PRIVATE
    ${PROJECT_SOURCE_DIR}/module/dll_entry.cpp
    ${PROJECT_SOURCE_DIR}/module/quendix.def)
  set_target_properties(quendix PROPERTIES
    OUTPUT_NAME QUENDIX
    PREFIX ""
    IMPORT_PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  # The C++ runtime and the thread library go inside the DLL, so a host
  # needs nothing beyond the system's own DLLs.
  target_link_options(quendix PRIVATE -static -static-libgcc -static-libstdc++)
elseif(UNIX AND NOT APPLE)
  # Hidden visibility keeps the internals out; the version script then
  # names the exports one by one, so the table holds exactly those.
  set(QUENDIX_EXPORT_MAP ${PROJECT_SOURCE_DIR}/module/quendix.map)
  target_link_options(quendix PRIVATE "LINKER:--version-script=${QUENDIX_EXPORT_MAP}")
  set_property(TARGET quendix APPEND PROPERTY LINK_DEPENDS ${QUENDIX_EXPORT_MAP})
endif()
