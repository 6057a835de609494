target_sources(compat PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/NumberConversion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextModeFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WideFileOpen.cpp)
