# The framework for programs of other projects: the CMake package
# (find_package(XViewer CONFIG REQUIRED) gives XViewer::framework, with the
# layer and its libraries as usage requirements) and xviewer.pc for
# pkg-config. Both find the installation from where they lie, so an
# installation may move (cmake --install --prefix, DESTDIR). The libraries
# and headers are installed by framework/ and compat/.
include(CMakePackageConfigHelpers)
set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/XViewer)
install(EXPORT XViewerTargets NAMESPACE XViewer:: DESTINATION ${package_dir})
set(XVIEW_PACKAGE_DATADIR ${CMAKE_INSTALL_DATADIR}/xviewer)
configure_package_config_file(library/XViewerConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/XViewerConfig.cmake
  INSTALL_DESTINATION ${package_dir} PATH_VARS XVIEW_PACKAGE_DATADIR)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/XViewerConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/XViewerConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/XViewerConfigVersion.cmake
  DESTINATION ${package_dir})

# pkg-config's file names the prefix relative to its own folder.
set(pkgconfig_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH XVIEW_PC_PREFIX /prefix/${pkgconfig_dir} /prefix)
string(REGEX REPLACE "/$" "" XVIEW_PC_PREFIX "${XVIEW_PC_PREFIX}")
configure_file(library/xviewer.pc.in ${CMAKE_CURRENT_BINARY_DIR}/xviewer.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/xviewer.pc DESTINATION ${pkgconfig_dir})

