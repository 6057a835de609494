# TinyGLTF for the Windows cross build (found through TinyGLTF_DIR, which
# cmake/WindowsConverter.cmake points here): Debian ships it for Linux only,
# as a shared library; here it is compiled in from the host's header, with
# the nlohmann JSON headers it reads with and the stb_image the build has.
if(NOT TARGET TinyGLTF::TinyGLTF)
  file(COPY /usr/include/tiny_gltf.h /usr/include/nlohmann DESTINATION ${XVIEW_HOST_HEADERS})
  add_library(xview_tinygltf STATIC EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/TinyGltfImplementation.cpp)
  target_include_directories(xview_tinygltf SYSTEM PUBLIC ${XVIEW_HOST_HEADERS})
  target_compile_options(xview_tinygltf PRIVATE -w)  # a library's own warnings, not ours
  target_link_libraries(xview_tinygltf PUBLIC xview_stb)
  add_library(TinyGLTF::TinyGLTF INTERFACE IMPORTED)
  target_link_libraries(TinyGLTF::TinyGLTF INTERFACE xview_tinygltf)
endif()
set(TinyGLTF_FOUND TRUE)
