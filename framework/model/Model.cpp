#include "model/Model.h"

#include <algorithm>
#include <map>

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
  std::map<const XFrame*, std::size_t> nodeOf;
  for (const auto& [name, frame] : scene->frames) {
    auto [entry, inserted] = frameMatrices.try_emplace(frame.name, identity);
    if (!inserted) continue;
    nodeOf[&frame] = poseNodes_.size();
    poseNodes_.push_back({&frame, &entry->second, nullptr, 0});
  }
  // Each frame's depth (frames from it to the top, itself included) from its
  // parent's, so that a hierarchy thousands of frames deep is measured in one
  // pass. A parent cycle in hand-made records stops at the number of frames.
  auto parentOf = [&](const PoseNode& node) -> PoseNode* {
    auto found = node.frame->parent ? nodeOf.find(node.frame->parent) : nodeOf.end();
    return found == nodeOf.end() ? nullptr : &poseNodes_[found->second];
  };
  for (PoseNode& node : poseNodes_) {
    PoseNode* parent = parentOf(node);
    node.parentCombined = parent ? parent->combined : nullptr;
    std::vector<PoseNode*> walked;
    PoseNode* n = &node;
    for (; n && n->depth == 0 && walked.size() < poseNodes_.size(); n = parentOf(*n)) walked.push_back(n);
    std::size_t depth = n ? n->depth : 0;
    for (auto it = walked.rbegin(); it != walked.rend(); ++it)
      (*it)->depth = depth = std::min(depth + 1, poseNodes_.size());
  }
  std::size_t products = 0;
  for (const PoseNode& node : poseNodes_) products += node.depth - 1;
  // The frames' walks multiply as many matrices as their depths add up to. A
  // hierarchy so deep that this would stall every frame takes each frame's
  // combined matrix from its parent's instead: the same product, grouped
  // the other way, linear in the number of frames.
  fromParents_ = products > kMaxPoseProducts;
  // Deepest first, so that a pass of the walks runs over a prefix of the
  // list; parents first when combined matrices come from the parents'.
  std::stable_sort(poseNodes_.begin(), poseNodes_.end(), [this](const PoseNode& a, const PoseNode& b) {
    return fromParents_ ? a.depth < b.depth : a.depth > b.depth;
  });
  chains_.resize(poseNodes_.size());
  cursors_.resize(poseNodes_.size());

  animated_.assign(scene->animationSets.size(), {});
  for (std::size_t s = 0; s < scene->animationSets.size(); ++s)
    for (const XAnimation& animation : scene->animationSets[s].animations) {
      auto found = scene->frames.find(animation.frameName);
      animated_[s].push_back({found == scene->frames.end() ? nullptr : &found->second, {}});
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
  if (fromParents_) {
    for (const PoseNode& node : poseNodes_) {
      if (node.parentCombined) {
        D3DXMatrixMultiply(node.combined, &node.frame->transform, node.parentCombined);
      } else {
        *node.combined = node.frame->transform;
      }
    }
    return;
  }
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
