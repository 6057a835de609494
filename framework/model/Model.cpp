#include "model/Model.h"

#include <algorithm>
#include <unordered_map>

XFILE_SHAPE_BEGIN

Model::Model() : sceneData(nullptr), animationSet(0), animationTick(0.0) {}

Model::~Model() {
  frameMatrices.clear();
  meshes.clear();
}

// How frames are found at set-up: by address (parents, mesh frames) and by
// name (bones, animations: the first frame of that name in file order).
struct Model::FrameLinks {
  std::unordered_map<const XFrame*, std::size_t> indexOf;
  std::unordered_map<std::wstring, std::size_t> firstNamed;

  explicit FrameLinks(const XFileScene& scene) {
    for (std::size_t i = 0; i < scene.frames.size(); ++i) {
      indexOf.emplace(&scene.frames[i], i);
      firstNamed.try_emplace(scene.frames[i].name, i);
    }
  }
  std::int32_t Of(const XFrame* frame) const {
    auto found = frame ? indexOf.find(frame) : indexOf.end();
    return found == indexOf.end() ? -1 : static_cast<std::int32_t>(found->second);
  }
  std::int32_t Named(const std::wstring& name) const {
    auto found = firstNamed.find(name);
    return found == firstNamed.end() ? -1 : static_cast<std::int32_t>(found->second);
  }
};

bool Model::Setup(IDirect3DDevice9* device, XFileScene* scene) {
  if (!scene) return false;
  sceneData = scene;
  BuildMeshes(device);
  const FrameLinks links(*scene);
  OrderFrames(links);
  LinkAnimations(links);
  LinkMeshes(links);
  return true;
}

void Model::BuildMeshes(IDirect3DDevice9* device) {
  meshes.clear();
  meshes.resize(sceneData->meshes.size());
  for (std::size_t i = 0; i < meshes.size(); ++i) meshes[i].Setup(&sceneData->meshes[i], device);
}

// Parents before children. A parsed file lists them so already; frames put
// together by hand are ordered by their depth, measured from the parents'
// in one pass, and a parent cycle stops at the number of frames.
void Model::OrderFrames(const FrameLinks& links) {
  const std::deque<XFrame>& frames = sceneData->frames;
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  frameMatrices.assign(frames.size(), identity);
  poseOrder_.clear();
  frameParents_.clear();
  fileTransforms_.clear();
  for (std::size_t i = 0; i < frames.size(); ++i) {
    poseOrder_.push_back({&frames[i], i, links.Of(frames[i].parent)});
    frameParents_.push_back(poseOrder_.back().parent);
    fileTransforms_.push_back(frames[i].transform);
  }

  std::vector<std::size_t> depth(frames.size(), 0);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    std::vector<std::size_t> walked;
    std::int32_t at = static_cast<std::int32_t>(i);
    for (; at >= 0 && depth[static_cast<std::size_t>(at)] == 0 && walked.size() < frames.size();
         at = poseOrder_[static_cast<std::size_t>(at)].parent)
      walked.push_back(static_cast<std::size_t>(at));
    std::size_t d = at >= 0 ? depth[static_cast<std::size_t>(at)] : 0;
    for (auto it = walked.rbegin(); it != walked.rend(); ++it) depth[*it] = d = std::min(d + 1, frames.size());
  }
  std::stable_sort(poseOrder_.begin(), poseOrder_.end(),
                   [&](const PoseStep& a, const PoseStep& b) { return depth[a.index] < depth[b.index]; });
}

void Model::LinkAnimations(const FrameLinks& links) {
  animated_.assign(sceneData->animationSets.size(), {});
  for (std::size_t s = 0; s < sceneData->animationSets.size(); ++s)
    for (const XAnimation& animation : sceneData->animationSets[s].animations) {
      std::int32_t frame = links.Named(animation.frameName);
      animated_[s].push_back({frame < 0 ? nullptr : &sceneData->frames[static_cast<std::size_t>(frame)], {}});
    }
}

void Model::LinkMeshes(const FrameLinks& links) {
  meshFrames_.clear();
  boneFrames_.clear();
  for (const XMesh& record : sceneData->meshes) {
    meshFrames_.push_back(links.Of(record.frame));
    std::vector<std::int32_t>& bones = boneFrames_.emplace_back();
    for (const XBone& bone : record.bones) bones.push_back(links.Named(bone.name));
  }
}

void Model::UpdatePose() {
  if (!sceneData) return;
  UpdateWorldMatrix();
  SampleAnimation();
  for (const PoseStep& step : poseOrder_) {
    D3DXMATRIX& combined = frameMatrices[step.index];
    if (step.parent >= 0) {
      D3DXMatrixMultiply(&combined, &step.frame->transform, &frameMatrices[static_cast<std::size_t>(step.parent)]);
    } else {
      combined = step.frame->transform;
    }
  }
}

void Model::PlaySet(std::uint32_t set) {
  if (!sceneData) return;
  for (std::size_t i = 0; i < sceneData->frames.size() && i < fileTransforms_.size(); ++i)
    sceneData->frames[i].transform = fileTransforms_[i];
  animationSet = set;
  animationTick = 0.0;
}

std::vector<std::uint32_t> Model::KeyTimes(std::uint32_t set) const {
  std::vector<std::uint32_t> times;
  if (!sceneData || set >= sceneData->animationSets.size()) return times;
  auto add = [&times](const auto& keys) {
    for (const auto& key : keys) times.push_back(key.first);
  };
  for (const XAnimation& animation : sceneData->animationSets[set].animations) {
    add(animation.rotationKeys);
    add(animation.scaleKeys);
    add(animation.positionKeys);
    add(animation.matrixKeys);
  }
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  return times;
}

D3DXMATRIX Model::MeshWorldMatrix(std::size_t i) const {
  if (i >= meshes.size() || i >= meshFrames_.size() || !meshes[i].record || !meshes[i].record->bones.empty() ||
      meshFrames_[i] < 0)
    return world;
  D3DXMATRIX placed;
  D3DXMatrixMultiply(&placed, &frameMatrices[static_cast<std::size_t>(meshFrames_[i])], &world);
  return placed;
}

void Model::UpdatePalette(std::size_t i) {
  if (i < meshes.size() && i < boneFrames_.size()) meshes[i].UpdatePalette(frameMatrices, boneFrames_[i]);
}

XFILE_SHAPE_END
