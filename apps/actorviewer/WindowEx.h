// The character viewer's application window: the animated character, posed
// and drawn every frame over the floor grid, with the playback keys.
#pragma once

#include "common/Playback.h"
#include "common/ViewerWindow.h"
#include "model/Model.h"

class WindowEx : public ViewerWindow {
 public:
  Model character;
  Playback playback{g_RunOptions.Speed()};
  bool skeleton = g_RunOptions.Skeleton();

  // What playback needs of the set that plays now.
  PlaybackClip Clip() const;

 private:
  void LoadEffects() override;
  void CreateModel() override;
  Object3D& Walker() override { return character; }
  void HandleProgramKeys(double seconds) override;
  void AdvanceModel(double seconds) override;
  void DrawModel() override { character.Draw(); }
  void DrawOverlays() override;
  WorldBounds ModelBounds() override { return PosedModelBounds(character); }
  std::vector<PlacedNormal> ModelNormals() override { return PosedNormals(character); }
  bool OpenModel(const std::wstring& file) override;
  bool ReloadModel(std::string& why) override;
  std::wstring TitleDetails() const override;
  void PlayChosenSet();
  void SwitchSet(int direction);
};
