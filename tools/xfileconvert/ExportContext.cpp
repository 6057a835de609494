#include "ExportContext.h"

#include <limits>

namespace xfileconvert {

ExportContext::ExportContext(LoadedModel& loaded, std::string inputName, GltfDocument& gltf)
    : model(loaded), input(std::move(inputName)), document(gltf) {
  XFileScene& scene = model.scene;
  for (std::size_t i = 0; i < scene.frames.size(); ++i) {
    fileTransforms.push_back(scene.frames[i].transform);
    frameIndex.emplace(&scene.frames[i], static_cast<int>(i));
    firstNamed.try_emplace(scene.frames[i].name, static_cast<int>(i));
  }
  pose.Setup(nullptr, &scene);
  // A set the scene does not have changes no frame: the file's own pose.
  pose.animationSet = std::numeric_limits<std::uint32_t>::max();
  pose.UpdatePose();
  filePose = pose.frameMatrices;
  // A parent always comes before its child in file order.
  const std::vector<std::int32_t>& parents = pose.FrameParents();
  for (std::size_t f = 0; f < parents.size(); ++f) {
    const std::int32_t parent = parents[f];
    topFrames_.push_back(parent >= 0 && static_cast<std::size_t>(parent) < f
                             ? topFrames_[static_cast<std::size_t>(parent)]
                             : static_cast<int>(f));
  }
}

int ExportContext::FrameNamed(const std::wstring& name) const {
  auto found = firstNamed.find(name);
  return found == firstNamed.end() ? -1 : found->second;
}

int ExportContext::FrameOf(const XMesh& mesh) const {
  auto found = mesh.frame ? frameIndex.find(mesh.frame) : frameIndex.end();
  return found == frameIndex.end() ? -1 : found->second;
}

int ExportContext::TopFrameOf(int frame) const {
  return frame >= 0 && static_cast<std::size_t>(frame) < topFrames_.size() ? topFrames_[static_cast<std::size_t>(frame)]
                                                                           : frame;
}

int ExportContext::AddNode(GltfNode node) {
  document.nodes.push_back(std::move(node));
  return static_cast<int>(document.nodes.size() - 1);
}

int ExportContext::RootNode() {
  if (root_ < 0) {
    GltfNode root;
    root.name = L"root";
    root_ = AddNode(root);
    topNodes.insert(topNodes.begin(), root_);
  }
  return root_;
}

int ExportContext::StaticJoint() {
  if (staticJoint_ < 0) {
    GltfNode joint;
    joint.name = L"unmoved skin";
    const int root = RootNode();
    staticJoint_ = AddNode(joint);
    document.nodes[static_cast<std::size_t>(root)].children.push_back(staticJoint_);
  }
  return staticJoint_;
}

double TicksPerSecondOf(const XFileScene& scene) {
  return scene.ticksPerSecond > 0 ? static_cast<double>(scene.ticksPerSecond) : 60.0;
}

}  // namespace xfileconvert
