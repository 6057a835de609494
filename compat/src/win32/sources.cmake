target_sources(compat PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Console.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileDrop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileQueries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameMetrics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Kernel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageQueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PerformanceCounter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Resources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TerminalSignals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowClasses.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Windows.cpp)
