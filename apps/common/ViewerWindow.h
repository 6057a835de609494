// What both viewers' application windows share: when created, the device,
// the input devices, the debug geometry, the effects, the debug camera and
// its projection, in that order, and then the program's model; every frame,
// the input, the camera, the keys, walking the model, and the picture of the
// floor grid, the axes and the model; the title; files dropped on the window;
// and with --watch, the model shown again when its files change on disk.
// Each program's WindowEx adds only its model.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <string>

#include "common/FrameClock.h"
#include "common/ProgramShell.h"
#include "common/RunOptions.h"
#include "model/ModelBounds.h"
#include "model/Object3D.h"
#include "platform/Camera.h"
#include "platform/Direct3D9.h"
#include "platform/DirectInput.h"
#include "platform/FileWatch.h"
#include "render/NormalDrawing.h"
#include "window/MessageLoop.h"
#include "window/Window.h"

class ViewerWindow : public Window {
 public:
  int OnCreate(HWND hwnd, CREATESTRUCTW* createStruct) final;
  void OnFrame() final;
  // Opens the first dropped file in place of the model shown.
  void OnDropFiles(HWND hwnd, HDROP drop) final;

  // Puts the model's current bounds in view: the camera keeps its direction
  // and looks at their centre from a distance that fits them; the near and
  // far planes follow bounds that lie outside the usual ones.
  void FrameModel();

  // The scene's parts, in the order they are built (the program's model comes
  // last, in WindowEx); open to the tests that watch the scene run.
  Direct3D9 direct3d9;
  DirectInput input;
  DebugCamera camera;
  bool wireframe = false;
  bool normals = false;  // each vertex's normal as a short line
  // The near and far planes of the projection now.
  float nearPlane = 0.0f, farPlane = 0.0f;

 protected:
  // The program's effect files, loaded after the debug geometry.
  virtual void LoadEffects() = 0;
  // Loads the program's model file (g_ModelFileName) and sets up its drawable.
  virtual void CreateModel() = 0;
  // The drawable that W, A, S and D walk.
  virtual Object3D& Walker() = 0;
  // The program's own keys, after the shared ones; `seconds` since the last frame.
  virtual void HandleProgramKeys(double /*seconds*/) {}
  // What else the model does each frame, after walking and before drawing.
  virtual void AdvanceModel(double /*seconds*/) {}
  // Draws the model, between the floor and the end of the scene.
  virtual void DrawModel() = 0;
  // Drawn over the model (the skeleton), outside the wireframe.
  virtual void DrawOverlays() {}
  // Every vertex of the model as it was drawn this frame, for the normals.
  virtual std::vector<PlacedNormal> ModelNormals() = 0;
  // The world box of the model as it is drawn now.
  virtual WorldBounds ModelBounds() = 0;
  // Parses `file` and, only when that succeeds, shows it in place of the
  // current model, whose records and textures are then released. False
  // (said on standard error) keeps the current model.
  virtual bool OpenModel(const std::wstring& file) = 0;
  // Reads the shown model file again (ReloadModelFile) and shows it with the
  // view and playback kept as far as the new file has them; false, with
  // `why`, keeps the shown model.
  virtual bool ReloadModel(std::string& why) = 0;
  // The program's part of the title: set, tick, rate, paused.
  virtual std::wstring TitleDetails() const { return {}; }
  // Where the program tells the user what a key did.
  std::FILE* UserOutput() const;

 private:
  void HandleSharedKeys();
  // What the model holds (ModelSummary), where the program talks to the user.
  void PrintSummary();
  void SetProjection(float nearPlane, float farPlane);
  void SaveNumberedScreenshot(IDirect3DDevice9* device);
  void UpdateTitle(double seconds);
  // --watch: every half second at most, the model's files are looked at;
  // what changed is read again.
  void WatchModelFiles(double seconds);
  void ReloadChangedTexture(const std::wstring& file);

  float aspect_ = 1.0f;
  FrameClock clock_;
  FileWatch watch_;
  bool screenshotWanted_ = false;
  bool bindPoseSaid_ = false;
  double titleSeconds_ = 0.0;  // since the title was last written
  int titleFrames_ = 0;
};

// The program's application window, of the window class and with the title
// and client size the programs share, run until it closes. Returns the
// program's exit code: 1 when the window could not be made (said on standard
// error), else what the run options decided.
template <class ProgramWindow>
int RunViewerWindow(const char* programName) {
  constexpr int kClientWidth = 640, kClientHeight = 480;
  ProgramWindow window;
  if (!window.Create(L"Application", kClientWidth, kClientHeight, CW_USEDEFAULT, CW_USEDEFAULT, L"BASIC_WINDOW",
                     nullptr, WS_OVERLAPPEDWINDOW, 0, nullptr)) {
    ReportWindowFailure(programName);
    return 1;
  }
  RunMessageLoop();
  return g_RunOptions.ExitCode();
}
