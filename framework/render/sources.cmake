set(XVIEW_RENDER_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Effect.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Texture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DebugGeometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ViewMatrices.cpp)
# Mesh drawing reads the parsed records and the meshes, so it is built with
# each shape's framework library rather than with the rendering sources alone.
set(XVIEW_MESH_DRAWING_SOURCES ${CMAKE_CURRENT_LIST_DIR}/MeshDrawing.cpp ${CMAKE_CURRENT_LIST_DIR}/SkeletonDrawing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NormalDrawing.cpp)
