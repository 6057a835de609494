// Names of the data objects of a .x file written from glTF: every name one
// that the text format and D3DX read as a name (ASCII letters, digits and
// "_", not beginning with a digit), and no two alike, so that a reference
// by name (a bone's frame, an animation's frame) finds the one it means.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace xfileconvert {

class XNames {
 public:
  // `wanted` made into a name, with "_2", "_3" ... added where it is taken;
  // `fallback` where nothing of `wanted` is left ("frame3").
  std::string Unique(std::string_view wanted, std::string_view fallback);

 private:
  std::set<std::string> taken_;
};

// `text` with every character that is not an ASCII letter, digit, "_", "-"
// or "." replaced by "_": the name of a file the converter writes.
std::string FileNamePart(std::string_view text);

}  // namespace xfileconvert
