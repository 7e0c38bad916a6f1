# Resources (string tables, bitmaps, scripts, type library, manifest) as one object
# library, linked into the DLL and into each test so LoadString finds the same texts.
file(GLOB KR_RC_DEPENDS CONFIGURE_DEPENDS resources/*)
add_library(krresources OBJECT resources/KrShellExt.rc)
set_source_files_properties(resources/KrShellExt.rc PROPERTIES OBJECT_DEPENDS "${KR_RC_DEPENDS}")
target_include_directories(krresources PRIVATE ${CMAKE_SOURCE_DIR}/resources ${CMAKE_BINARY_DIR}/generated)
