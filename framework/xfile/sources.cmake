set(XVIEW_XFILE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AnimationReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BinaryTokenizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CurrentToken.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DocumentParser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MaterialReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MeshFinisher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MeshFinishing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MeshReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelBytes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelRegistry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParseMessages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParseWarnings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordReading.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SizeAccounting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkinReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextDecoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextTokenizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TokenEcho.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TokenPlaces.cpp)
# Model loading also loads textures, so it goes into the framework libraries
# (next to the renderer) rather than into the reader's own.
set(XVIEW_MODEL_LOADING_SOURCES ${CMAKE_CURRENT_LIST_DIR}/ModelLoading.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextureSearch.cpp)
