#include "SkinExport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "ConvertMessages.h"
#include "Handedness.h"
#include "SharedStretch.h"
#include "platform/TextConversion.h"
#include "xfile/ParseMessages.h"

namespace xfileconvert {

namespace {

// Where differing weights are said.
constexpr double kWeightSumTolerance = 1e-3;

bool IsFiniteMatrix(const D3DXMATRIX& m) {
  for (int i = 0; i < 16; ++i)
    if (!std::isfinite(m.m[i / 4][i % 4])) return false;
  return true;
}

// What one pass over a skinned mesh's influences finds.
struct SkinSurvey {
  std::vector<double> carried;  // each bone's weight over all vertices
  std::size_t mostPerVertex = 1;
  bool anyUnmoved = false;  // a vertex with no influence of weight above zero
};

SkinSurvey Survey(const XMesh& mesh) {
  SkinSurvey survey;
  survey.carried.assign(mesh.bones.size(), 0.0);
  for (const XVertex& vertex : mesh.vertices) {
    survey.mostPerVertex = std::max(survey.mostPerVertex, vertex.influences.size());
    bool moved = false;
    for (const XSkinInfluence& influence : vertex.influences)
      if (influence.bone < survey.carried.size() && influence.weight > 0 && std::isfinite(influence.weight)) {
        survey.carried[influence.bone] += influence.weight;
        moved = true;
      }
    survey.anyUnmoved = survey.anyUnmoved || !moved;
  }
  return survey;
}

// B, where the stored vertices stand: the placement that the bone carrying
// most of the mesh's weight gives them in the file's pose; the identity when
// no bone has a frame or that placement cannot be undone.
D3DXMATRIX BindPlacement(const ExportContext& context, const XMesh& mesh, const std::vector<int>& boneFrames,
                         const std::vector<double>& carried) {
  int heaviest = -1;
  for (std::size_t i = 0; i < carried.size(); ++i)
    if (boneFrames[i] >= 0 && (heaviest < 0 || carried[i] > carried[static_cast<std::size_t>(heaviest)]))
      heaviest = static_cast<int>(i);
  D3DXMATRIX bind, inverse;
  D3DXMatrixIdentity(&bind);
  if (heaviest < 0) return bind;
  D3DXMATRIX placed;
  D3DXMatrixMultiply(&placed, &mesh.bones[static_cast<std::size_t>(heaviest)].offset,
                     &context.filePose[static_cast<std::size_t>(boneFrames[static_cast<std::size_t>(heaviest)])]);
  if (IsFiniteMatrix(placed) && D3DXMatrixInverse(&inverse, nullptr, &placed) && IsFiniteMatrix(inverse)) return placed;
  return bind;
}

struct Influence {
  std::uint32_t joint;
  float weight;
};

}  // namespace

SkinnedMesh ExportSkin(ExportContext& context, const XMesh& mesh, std::map<std::string, int>& attributes) {
  GltfDocument& document = context.document;
  SkinnedMesh skinned;
  std::vector<int> boneFrames;
  for (const XBone& bone : mesh.bones) boneFrames.push_back(context.FrameNamed(bone.name));
  const SkinSurvey survey = Survey(mesh);
  skinned.bind = BindPlacement(context, mesh, boneFrames, survey.carried);
  D3DXMATRIX unbind;
  D3DXMatrixInverse(&unbind, nullptr, &skinned.bind);
  // A stretch that every joint's matrix shares goes into the stored vertices,
  // leaving the joints rigid.
  std::vector<D3DXMATRIX> jointMatrices;
  for (std::size_t i = 0; i < mesh.bones.size(); ++i)
    if (boneFrames[i] >= 0) D3DXMatrixMultiply(&jointMatrices.emplace_back(), &unbind, &mesh.bones[i].offset);
  D3DXMATRIX stretch;
  if (SharedStretch(jointMatrices, stretch)) {
    D3DXMatrixMultiply(&skinned.bind, &skinned.bind, &stretch);
    D3DXMatrixInverse(&unbind, nullptr, &skinned.bind);
  }

  // Joints: a frame's node once per skin; a second bone on the same frame
  // with another offset gets a node of its own there.
  GltfSkin skin;
  skin.name = mesh.name;
  std::vector<D3DXMATRIX> inverseBinds;
  std::int64_t staticJoint = -1;  // the skin's joint that nothing moves, once it has one
  std::map<std::pair<int, std::string>, std::uint32_t> jointOf;  // (frame, offset bytes) -> joint
  std::map<int, int> nodeUses;
  std::vector<std::uint32_t> boneJoints;
  auto addJoint = [&](int node, const D3DXMATRIX& inverseBind) {
    skin.joints.push_back(node);
    inverseBinds.push_back(Mirrored(inverseBind));
    return static_cast<std::uint32_t>(skin.joints.size() - 1);
  };
  auto unmoved = [&]() {
    if (staticJoint < 0) staticJoint = addJoint(context.StaticJoint(), unbind);
    return static_cast<std::uint32_t>(staticJoint);
  };
  for (std::size_t i = 0; i < mesh.bones.size(); ++i) {
    const int frame = boneFrames[i];
    if (frame < 0) {
      boneJoints.push_back(unmoved());
      continue;
    }
    const D3DXMATRIX& offset = mesh.bones[i].offset;
    std::pair<int, std::string> key(frame, std::string(reinterpret_cast<const char*>(&offset), sizeof offset));
    auto known = jointOf.find(key);
    if (known != jointOf.end()) {
      boneJoints.push_back(known->second);
      continue;
    }
    int node = context.frameNodes[static_cast<std::size_t>(frame)];
    if (nodeUses[node]++ > 0) {
      GltfNode helper;
      helper.name = mesh.bones[i].name;
      const int parent = node;
      node = context.AddNode(helper);
      document.nodes[static_cast<std::size_t>(parent)].children.push_back(node);
      context.nodeFrames[node] = frame;
    }
    D3DXMATRIX inverseBind;
    D3DXMatrixMultiply(&inverseBind, &unbind, &offset);
    boneJoints.push_back(jointOf[key] = addJoint(node, inverseBind));
  }

  // Influences per vertex, heaviest first, written straight into JOINTS_n and
  // WEIGHTS_n: as many sets of four as the vertex with most influences needs.
  const std::size_t vertexCount = mesh.vertices.size();
  if (survey.anyUnmoved) unmoved();  // before the joints are counted
  const bool wideJoints = skin.joints.size() > 256;
  const std::size_t sets = (survey.mostPerVertex + 3) / 4;
  std::vector<int> jointAccessors, weightAccessors;
  for (std::size_t set = 0; set < sets; ++set) {
    jointAccessors.push_back(
        document.AddAccessor(vertexCount, wideJoints ? kUnsignedShort : kUnsignedByte, "VEC4", kArrayBuffer));
    weightAccessors.push_back(document.AddAccessor(vertexCount, kFloat, "VEC4", kArrayBuffer));
    attributes["JOINTS_" + std::to_string(set)] = jointAccessors.back();
    attributes["WEIGHTS_" + std::to_string(set)] = weightAccessors.back();
  }
  std::vector<std::uint8_t*> narrowJoints;
  std::vector<std::uint16_t*> wide;
  std::vector<float*> weights;
  for (std::size_t set = 0; set < sets; ++set) {
    narrowJoints.push_back(document.Data<std::uint8_t>(jointAccessors[set]));
    wide.push_back(document.Data<std::uint16_t>(jointAccessors[set]));
    weights.push_back(document.Data<float>(weightAccessors[set]));
  }

  std::size_t renormalised = 0;
  double furthest = 0;
  std::vector<Influence> vertexInfluences;
  for (std::size_t v = 0; v < vertexCount; ++v) {
    vertexInfluences.clear();
    for (const XSkinInfluence& influence : mesh.vertices[v].influences)
      if (influence.weight > 0 && std::isfinite(influence.weight) && influence.bone < boneJoints.size())
        vertexInfluences.push_back({boneJoints[influence.bone], influence.weight});
    // Influences on one joint are one: glTF names a joint once per vertex.
    if (vertexInfluences.size() > 1) {
      std::sort(vertexInfluences.begin(), vertexInfluences.end(),
                [](const Influence& a, const Influence& b) { return a.joint < b.joint; });
      std::size_t kept = 0;
      for (std::size_t k = 1; k < vertexInfluences.size(); ++k) {
        if (vertexInfluences[k].joint == vertexInfluences[kept].joint) {
          vertexInfluences[kept].weight += vertexInfluences[k].weight;
        } else {
          vertexInfluences[++kept] = vertexInfluences[k];
        }
      }
      vertexInfluences.resize(kept + 1);
    }
    if (vertexInfluences.empty()) vertexInfluences.push_back({unmoved(), 1.0f});
    double sum = 0;
    for (const Influence& influence : vertexInfluences) sum += influence.weight;
    if (std::fabs(sum - 1.0) > kWeightSumTolerance) {
      ++renormalised;
      furthest = std::max(furthest, std::fabs(sum - 1.0));
    }
    if (vertexInfluences.size() > 1)
      std::sort(vertexInfluences.begin(), vertexInfluences.end(),
                [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
    // Normalised, then the rounding to float left over is given to the heaviest.
    double stored = 0;
    for (Influence& influence : vertexInfluences) {
      influence.weight = static_cast<float>(influence.weight / sum);
      stored += influence.weight;
    }
    vertexInfluences.front().weight = static_cast<float>(vertexInfluences.front().weight + (1.0 - stored));
    for (std::size_t k = 0; k < vertexInfluences.size(); ++k) {
      const std::size_t set = k / 4, at = v * 4 + k % 4;
      if (wideJoints) {
        wide[set][at] = static_cast<std::uint16_t>(vertexInfluences[k].joint);
      } else {
        narrowJoints[set][at] = static_cast<std::uint8_t>(vertexInfluences[k].joint);
      }
      weights[set][at] = vertexInfluences[k].weight;
    }
  }
  if (renormalised > 0)
    Say(ConvertMessage::WeightsNormalised, context.input.c_str(), ToUtf8(ShownName(mesh.name)).c_str(), renormalised,
        furthest);

  // The matrices, each as glTF stores its column-vector form: column by
  // column, which is the row-vector matrix row by row. Their fourth column is
  // exactly (0, 0, 0, 1), as glTF requires: the viewers skin with the first
  // three columns alone, and a file's offsets may hold 0.99999994 there.
  skin.inverseBindMatrices = document.AddAccessor(inverseBinds.size(), kFloat, "MAT4", kNoTarget);
  float* matrices = document.Data<float>(skin.inverseBindMatrices);
  for (const D3DXMATRIX& m : inverseBinds)
    for (int i = 0; i < 16; ++i) *matrices++ = i % 4 < 3 ? m.m[i / 4][i % 4] : (i == 15 ? 1.0f : 0.0f);
  document.skins.push_back(skin);
  skinned.skin = static_cast<int>(document.skins.size() - 1);
  return skinned;
}

}  // namespace xfileconvert
