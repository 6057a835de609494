// What the parts of a glTF to .x conversion share: the asset, the writer,
// the names given, the frames of the scene's nodes, the model's size, and
// what has been said about the file.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <set>
#include <string>
#include <vector>

#include "ConvertOptions.h"
#include "GltfAsset.h"
#include "XDataWriter.h"
#include "XNames.h"

namespace xfileconvert {

struct GltfToXContext {
  GltfToXContext(const GltfAsset& asset, const ConvertOptions& options, const std::string& input, XDataWriter& writer)
      : asset(asset), model(asset.Model()), options(options), input(input), writer(writer) {}

  const GltfAsset& asset;
  const tinygltf::Model& model;
  const ConvertOptions& options;
  const std::string& input;  // for messages
  XDataWriter& writer;
  XNames names;
  // The frame each node is written as; empty for a node outside the scene.
  std::vector<std::string> frameOf;
  // The nodes of the scene, parents before children, as they are written,
  // and each node's parent there (-1 at the top and outside the scene).
  std::vector<int> sceneNodes;
  std::vector<int> parentOf;
  // The diagonal of the box of the model's vertices, placed by their nodes
  // (1 for a model without any): how far apart two poses may lie is a share
  // of it.
  double modelSize = 1;

  // Says once per file that a .x file cannot hold `what`, and what the
  // converter does instead.
  void NotHeld(const std::string& what, const std::string& instead);
  // Says once per kind that a part of the file is left out, and why.
  void LeftOut(const std::string& part, const std::string& why);

 private:
  std::set<std::string> said_;
};

// A node's local transform in the .x file's left-handed space (row vectors,
// Z mirrored).
D3DXMATRIX LocalMatrixOf(const tinygltf::Node& node);

// A glTF matrix (16 numbers, column-major) in the .x file's space.
D3DXMATRIX MirroredMatrix(const float* columnMajor);

}  // namespace xfileconvert
