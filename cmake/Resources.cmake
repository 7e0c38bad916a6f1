# Resources (string tables, bitmaps, scripts, type library, manifest) as one object
# library, linked into the DLL and into each test so LoadString finds the same texts.

# The type library, compiled from its .idl; widl takes IUnknown from stdole2.tlb.
find_path(KR_STDOLE2_DIR stdole2.tlb
  PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows
        /usr/lib64/wine/x86_64-windows "$ENV{SystemRoot}/System32"
  NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(KR_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(KR_TYPELIB ${KR_GENERATED_DIR}/KrShellExt.tlb)
add_custom_command(OUTPUT ${KR_TYPELIB}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KR_GENERATED_DIR}
  COMMAND ${KR_WIDL} -t -L ${KR_STDOLE2_DIR} -o ${KR_TYPELIB} ${CMAKE_SOURCE_DIR}/resources/KrShellExt.idl
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/KrShellExt.idl
  COMMENT "Compiling the type library"
  VERBATIM)

file(GLOB KR_RC_DEPENDS CONFIGURE_DEPENDS resources/* resources/bitmaps/* resources/icons/*)
add_library(krresources OBJECT resources/KrShellExt.rc ${KR_TYPELIB})
set_source_files_properties(resources/KrShellExt.rc PROPERTIES OBJECT_DEPENDS "${KR_RC_DEPENDS};${KR_TYPELIB}")
target_include_directories(krresources PRIVATE ${CMAKE_SOURCE_DIR}/resources ${KR_GENERATED_DIR})
