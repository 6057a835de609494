#include "GltfImageFiles.h"

#include <fstream>
#include <iterator>

#include "ConvertMessages.h"
#include "OutputFile.h"
#include "TextureImages.h"

namespace xfileconvert {

namespace {

// The file's bytes; nullopt-like false where there is no file.
bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(Utf8Path(path), std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

std::string StemOf(const std::string& name) {
  const std::u8string stem8 = Utf8Path(name).stem().u8string();
  const std::string stem(stem8.begin(), stem8.end());
  return stem.empty() ? name : stem;
}

}  // namespace

GltfImageFiles::GltfImageFiles(GltfToXContext& context, const std::string& output) : context_(context) {
  const std::size_t slash = output.find_last_of("/\\");
  folder_ = slash == std::string::npos ? std::string() : output.substr(0, slash + 1);
  stem_ = FileNamePart(StemOf(output.substr(folder_.size())));
}

std::string GltfImageFiles::NameOf(int image) {
  auto known = files_.find(image);
  if (known != files_.end()) return known->second.name;
  File& file = files_[image];
  std::string mimeType, reason;
  if (!context_.asset.ImageBytes(image, file.bytes, mimeType, reason)) {
    context_.LeftOut("image " + std::to_string(image), reason);
    return std::string();
  }
  if (mimeType != "image/png" && mimeType != "image/jpeg") {
    // Other images are written as PNG, where the layer's decoder reads them.
    TextureImage converted;
    if (!TextureImageOf(std::vector<std::uint8_t>(file.bytes.begin(), file.bytes.end()), converted, reason)) {
      context_.LeftOut("image " + std::to_string(image),
                       "it is " + (mimeType.empty() ? std::string("of no known type") : mimeType) +
                           ", which the converter cannot decode (" + reason + ")");
      file.bytes.clear();
      return std::string();
    }
    file.bytes = std::move(converted.bytes);
    mimeType = converted.mimeType;
  }
  // Named after the output and the image's name, else its file's, else its
  // number, as the .gltf output names the textures beside it.
  const tinygltf::Image& source = context_.model.images[static_cast<std::size_t>(image)];
  std::string part = FileNamePart(StemOf(source.name));
  if (part.find_first_not_of("._") == std::string::npos && !source.uri.empty() && source.uri.compare(0, 5, "data:") != 0)
    part = FileNamePart(StemOf(source.uri.substr(source.uri.find_last_of("/\\") + 1)));
  if (part.find_first_not_of("._") == std::string::npos) part = "image" + std::to_string(image);
  const std::string base = stem_ + "-" + part;
  const std::string extension = mimeType == "image/png" ? ".png" : ".jpg";
  for (int n = 1;; ++n) {
    const std::string name = base + (n > 1 ? "-" + std::to_string(n) : std::string()) + extension;
    if (byName_.count(name)) continue;
    std::string there;
    if (ReadFile(folder_ + name, there)) {
      if (there != file.bytes) continue;  // the user's file stays as it is
      file.present = true;
    }
    file.name = name;
    byName_[name] = image;
    return name;
  }
}

bool GltfImageFiles::WriteAll() {
  bool all = true;
  for (const auto& [image, file] : files_) {
    if (file.name.empty() || file.present) continue;
    std::string reason;
    if (!WriteWholeFile(folder_ + file.name, {file.bytes}, reason)) {
      Say(ConvertMessage::NotWritten, context_.input.c_str(), (folder_ + file.name).c_str(), reason.c_str());
      all = false;
    }
  }
  return all;
}

}  // namespace xfileconvert
