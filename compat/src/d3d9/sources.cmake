target_sources(compat PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Direct3D.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeviceResources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Surface.cpp)
# Resources and drawing.
target_sources(compat PRIVATE ${CMAKE_CURRENT_LIST_DIR}/DeviceChild.cpp ${CMAKE_CURRENT_LIST_DIR}/DrawState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PixelFormats.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VertexDeclaration.cpp ${CMAKE_CURRENT_LIST_DIR}/Buffers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Texture.cpp ${CMAKE_CURRENT_LIST_DIR}/DeviceDraw.cpp)
target_sources(compat_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/AttributeLocations.cpp)
