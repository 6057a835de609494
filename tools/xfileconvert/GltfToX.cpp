#include "GltfToX.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

#include "ConvertMessages.h"
#include "GltfAnimationToX.h"
#include "GltfImageFiles.h"
#include "GltfMeshToX.h"
#include "Handedness.h"
#include "OutputFile.h"
#include "BinaryFormat.h"
#include "XFileOutput.h"
#include "XFileWriter.h"
#include "XTemplates.h"

namespace xfileconvert {

void GltfToXContext::NotHeld(const std::string& what, const std::string& instead) {
  if (said_.insert("held " + what).second) Say(ConvertMessage::NotHeld, input.c_str(), what.c_str(), instead.c_str());
}

void GltfToXContext::LeftOut(const std::string& part, const std::string& why) {
  if (said_.insert("out " + part).second) Say(ConvertMessage::LeftOut, input.c_str(), part.c_str(), why.c_str());
}

D3DXMATRIX MirroredMatrix(const float* columnMajor) {
  // glTF's column-major numbers, read row by row, are the row-vector form of its matrix.
  return Mirrored(D3DXMATRIX(columnMajor));
}

D3DXMATRIX LocalMatrixOf(const tinygltf::Node& node) {
  if (node.matrix.size() == 16) {
    float m[16];
    for (std::size_t i = 0; i < 16; ++i) m[i] = static_cast<float>(node.matrix[i]);
    return MirroredMatrix(m);
  }
  Trs parts;
  for (std::size_t i = 0; i < 3 && i < node.translation.size(); ++i) parts.translation[i] = static_cast<float>(node.translation[i]);
  for (std::size_t i = 0; i < 4 && i < node.rotation.size(); ++i) parts.rotation[i] = static_cast<float>(node.rotation[i]);
  for (std::size_t i = 0; i < 3 && i < node.scale.size(); ++i) parts.scale[i] = static_cast<float>(node.scale[i]);
  return Mirrored(Compose(parts));
}

namespace {

bool ValidNode(const tinygltf::Model& model, int node) {
  return node >= 0 && static_cast<std::size_t>(node) < model.nodes.size();
}

// The nodes the file shows: the default scene's (else the first scene's,
// else every node no other names as its child), each once, parents first.
// Names every node's frame and measures the model.
void PlanScene(GltfToXContext& context) {
  const tinygltf::Model& model = context.model;
  std::vector<int> roots;
  if (!model.scenes.empty()) {
    const std::size_t scene =
        model.defaultScene >= 0 && static_cast<std::size_t>(model.defaultScene) < model.scenes.size()
            ? static_cast<std::size_t>(model.defaultScene)
            : 0;
    roots = model.scenes[scene].nodes;
    if (model.scenes.size() > 1) context.NotHeld("several scenes", "the default scene is written");
  } else {
    std::vector<bool> child(model.nodes.size(), false);
    for (const tinygltf::Node& node : model.nodes)
      for (int c : node.children)
        if (ValidNode(model, c)) child[static_cast<std::size_t>(c)] = true;
    for (std::size_t n = 0; n < model.nodes.size(); ++n)
      if (!child[n]) roots.push_back(static_cast<int>(n));
  }
  context.frameOf.assign(model.nodes.size(), std::string());
  context.parentOf.assign(model.nodes.size(), -1);
  std::vector<D3DXMATRIX> world(model.nodes.size());
  std::vector<bool> placed(model.nodes.size(), false);
  std::vector<std::pair<int, int>> stack;  // node, parent
  for (auto root = roots.rbegin(); root != roots.rend(); ++root) stack.emplace_back(*root, -1);
  D3DXVECTOR3 low(1e30f, 1e30f, 1e30f), high(-1e30f, -1e30f, -1e30f);
  while (!stack.empty()) {
    const auto [node, parent] = stack.back();
    stack.pop_back();
    if (!ValidNode(model, node)) continue;
    if (placed[static_cast<std::size_t>(node)]) {
      context.LeftOut("node " + std::to_string(node) + "'s second place in the hierarchy",
                      "a node stands in one place only");
      continue;
    }
    placed[static_cast<std::size_t>(node)] = true;
    context.sceneNodes.push_back(node);
    context.parentOf[static_cast<std::size_t>(node)] = parent;
    const tinygltf::Node& n = model.nodes[static_cast<std::size_t>(node)];
    context.frameOf[static_cast<std::size_t>(node)] = context.names.Unique(n.name, "frame" + std::to_string(node));
    const D3DXMATRIX local = LocalMatrixOf(n);
    D3DXMATRIX& global = world[static_cast<std::size_t>(node)];
    global = local;
    if (parent >= 0) D3DXMatrixMultiply(&global, &local, &world[static_cast<std::size_t>(parent)]);
    if (n.camera >= 0) context.NotHeld("cameras", "they are left out");
    if (n.extensions.count("KHR_lights_punctual")) context.NotHeld("lights", "they are left out");
    for (const D3DXVECTOR3& p : MeshCorners(context, n.mesh)) {
      // A skin places its vertices by its joints, near where they lie; the
      // other meshes stand where their nodes put them.
      D3DXVECTOR3 out(p.x, p.y, -p.z);
      if (n.skin < 0) D3DXVec3TransformCoord(&out, &out, &global);
      low = D3DXVECTOR3(std::min(low.x, out.x), std::min(low.y, out.y), std::min(low.z, out.z));
      high = D3DXVECTOR3(std::max(high.x, out.x), std::max(high.y, out.y), std::max(high.z, out.z));
    }
    for (auto child = n.children.rbegin(); child != n.children.rend(); ++child) stack.emplace_back(*child, node);
  }
  if (high.x >= low.x) {
    const D3DXVECTOR3 diagonal = high - low;
    const double size = std::sqrt(double{diagonal.x} * diagonal.x + double{diagonal.y} * diagonal.y +
                                  double{diagonal.z} * diagonal.z);
    if (size > 0 && std::isfinite(size)) context.modelSize = size;
  }
}

// Every frame of the scene with its transform, its mesh and its children,
// in the order PlanScene found them.
void WriteFrames(GltfToXContext& context, GltfImageFiles& images) {
  const tinygltf::Model& model = context.model;
  XDataWriter& writer = context.writer;
  std::vector<int> open;  // the frames whose records are open, innermost last
  for (int node : context.sceneNodes) {
    const int parent = context.parentOf[static_cast<std::size_t>(node)];
    while (!open.empty() && open.back() != parent) {
      writer.End();
      open.pop_back();
    }
    const tinygltf::Node& n = model.nodes[static_cast<std::size_t>(node)];
    writer.Begin(StandardTemplate("Frame"), context.frameOf[static_cast<std::size_t>(node)]);
    writer.Begin(StandardTemplate("FrameTransformMatrix"));
    const D3DXMATRIX local = LocalMatrixOf(n);
    for (int row = 0; row < 4; ++row)
      for (int col = 0; col < 4; ++col) writer.Float(local.m[row][col]);
    writer.End();
    WriteMeshOfNode(context, node, images);
    open.push_back(node);
  }
  while (!open.empty()) {
    writer.End();
    open.pop_back();
  }
}

// The standard templates the file will use, known before it is written (so
// that its declarations come first while the body streams to the output):
// those of the kinds of record the glTF's parts become.
std::set<const XTemplate*> TemplatesFor(const GltfToXContext& context) {
  const tinygltf::Model& model = context.model;
  std::set<std::string> kinds{"AnimTicksPerSecond", "Frame", "FrameTransformMatrix"};
  for (int node : context.sceneNodes) {
    const tinygltf::Node& n = model.nodes[static_cast<std::size_t>(node)];
    if (n.mesh < 0 || static_cast<std::size_t>(n.mesh) >= model.meshes.size()) continue;
    kinds.insert({"Mesh", "MeshMaterialList", "Material"});
    if (n.skin >= 0) kinds.insert({"XSkinMeshHeader", "SkinWeights"});
    for (const tinygltf::Primitive& primitive : model.meshes[static_cast<std::size_t>(n.mesh)].primitives) {
      if (primitive.attributes.count("NORMAL")) kinds.insert("MeshNormals");
      if (primitive.attributes.count("TEXCOORD_0")) kinds.insert("MeshTextureCoords");
      if (primitive.attributes.count("COLOR_0")) kinds.insert("MeshVertexColors");
      if (primitive.material >= 0 && static_cast<std::size_t>(primitive.material) < model.materials.size() &&
          model.materials[static_cast<std::size_t>(primitive.material)].pbrMetallicRoughness.baseColorTexture.index >= 0)
        kinds.insert("TextureFilename");
    }
  }
  if (!model.animations.empty()) kinds.insert({"AnimationSet", "Animation", "AnimationKey"});
  std::set<const XTemplate*> templates;
  for (const std::string& kind : kinds) templates.insert(&StandardTemplate(kind));
  return templates;
}

}  // namespace

bool ConvertGltfToX(const ConversionJob& job, const ConvertOptions& options) {
  GltfAsset asset;
  std::string reason;
  if (!asset.Load(job.input, reason)) {
    Say(ConvertMessage::NotRead, job.input.c_str(), reason.c_str());
    return false;
  }
  for (const std::string& warning : asset.Warnings()) Say(ConvertMessage::GltfWarning, job.input.c_str(), warning.c_str());
  const XFileFormat format = XFileFormatNamed(options.xFormat, options.floatBytes, options.blockBytes);
  XDataWriter writer(format.encoding, format.floatBytes);
  GltfToXContext context(asset, options, job.input, writer);
  GltfImageFiles images(context, job.output);
  PlanScene(context);

  // The file streams to its output as it is written: a large model is never
  // held whole, in text or compressed.
  StreamedFile output;
  if (!output.Open(job.output, reason)) {
    Say(ConvertMessage::NotWritten, job.input.c_str(), job.output.c_str(), reason.c_str());
    return false;
  }
  std::optional<MszipWriter> container;
  if (format.compressed)
    container.emplace([&output](std::string_view piece) { output.Write(piece); },
                      format.encoding == XEncoding::Binary ? "bzip" : "tzip", format.blockBytes);
  writer.StreamTo([&](std::string_view piece) {
    if (container) {
      container->Write(piece);
    } else {
      output.Write(piece);
    }
  });
  const std::string head = XFileHead(format, DeclarationsOf({}, TemplatesFor(context), options.declareTemplates));
  container ? container->Write(head) : output.Write(head);

  const unsigned ticksPerSecond = ChooseTicksPerSecond(context);
  writer.Begin(StandardTemplate("AnimTicksPerSecond"));
  writer.Integer(ticksPerSecond);
  writer.End();
  WriteFrames(context, images);
  WriteAnimations(context, ticksPerSecond);
  writer.Flush();
  if (container) output.Patch(kHeaderBytes, container->Finish());
  const XWriteAdjustments& adjusted = writer.Adjustments();
  if (adjusted.notFinite)
    Say(ConvertMessage::NotFinite, job.input.c_str(), static_cast<unsigned long long>(adjusted.notFinite));
  StagedFiles staged;
  if (!output.Stage(staged, reason) || !staged.Commit(reason)) {
    Say(ConvertMessage::NotWritten, job.input.c_str(), job.output.c_str(), reason.c_str());
    return false;
  }
  images.WriteAll();
  return true;
}

}  // namespace xfileconvert
