# The Debian package, xviewer_VERSION_amd64.deb, made by CPack from the
# installation above (scripts/package). dpkg-shlibdeps names the libraries
# the programs link; SDL and libepoxy open GL and EGL at run time, which it
# cannot see, so they and Mesa's drivers (the software rasterizer included,
# for the thumbnailer and headless runs) are named here. The desktop,
# icon-cache and MIME databases follow the installed files by dpkg triggers.
set(XVIEW_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/xviewer)
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog)
configure_file(debian/changelog.in ${changelog} @ONLY)
# Compressed from the configured file, kept (-k), so that a new version
# configured into it is compressed again.
add_custom_command(OUTPUT ${changelog}.gz
  COMMAND ${GZIP} -9nkf ${changelog}
  DEPENDS ${changelog} VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${changelog}.gz)
install(FILES debian/copyright ${changelog}.gz DESTINATION ${XVIEW_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME xviewer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "XViewer")
set(CPACK_PACKAGE_CONTACT "XViewer maintainers <maintainers@users.noreply.c-seed-365c05fd.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewers for DirectX .x 3D models, and their framework")
# The lines after the summary; CPack indents them.
set(CPACK_PACKAGE_DESCRIPTION "actorviewer plays the animations of a skinned character from a DirectX .x
model file over a floor grid; propviewer shows a static model and its text.
Both read the text, binary and compressed forms of the format. The package
also has xfileinfo, which prints what a model file holds as JSON, a
thumbnailer that gives model files their pictures in file managers, the
MIME type model/x-directx, and the framework the viewers are built on as
static libraries with headers, a CMake package and a pkg-config file.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libegl1, libegl-mesa0, libgl1, libglx-mesa0, libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
