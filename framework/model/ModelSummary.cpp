#include "model/ModelSummary.h"

#include <cstdarg>
#include <cstdio>
#include <set>

#include "platform/FilePaths.h"
#include "platform/Messages.h"
#include "platform/TextConversion.h"
#include "xfile/ParseMessages.h"
#include "xfile/TextureSearch.h"

XFILE_SHAPE_BEGIN

namespace {

// One line of the summary, formatted as printf formats.
void Line(std::string& text, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  text += FormatLine(format, arguments);
  va_end(arguments);
  text += '\n';
}

std::string Shown(const std::wstring& name) { return name.empty() ? "(no name)" : ToUtf8(ShownName(name)); }

const char* Plural(std::size_t count) { return count == 1 ? "" : "s"; }

void AddMeshes(std::string& text, const std::vector<XMesh>& meshes) {
  Line(text, "meshes: %zu", meshes.size());
  for (std::size_t i = 0; i < meshes.size(); ++i) {
    const XMesh& mesh = meshes[i];
    std::string line = "  mesh " + std::to_string(i) + " " + Shown(mesh.name) + ": " +
                       std::to_string(mesh.vertices.size()) + " vertices, " + std::to_string(mesh.faces.size()) +
                       " faces, " + std::to_string(mesh.materials.size()) + " material" +
                       Plural(mesh.materials.size());
#if !defined(XVIEW_REDUCED_MODEL)
    if (!mesh.bones.empty()) line += ", " + std::to_string(mesh.bones.size()) + " bone" + Plural(mesh.bones.size());
#endif
    text += line + '\n';
  }
}

#if !defined(XVIEW_REDUCED_MODEL)
void AddFramesAndBones(std::string& text, const XFileScene& scene) {
  Line(text, "frames: %zu", scene.frames.size());
  std::size_t bones = 0, skinned = 0;
  for (const XMesh& mesh : scene.meshes) {
    bones += mesh.bones.size();
    skinned += mesh.bones.empty() ? 0 : 1;
  }
  Line(text, "bones: %zu in %zu skinned mesh%s", bones, skinned, skinned == 1 ? "" : "es");
}

void AddAnimationSets(std::string& text, const XFileScene& scene) {
  // Real-time playback takes 60 for a rate the file does not give.
  const double rate = scene.ticksPerSecond > 0 ? scene.ticksPerSecond : 60.0;
  Line(text, "animation sets: %zu, %d ticks a second", scene.animationSets.size(), scene.ticksPerSecond);
  for (std::size_t i = 0; i < scene.animationSets.size(); ++i) {
    const XAnimationSet& set = scene.animationSets[i];
    std::size_t keys = 0;
    for (const XAnimation& animation : set.animations)
      keys += animation.rotationKeys.size() + animation.scaleKeys.size() + animation.positionKeys.size() +
              animation.matrixKeys.size();
    const auto ticks = static_cast<std::uint32_t>(set.lastKeyTime);
    Line(text, "  set %zu %s: %zu animation%s, %zu key%s, %u ticks, %.3f s", i, Shown(set.name).c_str(),
         set.animations.size(), Plural(set.animations.size()), keys, Plural(keys), ticks, ticks / rate);
  }
}
#endif

void AddTextures(std::string& text, const std::wstring& modelFile, const XModelContent& content) {
  // The reader put the model's folder in front of each name as the file writes it.
  const std::wstring folder = FolderOf(modelFile);
  std::set<std::wstring> names;
  for (const std::wstring& name : TexturesOf(content))
    names.insert(name.compare(0, folder.size(), folder) == 0 ? name.substr(folder.size()) : name);
  TextureSearch search(folder);
  std::string found, missing;
  std::size_t foundCount = 0;
  for (const std::wstring& name : names) {
    std::wstring path = search.Find(name);
    if (path.empty()) {
      Line(missing, "  missing %s", ToUtf8(ShownName(name)).c_str());
    } else {
      ++foundCount;
      Line(found, "  found %s as \"%s\"", ToUtf8(ShownName(name)).c_str(), ToUtf8(Escaped(path)).c_str());
    }
  }
  Line(text, "textures: %zu found, %zu missing", foundCount, names.size() - foundCount);
  text += found + missing;
}

}  // namespace

std::string ModelSummary(const std::wstring& modelFile, const XModelContent& content) {
  std::string text;
  Line(text, "model file \"%s\"", ToUtf8(Escaped(modelFile)).c_str());
  AddMeshes(text, MeshesOf(content));
#if !defined(XVIEW_REDUCED_MODEL)
  AddFramesAndBones(text, content);
  AddAnimationSets(text, content);
#else
  Line(text, "skin and animation: not kept by the static shape");
#endif
  AddTextures(text, modelFile, content);
  return text;
}

XFILE_SHAPE_END
