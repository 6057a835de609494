target_sources(compat PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Direct3D.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeviceResources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Surface.cpp)
