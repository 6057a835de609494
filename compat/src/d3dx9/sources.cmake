target_sources(compat PRIVATE ${CMAKE_CURRENT_LIST_DIR}/SaveSurface.cpp)
target_sources(compat PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Math.cpp)
# Effects, buffers and textures from files. The effect reader and the
# translation record are in compat_core, which the effect translator
# program shares.
target_sources(compat PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Buffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstalledFiles.cpp ${CMAKE_CURRENT_LIST_DIR}/TranslatorProcess.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EffectCache.cpp ${CMAKE_CURRENT_LIST_DIR}/EffectCompiler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EffectProgram.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Effect.cpp ${CMAKE_CURRENT_LIST_DIR}/ImageFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegImage.cpp ${CMAKE_CURRENT_LIST_DIR}/TextureFromFile.cpp)
target_sources(compat_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FileBytes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EffectParser.cpp ${CMAKE_CURRENT_LIST_DIR}/EffectRecord.cpp)
