// A glTF 2.0 file read for conversion to .x, by tinygltf: the model as
// tinygltf gives it, its compressed data decoded (EXT_meshopt_compression
// and KHR_draco_mesh_compression, where the build has their decoders), and
// every read of its data checked against the data, so that no index or size
// in the file is trusted.
#pragma once

#include <tiny_gltf.h>

#include <cstdint>
#include <string>
#include <vector>

namespace xfileconvert {

// The values of one accessor: `count` elements of `components` numbers each.
template <typename T>
struct AccessorValues {
  std::vector<T> values;
  int components = 0;
  std::size_t Count() const { return components ? values.size() / static_cast<std::size_t>(components) : 0; }
  const T* At(std::size_t element) const { return values.data() + element * static_cast<std::size_t>(components); }
};

class GltfAsset {
 public:
  // Reads `path` (.glb or .gltf with its buffers and images, external or
  // `data:` URIs). False with `reason` (one line) for a file that is not
  // glTF 2.0, or that requires an extension this build cannot honour (the
  // extension named).
  bool Load(const std::string& path, std::string& reason);

  const tinygltf::Model& Model() const { return model_; }
  // What tinygltf warned of while reading, one line each.
  const std::vector<std::string>& Warnings() const { return warnings_; }

  // An accessor's values as floats: normalized integers mapped to [0, 1] or
  // [-1, 1], other integers as their values; sparse values applied. False
  // with `reason` where the accessor or its data is not there or does not
  // hold what it claims.
  bool Floats(int accessor, AccessorValues<float>& out, std::string& reason) const;
  // An accessor's values as unsigned integers (indices, joints); floats and
  // negative numbers are refused.
  bool Integers(int accessor, AccessorValues<std::uint32_t>& out, std::string& reason) const;

  // The bytes of an image as the file holds them (a PNG or JPEG file's
  // bytes), with its MIME type ("image/png"; guessed from the bytes where the
  // file names none). False with `reason` where they are not there.
  bool ImageBytes(int image, std::string& bytes, std::string& mimeType, std::string& reason) const;

 private:
  bool DecodeMeshopt(std::string& reason);
  bool DecodeDraco(std::string& reason);
  template <typename T>
  bool Read(int accessor, AccessorValues<T>& out, bool integers, std::string& reason) const;

  tinygltf::Model model_;
  std::vector<std::string> warnings_;
};

}  // namespace xfileconvert
