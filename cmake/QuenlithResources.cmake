# Resources are assembled in the build tree: a copy of resources/ plus the compiled catalogs.
set(QUENLITH_RESOURCE_OUTPUT_DIR ${CMAKE_BINARY_DIR}/share/quenlith)
find_program(MSGFMT msgfmt REQUIRED)

file(GLOB_RECURSE QUENLITH_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
set(catalog_outputs)
file(GLOB po_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/po/*.po)
foreach(po ${po_files})
  get_filename_component(lang ${po} NAME_WE)
  set(mo ${QUENLITH_RESOURCE_OUTPUT_DIR}/locale/${lang}.mo)
  add_custom_command(OUTPUT ${mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUENLITH_RESOURCE_OUTPUT_DIR}/locale
    COMMAND ${MSGFMT} -c -o ${mo} ${po}
    DEPENDS ${po}
    COMMENT "Compiling catalog ${lang}")
  list(APPEND catalog_outputs ${mo})
endforeach()

set(stamp ${CMAKE_BINARY_DIR}/resources.stamp)
add_custom_command(OUTPUT ${stamp}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/resources ${QUENLITH_RESOURCE_OUTPUT_DIR}
  # The application's own icon beside its symbolic ones, so the windows carry it when run from the
  # build tree as well as installed (the desktop folder is not installed with the resources).
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/resources/desktop/com.quenlith.Quenlith.svg
          ${QUENLITH_RESOURCE_OUTPUT_DIR}/icons/com.quenlith.Quenlith.svg
  COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
  DEPENDS ${QUENLITH_RESOURCE_FILES}
  COMMENT "Copying resources")
add_custom_target(quenlith_resources ALL DEPENDS ${stamp} ${catalog_outputs})
