// A model file read and posed by the viewers' own code (the reader and
// Model), with its vertices placed as the glTF must place them: Z mirrored,
// a skinned vertex by every influence with its weights normalised to sum to
// 1 (as glTF holds them), a vertex that no bone moves in its bind pose, a
// rigid mesh by its frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "GltfPoses.h"
#include "model/Model.h"

namespace convert_test {

class ViewerModel {
 public:
  explicit ViewerModel(const std::string& path);
  bool Loaded() const { return loaded_; }
  // What the reader warned of, one line each.
  const std::vector<std::wstring>& Warnings() const { return warnings_; }

  // The positions of every mesh record with triangles (those the glTF holds,
  // in order) at `tick` of animation set `set`; a set the file lacks gives
  // the file's own pose.
  std::vector<std::vector<Vec3>> Positions(std::uint32_t set, double tick);

  // The key times of `set` that can show: up to its last key time, and 0.
  std::vector<double> KeyTimes(std::uint32_t set) const;
  double TicksPerSecond() const;
  std::size_t Sets() const { return scene_.animationSets.size(); }
  // The diagonal of the box of every vertex in the file's pose.
  double Size();

  XFileScene& Scene() { return scene_; }

 private:
  bool loaded_ = false;
  std::vector<std::wstring> warnings_;
  XFileScene scene_;
  Model model_;
  std::uint32_t playing_ = UINT32_MAX - 1;
};

}  // namespace convert_test
