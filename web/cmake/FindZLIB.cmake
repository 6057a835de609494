# zlib for the WebAssembly build: the library that web/CMakeLists.txt
# compiles from Debian's zlib source (web_zlib), for the framework's and the
# converter's find_package(ZLIB).
if(NOT TARGET web_zlib)
  message(FATAL_ERROR "web_zlib must be defined before find_package(ZLIB)")
endif()
if(NOT TARGET ZLIB::ZLIB)
  add_library(ZLIB::ZLIB ALIAS web_zlib)
endif()
set(ZLIB_FOUND TRUE)
