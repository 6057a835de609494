// The translation of one effect as the effect translator program hands it
// to the layer and as the caches keep it: the preprocessed text (which the
// layer reads the effect's structure from), the files it #included with
// their contents, and the GLSL of every pass. Its key is a hash of all the
// translation depends on, so a record can be looked up without running the
// translator. Shared by the layer and the translator; needs no GL.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace compat::d3dx9 {

using Defines = std::vector<std::pair<std::string, std::string>>;

// The GLSL of one pass.
struct PassText {
  std::string vertex;
  std::string pixel;
};
using EffectTexts = std::vector<std::vector<PassText>>;  // [technique][pass]

struct EffectRecord {
  std::string preprocessed;  // with #line directives naming each file
  std::vector<std::pair<std::string, std::string>> includes;  // name as the effect gives it, contents as read
  EffectTexts texts;
};

// Bumped whenever the translator writes something else for the same input.
inline constexpr int kTranslatorVersion = 2;

// The most a record may come to; a larger one is damage, not a translation.
inline constexpr std::size_t kMaxRecordBytes = 64u << 20;

// The key of an effect's text under the application's `defines`, with
// `mapDepth` (vertex shaders map Direct3D's clip depth to GL's): 32 hex
// digits. It covers the translator's version and the glslang and
// SPIRV-Cross it was built with; the includes are checked against the
// record itself.
std::string EffectRecordKey(std::string_view text, const Defines& defines, bool mapDepth);

// The folder an effect's #includes are read from: that of `fileName`, the
// effect as the application names it ("" for the working folder).
std::string IncludeFolder(std::string_view fileName);

// The record as bytes, checked by a hash of their own.
std::string WriteEffectRecord(const EffectRecord& record);

// Reads what WriteEffectRecord wrote; false for anything else (damaged,
// cut short, or written by another version of the translator).
bool ReadEffectRecord(std::string_view bytes, EffectRecord& record);

}  // namespace compat::d3dx9
