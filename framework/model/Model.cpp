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

void Model::UpdatePose() {
  if (!sceneData) return;
  UpdateWorldMatrix();
  SampleAnimation();
  // local(F) x local(parent) x ... x local(root), multiplied outward one level
  // at a time. The walk is bounded by the number of frames, so even a parent
  // cycle in hand-made records cannot hang it.
  const std::size_t deepest = poseNodes_.size();
  for (const PoseNode& node : poseNodes_) {
    D3DXMATRIX combined = node.frame->transform;
    std::size_t depth = 1;
    for (const XFrame* g = node.frame->parent; g && depth < deepest; g = g->parent, ++depth)
      D3DXMatrixMultiply(&combined, &combined, &g->transform);
    *node.combined = combined;
  }
}

XFILE_SHAPE_END
