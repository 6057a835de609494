target_sources(compat PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CodePages.cpp ${CMAKE_CURRENT_LIST_DIR}/LayerMessages.cpp ${CMAKE_CURRENT_LIST_DIR}/LiveObjects.cpp ${CMAKE_CURRENT_LIST_DIR}/ProcessEnd.cpp ${CMAKE_CURRENT_LIST_DIR}/Trace.cpp)
target_sources(compat_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Unicode.cpp ${CMAKE_CURRENT_LIST_DIR}/WindowsPath.cpp)
