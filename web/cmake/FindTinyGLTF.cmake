# tinygltf for the WebAssembly build: Debian's libtinygltf-dev header,
# compiled here as Debian compiles its library (web_tinygltf), with the
# nlohmann-json and stb headers it is built with. The headers are reached
# through a folder of their own, not /usr/include, which holds the machine's
# C library.
if(NOT TARGET web_tinygltf)
  message(FATAL_ERROR "web_tinygltf must be defined before find_package(TinyGLTF)")
endif()
if(NOT TARGET TinyGLTF::TinyGLTF)
  add_library(TinyGLTF::TinyGLTF INTERFACE IMPORTED)
  target_link_libraries(TinyGLTF::TinyGLTF INTERFACE web_tinygltf)
endif()
set(TinyGLTF_FOUND TRUE)
