#include "render/SkeletonDrawing.h"

XFILE_SHAPE_BEGIN

#if !defined(XVIEW_REDUCED_MODEL)
std::vector<ColorVertex> SkeletonLines(const Model& model) {
  std::vector<ColorVertex> lines;
  const std::vector<std::int32_t>& parents = model.FrameParents();
  for (std::size_t i = 0; i < parents.size() && i < model.frameMatrices.size(); ++i) {
    if (parents[i] < 0 || static_cast<std::size_t>(parents[i]) >= model.frameMatrices.size()) continue;
    const D3DXMATRIX& parent = model.frameMatrices[static_cast<std::size_t>(parents[i])];
    const D3DXMATRIX& frame = model.frameMatrices[i];
    lines.push_back({parent._41, parent._42, parent._43, kSkeletonColor});
    lines.push_back({frame._41, frame._42, frame._43, kSkeletonColor});
  }
  return lines;
}

bool DrawSkeleton(const Model& model) {
  if (!model.sceneData) return false;
  return DrawOverlayLines(SkeletonLines(model), model.world);
}
#endif

XFILE_SHAPE_END
