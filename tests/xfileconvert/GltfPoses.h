// A converted model read back with tinygltf and posed as glTF defines it: the
// nodes' transforms with an animation's channels sampled at one time
// (LINEAR: translation and scale blended straight, rotation spherically the
// shorter way; STEP held; CUBICSPLINE by its Hermite tangents), and every mesh's vertices placed by its node or its skin
// (sum of weight x joint global matrix x inverse bind matrix). Written here
// from the glTF specification, sharing nothing with the converter.
#pragma once

#include <tiny_gltf.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace convert_test {

using Vec3 = std::array<double, 3>;
using Mat4 = std::array<double, 16>;  // column-major, as glTF stores matrices

// Reads a .glb or .gltf; false with `error`.
bool LoadGltf(const std::string& path, tinygltf::Model& model, std::string& error);

// An accessor's elements, every component as a double (normalised integers
// mapped to [0, 1] or [-1, 1]; sparse values applied).
std::vector<double> ReadAccessor(const tinygltf::Model& model, int accessor);

// Every node's global matrix, with animation `animation` (-1: none) at `time` seconds.
std::vector<Mat4> NodeGlobals(const tinygltf::Model& model, int animation, double time);

// Every mesh's vertex positions (by mesh index) as its node places them:
// skinned by the node's skin, else by the node's global matrix.
std::vector<std::vector<Vec3>> PosedMeshes(const tinygltf::Model& model, int animation, double time);

// The nodes of the default scene, each before its children, in the order
// of the scene's and the nodes' own lists.
std::vector<int> SceneNodes(const tinygltf::Model& model);

// The vertices of every use of a mesh by a node of the scene, in SceneNodes'
// order: its triangle primitives' vertices one after another (once for
// primitives that share their accessors), skinned by the node's skin, else
// placed by the node.
std::vector<std::vector<Vec3>> PosedMeshUses(const tinygltf::Model& model, int animation, double time);

// The largest distance between two posings of the same meshes, vertex by
// vertex (a failure is recorded where their meshes or vertices differ in number).
double Apart(const std::vector<std::vector<Vec3>>& a, const std::vector<std::vector<Vec3>>& b);

// Every input time of an animation's samplers, ascending and distinct.
std::vector<double> AnimationTimes(const tinygltf::Model& model, int animation);

}  // namespace convert_test
