#include "actorviewer/WindowEx.h"

#include <cstdio>

#include "common/SceneFrame.h"
#include "platform/TextConversion.h"
#include "render/Effect.h"
#include "render/ViewMatrices.h"
#include "xfile/ModelLoading.h"
#include "xfile/ParseMessages.h"

WindowEx::~WindowEx() {}

int WindowEx::OnCreate(HWND window, CREATESTRUCTW* createStruct) {
  direct3d9.Initialize(window, createStruct->cx, createStruct->cy);
  if (SUCCEEDED(DirectInput8Create(GetModuleHandleW(NULL), 0x0800, IID_IDirectInput8W,
                                   reinterpret_cast<void**>(&input.directInput), NULL))) {
    input.Initialize(window);
  }
  SetupDebugGeometry(direct3d9.device);
  if (LoadEffect(direct3d9.device, L"mesh.cfx")) LoadEffect(direct3d9.device, L"skinmesh.cfx");
  camera.Setup(D3DXVECTOR3(0.0f, 5.0f, 0.0f), D3DXVECTOR3(0.0f, 30.0f, -100.0f));
  // Single-precision pi/4; the aspect of the outer window size, which is the back buffer's.
  D3DXMatrixPerspectiveFovLH(&camera.projection, 0.7853981852531433f,
                             static_cast<float>(createStruct->cx) / static_cast<float>(createStruct->cy),
                             0.1f, 1000.0f);
  g_ProjectionMatrix = camera.projection;
  LoadModel(direct3d9.device);
  character.Setup(direct3d9.device, FindModel());
  if (character.sceneData && !character.sceneData->animationSets.empty()) {
    character.animationSet = 0;
    character.animationTick = 0;
  }
  PlayChosenSet();
  return 1;
}

// The set named by --set, where the file has it; otherwise set 0 plays.
void WindowEx::PlayChosenSet() {
  std::uint32_t chosen = g_RunOptions.AnimationSet();
  if (chosen == 0) return;
  std::size_t sets = character.sceneData ? character.sceneData->animationSets.size() : 0;
  if (chosen < sets) {
    character.animationSet = chosen;
    return;
  }
  std::fprintf(stderr, "actorviewer: model file \"%s\" has %zu animation set%s; set %u does not exist, so set 0 "
               "plays\n", ToUtf8(Escaped(g_ModelFileName)).c_str(), sets, sets == 1 ? "" : "s", chosen);
}

void WindowEx::OnFrame() {
  input.Update();
  camera.Update(input, 0.02f, 0.2f, 1.0f);
  g_ViewMatrix = camera.view;
  WalkAlong(character, GetMoveDirection(input, camera));
  const float scale = g_RunOptions.Scale();  // 10 unless the command line chose another
  character.scale = D3DXVECTOR3(scale, scale, scale);

  // One key tick per frame; after the set's last key time the animation
  // starts again (times compared as unsigned numbers, as the keys are).
  ++character.animationTick;
  const XFileScene* scene = character.sceneData;
  if (scene && character.animationSet < scene->animationSets.size() &&
      character.animationTick >
          static_cast<std::uint32_t>(scene->animationSets[character.animationSet].lastKeyTime))
    character.animationTick = 0;

  DrawSceneFrame(direct3d9.device, hwnd, [this] { character.Draw(); });
}
