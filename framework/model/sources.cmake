# Drawable objects: the transform, meshes, and (character shape only) the
# skinned model with its animation sampling.
set(XVIEW_MODEL_REDUCED_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Object3D.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Stream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Mesh.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelBounds.cpp)
set(XVIEW_MODEL_SOURCES
  ${XVIEW_MODEL_REDUCED_SOURCES}
  ${CMAKE_CURRENT_LIST_DIR}/Model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AnimationSampling.cpp)
# What a model holds, in words: it looks for textures as loading does, so it
# is built with each shape's framework library (and by xfileinfo).
set(XVIEW_MODEL_SUMMARY_SOURCES ${CMAKE_CURRENT_LIST_DIR}/ModelSummary.cpp)
