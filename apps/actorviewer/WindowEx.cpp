#include "actorviewer/WindowEx.h"

#include <cstdio>

#include "common/ModelReload.h"
#include "common/ProgramMessages.h"
#include "common/RunOptions.h"
#include "platform/TextConversion.h"
#include "render/Effect.h"
#include "render/SkeletonDrawing.h"
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
  playback.SetRealTime(g_RunOptions.RealTime());
  PlayChosenSet();
  const float scale = g_RunOptions.Scale();  // 10 unless the command line chose another
  character.scale = D3DXVECTOR3(scale, scale, scale);  // before framing at start
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

PlaybackClip WindowEx::Clip() const {
  PlaybackClip clip;
  const XFileScene* scene = character.sceneData;
  if (!scene) return clip;
  clip.ticksPerSecond = scene->ticksPerSecond;
  if (character.animationSet < scene->animationSets.size()) {
    clip.hasSet = true;
    // Compared as unsigned numbers, as the key times are.
    clip.lastKeyTime =
        static_cast<double>(static_cast<std::uint32_t>(scene->animationSets[character.animationSet].lastKeyTime));
    // A key written with a negative time lies past the last key time, where
    // nothing is sampled: steps skip it.
    for (std::uint32_t time : character.KeyTimes(character.animationSet))
      if (static_cast<double>(time) <= clip.lastKeyTime) clip.keyTimes.push_back(time);
  }
  return clip;
}

void WindowEx::SwitchSet(int direction) {
  const std::size_t sets = character.sceneData ? character.sceneData->animationSets.size() : 0;
  if (sets == 0) return;
  std::size_t set = (character.animationSet + sets + static_cast<std::size_t>(direction > 0 ? 1 : sets - 1)) % sets;
  character.PlaySet(static_cast<std::uint32_t>(set));
}

void WindowEx::HandleProgramKeys(double seconds) {
  // Toggles flip once per press, steps go once per press.
  if (input.Presses(DIK_SPACE) % 2) playback.TogglePause();
  if (input.Presses(DIK_T) % 2) playback.ToggleRealTime();
  if (input.Presses(DIK_B) % 2) skeleton = !skeleton;
  for (int i = input.Presses(DIK_NEXT); i > 0; --i) SwitchSet(+1);
  for (int i = input.Presses(DIK_PRIOR); i > 0; --i) SwitchSet(-1);
  for (int i = input.Presses(DIK_EQUALS) + input.Presses(DIK_ADD); i > 0; --i) playback.Faster();
  for (int i = input.Presses(DIK_MINUS) + input.Presses(DIK_SUBTRACT); i > 0; --i) playback.Slower();
  // Right wins over Left, as W wins over S.
  const int right = input.Presses(DIK_RIGHT), left = input.Presses(DIK_LEFT);
  const InputState rightState = input.GetKey(DIK_RIGHT), leftState = input.GetKey(DIK_LEFT);
  int direction = 0, steps = 0;
  if (right || IsDown(rightState)) {
    direction = +1;
    steps = playback.StepsFor(right, rightState, seconds);
  } else if (left || IsDown(leftState)) {
    direction = -1;
    steps = playback.StepsFor(left, leftState, seconds);
  }
  if (steps && playback.Paused()) {
    const PlaybackClip clip = Clip();
    for (int i = 0; i < steps; ++i) character.animationTick = Playback::Step(character.animationTick, direction, clip);
  }
}

void WindowEx::AdvanceModel(double seconds) {
  const float scale = g_RunOptions.Scale();
  character.scale = D3DXVECTOR3(scale, scale, scale);
  // One key tick per frame unless the keys or options chose otherwise; after
  // the set's last key time the animation starts again.
  character.animationTick = playback.Advance(character.animationTick, seconds, Clip());
}

void WindowEx::DrawOverlays() {
  if (skeleton) DrawSkeleton(character);
}

bool WindowEx::OpenModel(const std::wstring& file) {
  if (file == g_ModelFileName) {
    character.PlaySet(0);
    return true;
  }
  if (!LoadModelFile(direct3d9.device, file) || !FindModelFile(file)) return false;
  const std::wstring previous = g_ModelFileName;
  g_ModelFileName = file;
  // The meshes of the old model go with Setup; then its records and textures.
  character.Setup(direct3d9.device, FindModelFile(file));
  ReleaseModelFile(previous);
  character.PlaySet(0);
  return true;
}

// The set and tick play on where the new file has them; a set it lacks
// starts set 0 from tick 0, a tick past the set's last key time its start.
bool WindowEx::ReloadModel(std::string& why) {
  const std::uint32_t set = character.animationSet;
  const double tick = character.animationTick;
  return ReloadModelFile(
      direct3d9.device, g_ModelFileName,
      [&](XFileScene* scene) {
        character.Setup(direct3d9.device, scene);
        const std::size_t sets = scene ? scene->animationSets.size() : 0;
        if (sets == 0) return;
        if (set >= sets) {
          character.PlaySet(0);
          return;
        }
        character.animationSet = set;
        const PlaybackClip clip = Clip();
        character.animationTick = tick <= clip.lastKeyTime ? tick : 0.0;
      },
      why);
}

std::wstring WindowEx::TitleDetails() const {
  const XFileScene* scene = character.sceneData;
  const std::size_t sets = scene ? scene->animationSets.size() : 0;
  wchar_t number[64];
  std::wstring details;
  if (character.animationSet < sets) {
    const XAnimationSet& set = scene->animationSets[character.animationSet];
    std::swprintf(number, 64, L"set %u", character.animationSet);
    details = number;
    if (!set.name.empty()) details += L" \"" + Escaped(set.name) + L"\"";
    std::swprintf(number, 64, L" of %zu - tick %.1f of %u - ", sets, character.animationTick,
                  static_cast<std::uint32_t>(set.lastKeyTime));
  } else {
    std::swprintf(number, 64, L"no animation - tick %.0f - ", character.animationTick);
  }
  details += number;
  details += playback.RateText();
  if (playback.Paused()) details += L" - paused";
  return details;
}
