// The base colour images of a glTF file, written beside the .x made of it:
// PNG and JPEG bytes as they are, other images the converter can decode as
// PNG, each named after the output and the image ("fox-image0.png"), under a
// name no file the user has there holds, unless that file is the same image.
#pragma once

#include <map>
#include <string>

#include "GltfToXContext.h"

namespace xfileconvert {

class GltfImageFiles {
 public:
  // Images of `context`'s asset, for the output `output`.
  GltfImageFiles(GltfToXContext& context, const std::string& output);

  // The name (a file in the output's folder) image `image` is written
  // under, chosen on the first call; empty, having said why, where it cannot
  // be written.
  std::string NameOf(int image);

  // Writes every image named; false, having said why, for any that is not
  // written (the .x is kept: its materials show their colours).
  bool WriteAll();

 private:
  struct File {
    std::string name;   // empty: not written
    std::string bytes;  // what the file holds
    bool present = false;  // the folder holds these bytes under the name already
  };

  GltfToXContext& context_;
  std::string folder_;  // the output's folder, with its separator; empty for the working folder
  std::string stem_;    // the output's name without its extension
  std::map<int, File> files_;
  std::map<std::string, int> byName_;
};

}  // namespace xfileconvert
