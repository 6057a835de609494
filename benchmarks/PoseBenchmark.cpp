// One frame of posing: UpdatePose plus every UpdatePalette, the tick
// advancing by one per iteration and wrapping after the set's last key.
//   BM_PoseBCN        BCN_Epileptic.X (3 skinned meshes, 57 animated frames)
//   BM_PoseCharacter  a generated character: 40 frames, 37 bones, 3 sets
//   BM_PoseSkeleton   a generated skeleton: 1,000 frames 10 levels deep,
//                     1,000 keys per channel
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "model/Model.h"
#include "xfile/DocumentParser.h"

namespace {

D3DXMATRIX Translation(float x, float y, float z) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, x, y, z);
  return m;
}

D3DXQUATERNION Turn(float angle) { return D3DXQUATERNION(std::sin(angle / 2), 0, 0, std::cos(angle / 2)); }

// Frames in chains of `depth` under `roots` roots, every frame animated in
// each of `sets` sets with `keys` keys per channel; the first set of a
// character uses matrix keys for one in four frames. One skinned mesh names
// the first `bones` frames.
XFileScene Generate(int roots, int depth, int sets, int keys, int bones) {
  XFileScene scene;
  std::vector<std::wstring> names;
  for (int r = 0; r < roots; ++r) {
    XFrame* parent = nullptr;
    for (int d = 0; d < depth; ++d) {
      std::wstring name = L"frame_" + std::to_wstring(r) + L"_" + std::to_wstring(d);
      XFrame& frame = scene.frames.emplace_back();
      frame.name = name;
      frame.parent = parent;
      frame.transform = Translation(0, 1, 0);
      parent = &frame;
      names.push_back(name);
    }
  }
  for (int s = 0; s < sets; ++s) {
    XAnimationSet& set = scene.animationSets.emplace_back();
    set.lastKeyTime = (keys - 1) * 4;
    for (std::size_t f = 0; f < names.size(); ++f) {
      XAnimation& animation = set.animations.emplace_back();
      animation.frameName = names[f];
      for (int k = 0; k < keys; ++k) {
        auto tick = static_cast<std::uint32_t>(k * 4);
        float phase = 0.1f * static_cast<float>(k + static_cast<int>(f));
        if (s == 2 && f % 4 == 0) {
          D3DXMATRIX turn;
          D3DXMatrixRotationX(&turn, phase);
          animation.matrixKeys[tick] = turn * Translation(0, 1, 0);
        } else {
          animation.rotationKeys[tick] = Turn(phase);
          animation.scaleKeys[tick] = D3DXVECTOR3(1, 1, 1);
          animation.positionKeys[tick] = D3DXVECTOR3(0, 1, 0);
        }
      }
    }
  }
  XMesh& mesh = scene.meshes.emplace_back();
  mesh.flags = HasPositions | HasNormals | HasSkin;
  for (int b = 0; b < bones && b < static_cast<int>(names.size()); ++b)
    mesh.bones.push_back({names[static_cast<std::size_t>(b)], Translation(0, -1, 0)});
  return scene;
}

void Pose(benchmark::State& state, XFileScene& scene, std::uint32_t set) {
  Model model;
  model.Setup(nullptr, &scene);
  model.animationSet = set;
  auto last = static_cast<std::uint32_t>(scene.animationSets[set].lastKeyTime);
  std::uint32_t tick = 0;
  for (auto _ : state) {
    model.animationTick = tick;
    tick = tick >= last ? 0 : tick + 1;
    model.UpdatePose();
    for (std::size_t i = 0; i < model.meshes.size(); ++i) model.UpdatePalette(i);
    benchmark::DoNotOptimize(model.meshes.front().palette.data());
    benchmark::ClobberMemory();
  }
}

void BM_PoseBCN(benchmark::State& state) {
  static XFileScene scene;
  if (scene.frames.empty()) {
    if (!ParseXFile(XVIEW_BCN_MODEL, scene, ParseOptions{.echo = false})) {
      state.SkipWithError("cannot read BCN_Epileptic.X");
      return;
    }
  }
  Pose(state, scene, 0);
}

void BM_PoseCharacter(benchmark::State& state) {
  // 40 frames: 8 chains of 5; 37 bones; three sets of 60 keys per channel.
  static XFileScene scene = Generate(8, 5, 3, 16, 37);
  Pose(state, scene, static_cast<std::uint32_t>(state.range(0)));
}

void BM_PoseSkeleton(benchmark::State& state) {
  static XFileScene scene = Generate(100, 10, 1, 1000, 256);
  Pose(state, scene, 0);
}

}  // namespace

BENCHMARK(BM_PoseBCN);
BENCHMARK(BM_PoseCharacter)->Arg(0)->Arg(2);
BENCHMARK(BM_PoseSkeleton);

BENCHMARK_MAIN();
