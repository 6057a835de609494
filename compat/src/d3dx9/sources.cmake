target_sources(compat PRIVATE ${CMAKE_CURRENT_LIST_DIR}/SaveSurface.cpp)
target_sources(compat PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Math.cpp)
