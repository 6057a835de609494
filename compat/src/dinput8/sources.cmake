target_sources(compat PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DataBuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataFormats.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DirectInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InputEvents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Joystick.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Keyboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeyMap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Mouse.cpp)
