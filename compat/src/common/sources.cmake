target_sources(compat PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Unicode.cpp ${CMAKE_CURRENT_LIST_DIR}/LiveObjects.cpp ${CMAKE_CURRENT_LIST_DIR}/WindowsPath.cpp ${CMAKE_CURRENT_LIST_DIR}/Trace.cpp)
