// Finding a frame of a parsed scene by name, as bones and animations find
// theirs: the first Frame record of that name in file order.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

#include "model/Model.h"
#include "xfile/XFileRecords.h"

inline std::size_t FrameIndex(const XFileScene& scene, const std::wstring& name) {
  for (std::size_t i = 0; i < scene.frames.size(); ++i)
    if (scene.frames[i].name == name) return i;
  throw std::out_of_range("no frame of that name");
}

inline XFrame& FrameNamed(XFileScene& scene, const std::wstring& name) { return scene.frames[FrameIndex(scene, name)]; }

inline std::size_t FramesNamed(const XFileScene& scene, const std::wstring& name) {
  std::size_t count = 0;
  for (const XFrame& frame : scene.frames) count += frame.name == name;
  return count;
}

// The combined matrix of the first frame named `name` of the model's scene.
inline const D3DXMATRIX& FrameMatrix(const Model& model, const std::wstring& name) {
  return model.frameMatrices.at(FrameIndex(*model.sceneData, name));
}
