# xfileconvert.exe: the converter as a Windows program of one file, linked
# statically (the C and C++ runtimes, threads and zlib inside), that imports
# nothing but Windows' own DLLs. Its model, textures and numbers go through
# the same code as on Linux, so that it writes the same bytes:
# - the D3DX math is the layer's own (compat/src/d3dx9/Math.cpp), which gives
#   D3DX's documented results, rather than d3dx9_36.dll, which is no part of
#   Windows;
# - images are decoded by the layer's decoder, JPEG through stb_image (Debian's
#   MinGW has no libjpeg: a damaged JPEG may decode otherwise than on Linux);
# - stb is compiled in from the host's headers, as Debian's libstb is built.
# Included by the top level for a Windows build; tools/xfileconvert builds the
# targets as on Linux.
find_package(Threads REQUIRED)

# Header-only libraries of the host that the cross build takes as they are:
# each is copied into the build tree, so that no other host header can be found.
set(XVIEW_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(COPY /usr/include/stb/stb_image.h /usr/include/stb/stb_image_write.h DESTINATION ${XVIEW_HOST_HEADERS})
add_library(xview_stb STATIC ${CMAKE_CURRENT_LIST_DIR}/windows/StbImplementation.c)
target_include_directories(xview_stb SYSTEM PUBLIC ${XVIEW_HOST_HEADERS})
target_compile_options(xview_stb PRIVATE -w)  # a library's own warnings, not ours
add_library(PkgConfig::STB INTERFACE IMPORTED)
target_link_libraries(PkgConfig::STB INTERFACE xview_stb)

# tinygltf, header-only here (cmake/windows/TinyGLTFConfig.cmake). Debian's
# MinGW has no meshoptimizer or Draco: a Windows build reads no glTF that
# needs them.
set(TinyGLTF_DIR ${CMAKE_CURRENT_LIST_DIR}/windows CACHE PATH "TinyGLTF for the Windows build" FORCE)

add_subdirectory(${PROJECT_SOURCE_DIR}/tools/xfileconvert ${CMAKE_BINARY_DIR}/tools/xfileconvert)

set(XVIEW_COMPAT_SOURCE ${PROJECT_SOURCE_DIR}/compat/src)
target_sources(xfileconvert_core PRIVATE ${XVIEW_COMPAT_SOURCE}/d3d9/PixelFormats.cpp
  ${XVIEW_COMPAT_SOURCE}/d3dx9/ImageFile.cpp ${XVIEW_COMPAT_SOURCE}/d3dx9/JpegImageStb.cpp)
# In the program itself, so that every D3DX function resolves to it before
# any import library is searched.
target_sources(xfileconvert PRIVATE ${XVIEW_COMPAT_SOURCE}/d3dx9/Math.cpp)
target_link_options(xfileconvert PRIVATE -static)
# Paths, arguments and messages in UTF-8, as on Linux: the program's manifest
# asks Windows (10 1903 and later) for UTF-8 as its code page.
target_sources(xfileconvert PRIVATE ${CMAKE_CURRENT_LIST_DIR}/windows/xfileconvert.rc)
