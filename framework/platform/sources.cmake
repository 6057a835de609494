set(XVIEW_PLATFORM_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Direct3D9.cpp)
list(APPEND XVIEW_PLATFORM_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DirectInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Camera.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileWatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AssetFolders.cpp)
# The framework's message table serves every part of it, in both shapes.
set(XVIEW_MESSAGE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/Messages.cpp)
