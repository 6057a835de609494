#include "ModelToGltf.h"

#include <algorithm>
#include <functional>
#include <future>
#include <set>

#include "AnimationExport.h"
#include "ConvertMessages.h"
#include "ExportContext.h"
#include "GltfFiles.h"
#include "Handedness.h"
#include "MaterialExport.h"
#include "MeshExport.h"
#include "NonFiniteNumbers.h"
#include "platform/TextConversion.h"
#include "xfile/ParseMessages.h"

namespace xfileconvert {

namespace {

// A frame's shear is said where glTF's parts of it are further off than this share of its scale.
constexpr float kSaidShear = 1e-4f;

// Every frame as a node, named as the frame, its children as in the file.
void ExportFrames(ExportContext& context) {
  const XFileScene& scene = context.model.scene;
  const std::vector<std::int32_t>& parents = context.pose.FrameParents();
  for (std::size_t f = 0; f < scene.frames.size(); ++f) {
    GltfNode node;
    node.name = scene.frames[f].name;
    float shear = 0;
    const Trs parts = Decompose(Mirrored(context.fileTransforms[f]), &shear);
    if (shear > kSaidShear)
      Say(ConvertMessage::TransformApproximated, context.input.c_str(), ToUtf8(ShownName(node.name)).c_str(),
          static_cast<double>(shear));
    node.translation = parts.translation;
    node.rotation = parts.rotation;
    node.scale = parts.scale;
    context.frameNodes.push_back(context.AddNode(node));
    context.nodeFrames[context.frameNodes.back()] = static_cast<int>(f);
  }
  for (std::size_t f = 0; f < scene.frames.size(); ++f) {
    const std::int32_t parent = parents[f];
    if (parent < 0 || static_cast<std::size_t>(parent) >= f) continue;  // parents come first in file order
    GltfNode& above =
        context.document.nodes[static_cast<std::size_t>(context.frameNodes[static_cast<std::size_t>(parent)])];
    above.children.push_back(context.frameNodes[f]);
  }
}

// The scene's top: the frames at the top of the file (under the root node
// when there is one) and the nodes outside every frame. The root is made
// where a skin's joints lie under more than one top frame.
void FinishScene(ExportContext& context) {
  GltfDocument& document = context.document;
  const std::vector<std::int32_t>& parents = context.pose.FrameParents();
  for (const GltfSkin& skin : document.skins) {
    std::set<int> tops;
    for (int joint : skin.joints) {
      auto frame = context.nodeFrames.find(joint);
      // The static joint is on the root already.
      tops.insert(frame == context.nodeFrames.end() ? -1 : context.TopFrameOf(frame->second));
    }
    if (tops.size() > 1) context.RootNode();
  }
  std::vector<int> topFrames;
  for (std::size_t f = 0; f < parents.size(); ++f)
    if (parents[f] < 0) topFrames.push_back(context.frameNodes[f]);
  if (context.HasRootNode()) {
    std::vector<int>& children = document.nodes[static_cast<std::size_t>(context.RootNode())].children;
    children.insert(children.begin(), topFrames.begin(), topFrames.end());
    document.sceneNodes = context.topNodes;
  } else {
    document.sceneNodes = topFrames;
    document.sceneNodes.insert(document.sceneNodes.end(), context.topNodes.begin(), context.topNodes.end());
  }
  // Each skin's skeleton: the root, or the top frame all its joints lie under.
  for (GltfSkin& skin : document.skins) {
    if (context.HasRootNode()) {
      skin.skeleton = context.RootNode();
      continue;
    }
    auto frame = context.nodeFrames.find(skin.joints.front());
    if (frame != context.nodeFrames.end())
      skin.skeleton = context.frameNodes[static_cast<std::size_t>(context.TopFrameOf(frame->second))];
  }
}

}  // namespace

GltfDocument BuildGltf(LoadedModel& model, const std::string& input) {
  GltfDocument document;
  document.generator = std::string("XViewer xfileconvert ") + XVIEW_VERSION;
  // Room for the buffer at once, so that it is never copied as it grows; what
  // is not used is never touched.
  std::size_t room = std::size_t{1} << 20;
  for (const XMesh& mesh : model.scene.meshes)
    room += mesh.vertices.size() * (mesh.bones.empty() ? 32 : 72) + mesh.faces.size() * 12;
  document.binary.Reserve(room);
  ReplaceNonFiniteNumbers(model.scene, input);
  ExportContext context(model, input, document);
  // The boxes the animations are checked with are measured on a second
  // core while the meshes are written (in a build without threads, the
  // page's WebAssembly, when they are needed).
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
  constexpr std::launch kMeasuring = std::launch::deferred;
#else
  constexpr std::launch kMeasuring = std::launch::async;
#endif
  std::future<CarriedBoxes> carried = std::async(kMeasuring, MeasureCarriedBoxes, std::cref(context));
  ExportFrames(context);
  MaterialExport materials(context);
  ExportMeshes(context, materials);
  ExportAnimations(context, carried.get());
  FinishScene(context);
  return document;
}

bool ConvertToGltf(const ConversionJob& job, OutputKind kind) {
  std::unique_ptr<LoadedModel> model = LoadModelRecords(FromUtf8(job.input));
  if (!model) return false;
  GltfDocument document = BuildGltf(*model, job.input);
  model.reset();  // the records are not needed for writing
  std::string reason;
  if (!WriteGltfFiles(document, job.output, kind, reason)) {
    Say(ConvertMessage::NotWritten, job.input.c_str(), job.output.c_str(), reason.c_str());
    return false;
  }
  return true;
}

}  // namespace xfileconvert
