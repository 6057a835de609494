// irrlicht_load: an engine that still loads .x (Irrlicht, Debian's
// libirrlicht-dev) as a reader of the files our converter writes.
//
//   irrlicht_load FILE.x [FRAME...]
//
// Loads FILE.x with Irrlicht's own loader on its null driver (no window, no
// GPU) and prints one JSON object on standard output:
//
//   {"file": ..., "meshType": "skinned"|"static"|..., "frameCount": N,
//    "animationSpeed": S, "joints": [{"name": ..., "weights": W}, ...],
//    "buffers": [{"vertices": V, "indices": I}, ...],
//    "poses": [{"frame": F, "buffers": [[x, y, z, x, y, z, ...], ...]}, ...]}
//
// One pose for each FRAME asked for: the positions of every mesh buffer's
// vertices after Irrlicht animated and skinned the mesh to that frame
// (ISkinnedMesh::animateMesh(frame, 1) and skinMesh(): the joints animated
// to the frame, fully blended, and the buffers skinned in software, as the
// animated mesh scene node does each frame).
//
// What Irrlicht 1.8.5 makes of a .x, as measured with this program and the
// tests (tests/peers/README.md):
//  - Every .x is an ISkinnedMesh (meshType "skinned", even without
//    SkinWeights); each Mesh record becomes one buffer per material it uses,
//    with the file's vertices.
//  - A frame number is a key tick of the file. Every animation set goes on
//    one timeline: frameCount is the last key tick of any set, and a model
//    of two sets (63 and 119 ticks) shows the first set exactly up to its
//    end, the second set's last key at 119, a blend of both between.
//  - animationSpeed is 25 whatever the file's AnimTicksPerSecond, which
//    Irrlicht does not read ("Unknown data object in animation of .x file").
//  - A vertex that no bone weights stays where the file has it: a rigid mesh
//    is not placed by its frames. A bone that no frame has is a joint at the
//    model's origin.
//  - Compressed files (tzip, bzip) are refused: "Only uncompressed x files
//    currently supported".
//
// Failures (a file Irrlicht cannot load) are one line on standard error
// naming the file, with Irrlicht's own log lines before it; exit status 1.
#include <irrlicht.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace irr;

// Irrlicht's log, kept off standard output (which carries the JSON).
class LogToStandardError : public IEventReceiver {
 public:
  bool OnEvent(const SEvent& event) override {
    if (event.EventType != EET_LOG_TEXT_EVENT) return false;
    if (event.LogEvent.Level >= ELL_WARNING) std::fprintf(stderr, "irrlicht: %s\n", event.LogEvent.Text);
    return true;
  }
};

void PrintJsonString(const char* text) {
  std::putchar('"');
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
    if (*c == '"' || *c == '\\')
      std::printf("\\%c", *c);
    else if (*c < 0x20)
      std::printf("\\u%04x", *c);
    else
      std::putchar(*c);
  }
  std::putchar('"');
}

const char* MeshTypeName(scene::E_ANIMATED_MESH_TYPE type) {
  switch (type) {
    case scene::EAMT_SKINNED:
      return "skinned";
    case scene::EAMT_UNKNOWN:
      return "unknown";
    default:
      return "other";
  }
}

void PrintPositions(const scene::IMesh* mesh) {
  std::printf("[");
  for (u32 b = 0; b < mesh->getMeshBufferCount(); ++b) {
    const scene::IMeshBuffer* buffer = mesh->getMeshBuffer(b);
    std::printf("%s[", b ? ", " : "");
    for (u32 v = 0; v < buffer->getVertexCount(); ++v) {
      const core::vector3df& p = buffer->getPosition(v);
      std::printf("%s%.9g, %.9g, %.9g", v ? ", " : "", p.X, p.Y, p.Z);
    }
    std::printf("]");
  }
  std::printf("]");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: irrlicht_load FILE.x [FRAME...]\n");
    return 2;
  }
  std::vector<float> frames;
  for (int i = 2; i < argc; ++i) {
    char* end = nullptr;
    frames.push_back(std::strtof(argv[i], &end));
    if (!end || *end) {
      std::fprintf(stderr, "irrlicht_load: not a frame number: %s\n", argv[i]);
      return 2;
    }
  }

  LogToStandardError log;
  SIrrlichtCreationParameters parameters;
  parameters.DriverType = video::EDT_NULL;
  parameters.WindowSize = core::dimension2d<u32>(1, 1);
  parameters.LoggingLevel = ELL_WARNING;
  parameters.EventReceiver = &log;
  IrrlichtDevice* device = createDeviceEx(parameters);
  if (!device) {
    std::fprintf(stderr, "irrlicht_load: Irrlicht's null device could not be created\n");
    return 1;
  }
  scene::IAnimatedMesh* mesh = device->getSceneManager()->getMesh(argv[1]);
  if (!mesh) {
    std::fprintf(stderr, "irrlicht_load: %s: Irrlicht could not load it\n", argv[1]);
    device->drop();
    return 1;
  }

  std::printf("{\"file\": ");
  PrintJsonString(argv[1]);
  std::printf(", \"meshType\": \"%s\", \"frameCount\": %u, \"animationSpeed\": %.9g", MeshTypeName(mesh->getMeshType()),
              mesh->getFrameCount(), mesh->getAnimationSpeed());
  std::printf(", \"joints\": [");
  if (mesh->getMeshType() == scene::EAMT_SKINNED) {
    auto* skinned = static_cast<scene::ISkinnedMesh*>(mesh);
    const core::array<scene::ISkinnedMesh::SJoint*>& joints = skinned->getAllJoints();
    for (u32 j = 0; j < joints.size(); ++j) {
      std::printf("%s{\"name\": ", j ? ", " : "");
      PrintJsonString(joints[j]->Name.c_str());
      std::printf(", \"weights\": %u}", joints[j]->Weights.size());
    }
  }
  std::printf("], \"buffers\": [");
  for (u32 b = 0; b < mesh->getMeshBufferCount(); ++b) {
    const scene::IMeshBuffer* buffer = mesh->getMeshBuffer(b);
    std::printf("%s{\"vertices\": %u, \"indices\": %u}", b ? ", " : "", buffer->getVertexCount(),
                buffer->getIndexCount());
  }
  std::printf("], \"poses\": [");
  for (std::size_t f = 0; f < frames.size(); ++f) {
    // A skinned mesh is posed at any frame, whole or not; getMesh takes whole
    // frames only.
    const scene::IMesh* posed = mesh;
    if (mesh->getMeshType() == scene::EAMT_SKINNED) {
      auto* skinned = static_cast<scene::ISkinnedMesh*>(mesh);
      skinned->animateMesh(frames[f], 1.0f);
      skinned->skinMesh();
    } else {
      posed = mesh->getMesh(static_cast<s32>(frames[f]));
    }
    std::printf("%s{\"frame\": %.9g, \"buffers\": ", f ? ", " : "", frames[f]);
    PrintPositions(posed);
    std::printf("}");
  }
  std::printf("]}\n");
  device->drop();
  return 0;
}
