# The desktop's view of the programs: the model type, known by name and by
# its first bytes (shared-mime-info); the viewers' entries for "Open with"
# (desktop/*.desktop); the thumbnailer's entry; and the icons, drawn as SVG
# and rendered at the sizes of the hicolor theme when rsvg-convert
# (librsvg2-bin) is there. The desktop notices them after
# update-mime-database and update-desktop-database (README: Installing).
install(FILES desktop/actorviewer.desktop desktop/propviewer.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES desktop/xviewer.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES desktop/xviewer.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)

# Each icon with its context in the theme.
set(XVIEW_ICONS apps/actorviewer apps/propviewer mimetypes/model-x-directx)
set(XVIEW_ICON_SIZES 16 22 24 32 48 64 128 256)
set(icon_theme ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
  message(STATUS "rsvg-convert (librsvg2-bin) not found: only the scalable icons are installed")
endif()
set(rendered_icons)
foreach(icon ${XVIEW_ICONS})
  get_filename_component(context ${icon} DIRECTORY)
  get_filename_component(name ${icon} NAME)
  set(drawing ${CMAKE_CURRENT_SOURCE_DIR}/icons/${name}.svg)
  install(FILES ${drawing} DESTINATION ${icon_theme}/scalable/${context})
  if(RSVG_CONVERT)
    foreach(size ${XVIEW_ICON_SIZES})
      set(picture ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/${context}/${name}.png)
      add_custom_command(OUTPUT ${picture}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/${context}
        COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${picture} ${drawing}
        DEPENDS ${drawing} VERBATIM)
      list(APPEND rendered_icons ${picture})
      install(FILES ${picture} DESTINATION ${icon_theme}/${size}x${size}/${context})
    endforeach()
  endif()
endforeach()
add_custom_target(icons ALL DEPENDS ${rendered_icons})
