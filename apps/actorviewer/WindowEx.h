// The character viewer's application window: the animated character, posed
// and drawn every frame over the floor grid.
#pragma once

#include "common/ViewerWindow.h"
#include "model/Model.h"

class WindowEx : public ViewerWindow {
 public:
  Model character;

 private:
  void LoadEffects() override;
  void CreateModel() override;
  Object3D& Walker() override { return character; }
  void AdvanceModel() override;
  void DrawModel() override { character.Draw(); }
  void PlayChosenSet();
};
