#include "model/Model.h"

XFILE_SHAPE_BEGIN

Model::Model() : sceneData(nullptr), animationSet(0), animationTick(0) {}

Model::~Model() {
  frameMatrices.clear();
  meshes.clear();
}

bool Model::Setup(IDirect3DDevice9* device, XFileScene* scene) {
  if (!scene) return false;
  meshes.clear();
  frameMatrices.clear();
  sceneData = scene;

  meshes.resize(scene->meshes.size());
  for (std::size_t i = 0; i < meshes.size(); ++i) meshes[i].Setup(&scene->meshes[i], device);

  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  poseNodes_.clear();
  for (const auto& [name, frame] : scene->frames) {
    auto [entry, inserted] = frameMatrices.try_emplace(frame.name, identity);
    if (inserted) poseNodes_.push_back({&frame, &entry->second});
  }

  animatedFrames_.assign(scene->animationSets.size(), {});
  for (std::size_t s = 0; s < scene->animationSets.size(); ++s)
    for (const XAnimation& animation : scene->animationSets[s].animations) {
      auto found = scene->frames.find(animation.frameName);
      animatedFrames_[s].push_back(found == scene->frames.end() ? nullptr : &found->second);
    }

  meshFrames_.clear();
  for (const XMesh& record : scene->meshes) {
    auto found = record.frame ? frameMatrices.find(record.frame->name) : frameMatrices.end();
    meshFrames_.push_back(found == frameMatrices.end() ? nullptr : &found->second);
  }
  return true;
}

namespace {

// One step outward: C = C x local(G), then G's parent. The walk ends at the
// top of the hierarchy, or after `limit` steps, so even a parent cycle in
// hand-made records cannot hang it.
inline bool StepOutward(D3DXMATRIX& combined, const XFrame*& g, std::size_t& steps, std::size_t limit) {
  if (!g || steps >= limit) return false;
  D3DXMatrixMultiply(&combined, &combined, &g->transform);
  g = g->parent;
  ++steps;
  return true;
}

}  // namespace

void Model::UpdatePose() {
  if (!sceneData) return;
  UpdateWorldMatrix();
  SampleAnimation();
  // combined(F) = local(F) x local(parent) x ... x local(root), multiplied
  // outward one level at a time. Two frames are walked side by side: each
  // walk is a chain of dependent products, and two chains let the processor
  // overlap them.
  const std::size_t limit = poseNodes_.size();
  for (std::size_t i = 0; i < poseNodes_.size(); i += 2) {
    const PoseNode& first = poseNodes_[i];
    const PoseNode& second = poseNodes_[i + 1 < poseNodes_.size() ? i + 1 : i];
    D3DXMATRIX a = first.frame->transform, b = second.frame->transform;
    const XFrame* ga = first.frame->parent;
    const XFrame* gb = second.frame->parent;
    std::size_t stepsA = 1, stepsB = 1;
    while (StepOutward(a, ga, stepsA, limit) & StepOutward(b, gb, stepsB, limit)) {
    }
    while (StepOutward(a, ga, stepsA, limit)) {
    }
    while (StepOutward(b, gb, stepsB, limit)) {
    }
    *first.combined = a;
    *second.combined = b;
  }
}

XFILE_SHAPE_END
