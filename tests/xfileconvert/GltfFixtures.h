// Small glTF files the tests make, each showing one thing glTF allows (or a
// hostile file shows): a glTF asset's JSON written here with its one buffer
// as a data: URI, so that each file says in a few lines what it holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace convert_test {

class GltfFile {
 public:
  // Adds a buffer view over `bytes` (4-byte aligned in the buffer); returns its index.
  int View(const std::string& bytes, int stride = 0);
  // Adds an accessor over a view; `extra` is more JSON members (",\"normalized\":true").
  int Accessor(int view, int componentType, int count, const char* type, const std::string& extra = "");
  // Floats as a view and an accessor of `type` ("VEC3"), with min and max where `bounds`.
  int Floats(const std::vector<float>& values, const char* type, bool bounds = false);
  // Unsigned shorts as indices.
  int Indices(const std::vector<std::uint16_t>& indices);

  // The whole file: the buffer, views and accessors, and `members` (the
  // rest of the top-level object, e.g. "\"nodes\":[...],\"meshes\":[...]").
  std::string Json(const std::string& members) const;

  std::string buffer;  // what the views lie in

 private:
  std::vector<std::string> views_, accessors_;
};

template <typename T>
std::string BytesOf(const std::vector<T>& values) {
  return std::string(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}

// The files, by what they show. Each animates or places its meshes so that
// a pose shows whether the converter kept what it holds.
std::string ShearedNodeGltf();           // a node matrix with shear
std::string MeshUsedTwiceGltf();         // one mesh, two nodes
std::string SparseGltf();                // positions with a sparse accessor over them
std::string QuantizedGltf();             // KHR_mesh_quantization: short positions, normalized byte normals
std::string JointsUnderTwoRootsGltf();   // a skin whose joints lie under two top nodes, animated
std::string MeshoptGltf();               // EXT_meshopt_compression, required
std::string DracoGltf();                 // KHR_draco_mesh_compression, required
std::string RequiresUnknownGltf();       // requires an extension nobody honours
std::string HostileGltf();               // a joint past its skin, an accessor past its buffer, NaN

}  // namespace convert_test
