#include "Inspectors.h"
#include "MeshJson.h"
#include "xfile/DocumentParser.h"

namespace xfileinfo {

namespace {

template <typename Value>
void WriteKeys(JsonWriter& json, const char* name, const std::map<std::uint32_t, Value>& keys, bool full,
               std::size_t floats) {
  json.Key(name);
  if (!full) {
    json.Int(static_cast<std::int64_t>(keys.size()));
    return;
  }
  json.BeginArray();
  for (const auto& [tick, value] : keys) {
    json.BeginArray();
    json.Int(tick);
    const float* values = reinterpret_cast<const float*>(&value);
    for (std::size_t i = 0; i < floats; ++i) json.Float(values[i]);
    json.EndArray();
  }
  json.EndArray();
}

void WriteFrames(JsonWriter& json, const XFileScene& scene, const FrameIndices& indices) {
  json.Key("frames");
  json.BeginArray();
  for (std::size_t i = 0; i < scene.frames.size(); ++i) {
    const XFrame& frame = scene.frames[i];
    json.BeginObject();
    json.Key("index");
    json.Int(static_cast<std::int64_t>(i));
    json.Key("name");
    json.String(frame.name);
    json.Key("parent");
    WriteFrameIndex(json, indices, frame.parent);
    json.Key("transform");
    WriteMatrix(json, frame.transform);
    json.EndObject();
  }
  json.EndArray();
}

void WriteAnimationSets(JsonWriter& json, const XFileScene& scene, bool full) {
  json.Key("animationSets");
  json.BeginArray();
  for (const XAnimationSet& set : scene.animationSets) {
    json.BeginObject();
    json.Key("name");
    json.String(set.name);
    json.Key("lastKeyTime");
    json.Int(set.lastKeyTime);
    json.Key("animations");
    json.BeginArray();
    for (const XAnimation& animation : set.animations) {
      json.BeginObject();
      json.Key("frameName");
      json.String(animation.frameName);
      WriteKeys(json, "rotationKeys", animation.rotationKeys, full, 4);
      WriteKeys(json, "scaleKeys", animation.scaleKeys, full, 3);
      WriteKeys(json, "positionKeys", animation.positionKeys, full, 3);
      WriteKeys(json, "matrixKeys", animation.matrixKeys, full, 16);
      json.EndObject();
    }
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
}

}  // namespace

int InspectCharacter(const std::wstring& path, bool full) {
  XFileScene scene;
  const ParseResult parse = ParseXFile(path, scene, ParseOptions{.echo = false});
  ReportParse(path, parse);
  if (!parse) return 1;
  JsonWriter json;
  json.BeginObject();
  json.Key("format");
  json.String(parse.format);
  json.Key("ticksPerSecond");
  json.Int(scene.ticksPerSecond);
  const FrameIndices indices = IndexFrames(scene);
  WriteFrames(json, scene, indices);
  WriteMeshes(json, scene.meshes, full, indices);
  WriteAnimationSets(json, scene, full);
  WriteWarnings(json, parse.warnings);
  json.EndObject();
  return Print(json);
}

}  // namespace xfileinfo
