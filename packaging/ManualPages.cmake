# A manual page for every program installed, compressed as Debian keeps them.
set(compressed_pages)
foreach(page ${XVIEW_INSTALLED_PROGRAMS} xviewer-effectc)
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/man/${page}.1)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1)
  # -n leaves out the name and time, so the same page compresses the same.
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND ${GZIP} -9nf ${copy}
    DEPENDS ${source} VERBATIM)
  list(APPEND compressed_pages ${copy}.gz)
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${compressed_pages})
install(FILES ${compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
