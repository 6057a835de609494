// What the parts of one model's conversion to glTF share: the parsed model,
// the viewers' own posing of it, the document being built and the nodes
// made so far.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "GltfDocument.h"
#include "ReaderAdapter.h"
#include "model/Model.h"

namespace xfileconvert {

struct ExportContext {
  ExportContext(LoadedModel& loaded, std::string inputName, GltfDocument& gltf);

  LoadedModel& model;
  std::string input;  // the input file as given, for messages
  GltfDocument& document;
  // The viewers' Model over the scene, without a device: it poses the frames
  // and samples the animation sets exactly as the viewers draw them.
  Model pose;
  std::vector<D3DXMATRIX> fileTransforms;   // each frame's local matrix as the file gives it
  std::vector<D3DXMATRIX> filePose;         // each frame's combined matrix in the file's pose
  std::vector<int> frameNodes;              // each frame's node
  std::unordered_map<int, int> nodeFrames;  // the frame of each frame's node, and of nodes made on a frame
  std::unordered_map<const XFrame*, int> frameIndex;
  // Bones and animations name frames: the first frame of the name in file
  // order, as the viewers bind them.
  std::unordered_map<std::wstring, int> firstNamed;
  std::vector<int> topNodes;  // nodes outside every frame: meshes and the root

  // The frame a bone or an animation names; -1 when the file has none of that name.
  int FrameNamed(const std::wstring& name) const;
  // The frame a mesh record lies in; -1 at the top of the file.
  int FrameOf(const XMesh& mesh) const;
  // A node above every frame at the top of the file, made when first asked
  // for: the joints of a skin must share one root, and joints that no frame
  // moves hang on it.
  int RootNode();
  bool HasRootNode() const { return root_ >= 0; }
  // A joint that nothing moves, on the root node: bones whose frame the file
  // lacks and vertices that no bone moves are bound to it.
  int StaticJoint();
  // The frame at the top of the file above `frame`.
  int TopFrameOf(int frame) const;
  // Adds a node; returns its index.
  int AddNode(GltfNode node);

 private:
  int root_ = -1;
  int staticJoint_ = -1;
  std::vector<int> topFrames_;  // each frame's frame at the top
};

// The viewers' rule for a non-positive AnimTicksPerSecond: 60.
double TicksPerSecondOf(const XFileScene& scene);

}  // namespace xfileconvert
