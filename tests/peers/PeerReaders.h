// Readers of .x files that nobody here wrote, for tests to check what our
// programs write: the platform's own parser (D3DX's ID3DXFile, run under
// Wine by d3dx_enumerate.exe) and an engine (Irrlicht, by irrlicht_load).
// Each says when it cannot run on this machine, so that a test can skip
// with that reason:
//
//   const peers::D3dxRun run = peers::EnumerateWithD3dx(paths);
//   if (!run.unavailable.empty()) GTEST_SKIP() << run.unavailable;
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace peers {

// ---- D3DX's ID3DXFile (Wine) ----

// One file as D3DX enumerated it.
struct D3dxListing {
  std::string path;
  bool ok = false;
  // The program's line for what failed ("error PATH: CALL failed: NAME
  // (0xHRESULT)"), empty where the file enumerated whole.
  std::string failure;
  // One line per data object, depth-first, as d3dx_enumerate prints them
  // ("DEPTH {TYPE} "NAME" obj|ref SIZE DATA"): two files with the same
  // objects have the same lines, whatever their format or float size. Where
  // the file failed, the objects enumerated before the failure.
  std::vector<std::string> objects;
};

struct D3dxRun {
  // Why D3DX could not run at all (no Wine, no MinGW build of the program,
  // Wine failing to start); empty where it ran. `files` is then empty.
  std::string unavailable;
  std::vector<D3dxListing> files;  // one per path, in the order given
  std::string errorOutput;         // Wine's and the program's standard error
};

// Enumerates every file with D3DX in one Wine start (starts are slow: give
// all the files of a test at once). With `values`, each object's line gives
// its members' values instead of a hash of them (longer; for messages).
D3dxRun EnumerateWithD3dx(const std::vector<std::string>& paths, bool values = false);

// Where `output` has the objects of `source`: empty, else a description of
// the first difference (which object, both lines) for a test's message.
std::string CompareListings(const D3dxListing& source, const D3dxListing& output);

// ---- Irrlicht ----

using Position = std::array<float, 3>;

struct IrrlichtJoint {
  std::string name;
  unsigned weights = 0;  // vertex weights Irrlicht gave the joint
};

struct IrrlichtModel {
  // Why Irrlicht could not run at all (not built here); empty where it ran.
  std::string unavailable;
  bool loaded = false;
  std::string failure;   // Irrlicht's log and the program's line, where it did not load
  std::string meshType;  // "skinned" for every .x Irrlicht loads
  unsigned frameCount = 0;
  double animationSpeed = 0;
  std::vector<IrrlichtJoint> joints;
  std::vector<unsigned> bufferVertices;  // per mesh buffer (a mesh per material)
  // With a frame asked for: every buffer's vertex positions animated and
  // skinned to it, in Irrlicht's (the file's) coordinates.
  std::vector<std::vector<Position>> positions;
  std::string log;  // Irrlicht's warnings, also where it loaded

  bool Skinned() const;  // some joint moves some vertex
};

// Loads `path` with Irrlicht's own .x loader on its null driver; with
// `frame`, poses it at that frame (Irrlicht's frames are the file's key
// ticks, every animation set of the file merged into one).
IrrlichtModel LoadWithIrrlicht(const std::string& path, std::optional<double> frame = std::nullopt);

// ---- Comparing positions ----

// The largest distance from a point of `a` to the nearest point of `b`, and
// from `b` to `a` (the symmetric Hausdorff distance); infinity where one is
// empty and the other not. For two vertex sets that hold the same points in
// different orders or split differently (Irrlicht's buffers per material).
double FarthestApart(const std::vector<Position>& a, const std::vector<Position>& b);

}  // namespace peers
