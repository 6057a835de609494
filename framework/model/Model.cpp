#include "model/Model.h"

#include <algorithm>
#include <unordered_map>

XFILE_SHAPE_BEGIN

Model::Model() : sceneData(nullptr), animationSet(0), animationTick(0) {}

Model::~Model() {
  frameMatrices.clear();
  meshes.clear();
}

bool Model::Setup(IDirect3DDevice9* device, XFileScene* scene) {
  if (!scene) return false;
  meshes.clear();
  sceneData = scene;

  meshes.resize(scene->meshes.size());
  for (std::size_t i = 0; i < meshes.size(); ++i) meshes[i].Setup(&scene->meshes[i], device);

  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  frameMatrices.assign(scene->frames.size(), identity);
  poseNodes_.clear();
  std::unordered_map<const XFrame*, std::size_t> indexOf;
  std::unordered_map<std::wstring, std::size_t> firstNamed;
  for (std::size_t i = 0; i < scene->frames.size(); ++i) {
    const XFrame& frame = scene->frames[i];
    indexOf.emplace(&frame, i);
    firstNamed.try_emplace(frame.name, i);
    poseNodes_.push_back({&frame, &frameMatrices[i], nullptr, 0});
  }
  auto frameIndex = [&](const XFrame* frame) -> std::int32_t {
    auto found = frame ? indexOf.find(frame) : indexOf.end();
    return found == indexOf.end() ? -1 : static_cast<std::int32_t>(found->second);
  };
  auto namedIndex = [&](const std::wstring& name) -> std::int32_t {
    auto found = firstNamed.find(name);
    return found == firstNamed.end() ? -1 : static_cast<std::int32_t>(found->second);
  };
  // Each frame's depth (frames from it to the top, itself included) from its
  // parent's, so that a hierarchy thousands of frames deep is measured in one
  // pass. A parent cycle in hand-made records stops at the number of frames.
  auto parentOf = [&](const PoseNode& node) -> PoseNode* {
    std::int32_t parent = frameIndex(node.frame->parent);
    return parent < 0 ? nullptr : &poseNodes_[static_cast<std::size_t>(parent)];
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
      std::int32_t frame = namedIndex(animation.frameName);
      animated_[s].push_back({frame < 0 ? nullptr : &scene->frames[static_cast<std::size_t>(frame)], {}});
    }

  meshFrames_.clear();
  boneFrames_.clear();
  for (const XMesh& record : scene->meshes) {
    meshFrames_.push_back(frameIndex(record.frame));
    std::vector<std::int32_t>& bones = boneFrames_.emplace_back();
    for (const XBone& bone : record.bones) bones.push_back(namedIndex(bone.name));
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

void Model::UpdatePalette(std::size_t i) {
  if (i < meshes.size() && i < boneFrames_.size()) meshes[i].UpdatePalette(frameMatrices, boneFrames_[i]);
}

XFILE_SHAPE_END
