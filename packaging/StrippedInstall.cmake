# An installation that strips its programs (cmake --install --strip, as CPack
# does) strips the libraries of their debugging sections too, and the
# programs of the compiler's notes; other files of the prefix are left alone.
list(TRANSFORM XVIEW_INSTALLED_PROGRAMS PREPEND ${CMAKE_INSTALL_BINDIR}/ OUTPUT_VARIABLE XVIEW_STRIPPED_PROGRAMS)
list(APPEND XVIEW_STRIPPED_PROGRAMS ${XVIEW_TRANSLATOR_PATH})
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/StripInstalled.cmake @ONLY CONTENT [[
if(CMAKE_INSTALL_DO_STRIP)
  set(installed "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  file(GLOB archives "${installed}/@CMAKE_INSTALL_LIBDIR@/libxviewer_*.a")
  foreach(archive IN LISTS archives)
    execute_process(COMMAND "@CMAKE_STRIP@" --strip-debug --remove-section=.comment --remove-section=.note
      --enable-deterministic-archives "${archive}" COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  foreach(program IN ITEMS @XVIEW_STRIPPED_PROGRAMS@)
    execute_process(COMMAND "@CMAKE_STRIP@" --remove-section=.comment "${installed}/${program}" COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
endif()
]])
install(SCRIPT ${CMAKE_CURRENT_BINARY_DIR}/StripInstalled.cmake)
