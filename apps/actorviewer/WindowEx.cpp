#include "actorviewer/WindowEx.h"

#include <cstdio>

#include "common/ProgramMessages.h"
#include "common/RunOptions.h"
#include "platform/TextConversion.h"
#include "render/Effect.h"
#include "xfile/ModelLoading.h"
#include "xfile/ParseMessages.h"

void WindowEx::LoadEffects() {
  if (LoadEffect(direct3d9.device, L"mesh.cfx")) LoadEffect(direct3d9.device, L"skinmesh.cfx");
}

void WindowEx::CreateModel() {
  LoadModel(direct3d9.device);
  character.Setup(direct3d9.device, FindModel());
  if (character.sceneData && !character.sceneData->animationSets.empty()) {
    character.animationSet = 0;
    character.animationTick = 0;
  }
  PlayChosenSet();
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
  Report(ProgramMessage::AnimationSetMissing, ToUtf8(Escaped(g_ModelFileName)).c_str(), sets, sets == 1 ? "" : "s",
         chosen);
}

void WindowEx::AdvanceModel() {
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
}
