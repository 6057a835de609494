#include "model/Model.h"

#include <algorithm>

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
    if (!inserted) continue;
    // The number of frames from this one to the top; a parent cycle in
    // hand-made records stops at the number of frames.
    std::size_t depth = 1;
    for (const XFrame* g = frame.parent; g && depth < scene->frames.size(); g = g->parent) ++depth;
    poseNodes_.push_back({&frame, &entry->second, depth});
  }
  // Deepest first: a pass of the pose then runs over a prefix of the list.
  std::stable_sort(poseNodes_.begin(), poseNodes_.end(),
                   [](const PoseNode& a, const PoseNode& b) { return a.depth > b.depth; });
  chains_.resize(poseNodes_.size());
  cursors_.resize(poseNodes_.size());

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
  // combined(F) = local(F) x local(parent) x ... x local(root), multiplied
  // outward one level at a time. All frames take their next level in the
  // same pass: the products of a pass do not depend on each other, so the
  // processor overlaps them, where one frame's walk would be a chain of
  // dependent products.
  for (std::size_t i = 0; i < poseNodes_.size(); ++i) {
    chains_[i] = poseNodes_[i].frame->transform;
    cursors_[i] = poseNodes_[i].frame->parent;
  }
  std::size_t active = poseNodes_.size();
  for (std::size_t level = 1;; ++level) {
    while (active > 0 && poseNodes_[active - 1].depth <= level) --active;
    if (active == 0) break;
    for (std::size_t i = 0; i < active; ++i) {
      D3DXMatrixMultiply(&chains_[i], &chains_[i], &cursors_[i]->transform);
      cursors_[i] = cursors_[i]->parent;
    }
  }
  for (std::size_t i = 0; i < poseNodes_.size(); ++i) *poseNodes_[i].combined = chains_[i];
}

XFILE_SHAPE_END
