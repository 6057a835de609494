#include "ViewerPoses.h"

#include <algorithm>
#include <cmath>

#include "xfile/DocumentParser.h"

namespace convert_test {

ViewerModel::ViewerModel(const std::string& path) {
  const ParseResult parse = ParseXFile(std::wstring(path.begin(), path.end()), scene_, ParseOptions{.echo = false});
  loaded_ = parse.accepted;
  for (const ParseWarning& warning : parse.warnings) warnings_.push_back(warning.message);
  if (loaded_) model_.Setup(nullptr, &scene_);
}

std::vector<std::vector<Vec3>> ViewerModel::Positions(std::uint32_t set, double tick) {
  if (set != playing_) {
    model_.PlaySet(set);
    playing_ = set;
  }
  model_.animationTick = tick;
  model_.UpdatePose();
  std::vector<std::vector<Vec3>> meshes;
  for (std::size_t i = 0; i < scene_.meshes.size(); ++i) {
    const XMesh& mesh = scene_.meshes[i];
    if (mesh.faces.empty()) continue;
    model_.UpdatePalette(i);
    const D3DXMATRIX placement = model_.MeshWorldMatrix(i);
    std::vector<Vec3>& out = meshes.emplace_back();
    for (const XVertex& vertex : mesh.vertices) {
      D3DXVECTOR3 p(0, 0, 0);
      double sum = 0;
      for (const XSkinInfluence& influence : vertex.influences)
        if (influence.weight > 0 && influence.bone < model_.meshes[i].palette.size()) sum += influence.weight;
      if (mesh.bones.empty() || sum == 0) {
        D3DXVec3TransformCoord(&p, &vertex.position, mesh.bones.empty() ? &placement : &model_.world);
      } else {
        for (const XSkinInfluence& influence : vertex.influences) {
          if (!(influence.weight > 0) || influence.bone >= model_.meshes[i].palette.size()) continue;
          D3DXVECTOR3 q;
          D3DXVec3TransformCoord(&q, &vertex.position, &model_.meshes[i].palette[influence.bone]);
          p += q * static_cast<float>(influence.weight / sum);
        }
      }
      out.push_back({p.x, p.y, -double{p.z}});
    }
  }
  return meshes;
}

std::vector<double> ViewerModel::KeyTimes(std::uint32_t set) const {
  std::vector<double> times{0.0};
  const auto last = static_cast<std::uint32_t>(scene_.animationSets.at(set).lastKeyTime);
  for (std::uint32_t tick : model_.KeyTimes(set))
    if (tick <= last && tick > 0) times.push_back(tick);
  return times;
}

double ViewerModel::TicksPerSecond() const { return scene_.ticksPerSecond > 0 ? scene_.ticksPerSecond : 60.0; }

double ViewerModel::Size() {
  Vec3 low{1e300, 1e300, 1e300}, high{-1e300, -1e300, -1e300};
  for (const std::vector<Vec3>& mesh : Positions(UINT32_MAX, 0))
    for (const Vec3& p : mesh)
      for (int c = 0; c < 3; ++c) {
        low[c] = std::min(low[c], p[c]);
        high[c] = std::max(high[c], p[c]);
      }
  double diagonal = 0;
  for (int c = 0; c < 3; ++c) diagonal += (high[c] - low[c]) * (high[c] - low[c]);
  return low[0] > high[0] ? 0.0 : std::sqrt(diagonal);
}

}  // namespace convert_test
