#include "common/ViewerWindow.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "common/ModelReload.h"
#include "common/ProgramMessages.h"
#include "common/RunOptions.h"
#include "common/Screenshots.h"
#include "common/ViewerFraming.h"
#include "model/ModelSummary.h"
#include "platform/FilePaths.h"
#include "platform/TextConversion.h"
#include "render/DebugGeometry.h"
#include "render/Texture.h"
#include "render/ViewMatrices.h"
#include "xfile/ModelLoading.h"
#include "xfile/ParseMessages.h"

namespace {

constexpr float kZoomSpeed = 0.02f;   // units per wheel unit (120 a notch)
constexpr float kPanSpeed = 0.2f;     // units per mouse count
constexpr float kOrbitSpeed = 1.0f;   // degrees per mouse count
constexpr float kGridSize = 100.0f;
constexpr float kAxesLength = 50.0f;
constexpr D3DCOLOR kBackground = 0xFF000000;
constexpr double kTitleInterval = 0.25;  // seconds between updates of the title
constexpr UINT kDroppedFileCount = 0xFFFFFFFF;

// Moves `object` by `move` and, while it moves, turns it to face that way: a
// model whose front faces -Z looks along the walk. Standing still keeps the
// last heading.
void WalkAlong(Object3D& object, const D3DXVECTOR3& move) {
  object.position.x += move.x;
  object.position.y += move.y;
  object.position.z += move.z;
  if (D3DXVec3Length(&move) > 0.0f)
    D3DXMatrixRotationYawPitchRoll(&object.rotation, std::atan2(-move.x, -move.z), 0.0f, 0.0f);
}

}  // namespace

int ViewerWindow::OnCreate(HWND window, CREATESTRUCTW* createStruct) {
  direct3d9.Initialize(window, createStruct->cx, createStruct->cy);
  if (SUCCEEDED(DirectInput8Create(GetModuleHandleW(NULL), DIRECTINPUT_VERSION, IID_IDirectInput8W,
                                   reinterpret_cast<void**>(&input.directInput), NULL))) {
    input.Initialize(window);
  }
  SetupDebugGeometry(direct3d9.device);
  LoadEffects();
  camera.Setup(kCameraTarget, kCameraEye);
  // The aspect of the outer window size, which is the back buffer's.
  aspect_ = static_cast<float>(createStruct->cx) / static_cast<float>(createStruct->cy);
  SetProjection(kNearPlane, kFarPlane);
  CreateModel();
  wireframe = g_RunOptions.Wireframe();
  normals = g_RunOptions.Normals();
  if (g_RunOptions.Fit()) FrameModel();
  DragAcceptFiles(window, TRUE);
  if (g_RunOptions.Watch()) watch_.Watch(FilesOfModel(g_ModelFileName));
  clock_.Restart();
  return 1;
}

void ViewerWindow::SetProjection(float nearDistance, float farDistance) {
  nearPlane = nearDistance;
  farPlane = farDistance;
  D3DXMatrixPerspectiveFovLH(&camera.projection, kFieldOfView, aspect_, nearPlane, farPlane);
  g_ProjectionMatrix = camera.projection;
}

std::FILE* ViewerWindow::UserOutput() const { return g_RunOptions.Program().talksOnConsole ? stdout : stderr; }

void ViewerWindow::FrameModel() {
  WorldBounds bounds = ModelBounds();
  if (bounds.empty) return;
  if (bounds.bindPoseMeshes && !bindPoseSaid_) {
    bindPoseSaid_ = true;
    Report(ProgramMessage::FramedByBindPose, ToUtf8(g_RunOptions.Program().name).c_str(), bounds.bindPoseMeshes,
           bounds.bindPoseMeshes == 1 ? "" : "es", kPosedBoundsVertexLimit);
  }
  D3DXVECTOR3 direction = camera.eye - camera.lookAt;
  if (D3DXVec3Length(&direction) == 0.0f) direction = kCameraEye - kCameraTarget;
  const SphereView view = FrameSphere(bounds.Centre(), bounds.Radius(), direction, kFieldOfView, aspect_,
                                      kFramingMargin, kNearPlane, kFarPlane);
  camera.Setup(view.lookAt, view.eye);
  camera.UpdateView();
  g_ViewMatrix = camera.view;
  SetProjection(view.nearPlane, view.farPlane);
}

// Every press since the last frame counts: a toggle pressed twice is back
// where it was. Framing, the screenshot, the help and closing act once
// however often they were pressed, since a second time gives nothing new.
void ViewerWindow::HandleSharedKeys() {
  if (input.Presses(DIK_F)) FrameModel();
  if (input.Presses(DIK_X) % 2) wireframe = !wireframe;
  if (input.Presses(DIK_N) % 2) normals = !normals;
  if (input.Presses(DIK_F12)) screenshotWanted_ = true;
  if (input.Presses(DIK_H) || input.Presses(DIK_F1)) PrintControls(UserOutput(), g_RunOptions.Program());
  if (input.Presses(DIK_I)) PrintSummary();
  if (input.Presses(DIK_ESCAPE)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

void ViewerWindow::PrintSummary() {
  std::FILE* out = UserOutput();
  if (const XModelContent* content = FindModel()) {
    std::fputs(ModelSummary(g_ModelFileName, *content).c_str(), out);
  } else {
    std::fprintf(out, "model file \"%s\": not loaded\n", ToUtf8(Escaped(g_ModelFileName)).c_str());
  }
  std::fflush(out);
}

void ViewerWindow::SaveNumberedScreenshot(IDirect3DDevice9* device) {
  screenshotWanted_ = false;
  const std::wstring& program = g_RunOptions.Program().name;
  std::wstring name = NextScreenshotName(program);
  std::string programText = ToUtf8(program);
  if (name.empty()) {
    Report(ProgramMessage::ScreenshotNamesUsed, programText.c_str(), programText.c_str(), programText.c_str());
    return;
  }
  if (!SaveBackBuffer(device, name)) {
    Report(ProgramMessage::ScreenshotNotWritten, ToUtf8(name).c_str(), device ? "" : ": no Direct3D device");
    return;
  }
  Say(UserOutput(), ProgramMessage::ScreenshotSaved, programText.c_str(), ToUtf8(name).c_str());
}

// "actorviewer - miko.x - set 1 "Walk" of 2 - tick 12.5 of 4800 - 1x - 60 fps"
void ViewerWindow::UpdateTitle(double seconds) {
  titleSeconds_ += seconds;
  ++titleFrames_;
  if (titleSeconds_ < kTitleInterval) return;
  wchar_t rate[32];
  std::swprintf(rate, 32, L"%.1f fps", titleFrames_ / titleSeconds_);
  std::wstring title = std::wstring(g_RunOptions.Program().name) + L" - " + FileNameOf(g_ModelFileName);
  std::wstring details = TitleDetails();
  if (!details.empty()) title += L" - " + details;
  if (g_RunOptions.Watch()) title += L" - watching";
  title += L" - ";
  title += rate;
  SetWindowTextW(hwnd, title.c_str());
  titleSeconds_ = 0.0;
  titleFrames_ = 0;
}

void ViewerWindow::OnDropFiles(HWND, HDROP drop) {
  UINT count = DragQueryFileW(drop, kDroppedFileCount, nullptr, 0);
  std::wstring file;
  if (count > 0) {
    file.assign(DragQueryFileW(drop, 0, nullptr, 0), L'\0');
    DragQueryFileW(drop, 0, file.data(), static_cast<UINT>(file.size() + 1));
  }
  DragFinish(drop);
  if (file.empty()) return;
  if (count > 1)
    Report(ProgramMessage::DroppedFilesIgnored, ToUtf8(g_RunOptions.Program().name).c_str(), count - 1,
           count == 2 ? "" : "s");
  if (!OpenModel(file))
    Report(ProgramMessage::DroppedFileNotOpened, ToUtf8(g_RunOptions.Program().name).c_str(),
           ToUtf8(Escaped(file)).c_str());
  else if (g_RunOptions.Watch())
    watch_.Watch(FilesOfModel(g_ModelFileName));
}

void ViewerWindow::WatchModelFiles(double seconds) {
  const std::vector<std::wstring> changed = watch_.Changed(seconds);
  if (changed.empty()) return;
  const std::string program = ToUtf8(g_RunOptions.Program().name);
  for (const std::wstring& file : changed) {
    if (file != g_ModelFileName) {
      ReloadChangedTexture(file);
      continue;
    }
    std::string why;
    if (ReloadModel(why)) {
      Say(UserOutput(), ProgramMessage::ModelReloaded, program.c_str(), ToUtf8(Escaped(file)).c_str());
    } else {
      Report(ProgramMessage::ModelNotReloaded, program.c_str(), ToUtf8(Escaped(file)).c_str(), why.c_str());
    }
  }
  // The new file may name other textures.
  watch_.Watch(FilesOfModel(g_ModelFileName));
}

// Every texture read from `file` (several names may find the same image),
// said once.
void ViewerWindow::ReloadChangedTexture(const std::wstring& file) {
  HRESULT result = D3D_OK;
  for (auto& [name, texture] : g_TextureMap)
    if (texture.source == file && SUCCEEDED(result)) result = ReloadTexture(direct3d9.device, name);
  const std::string program = ToUtf8(g_RunOptions.Program().name);
  const std::string shown = ToUtf8(Escaped(file));
  if (SUCCEEDED(result)) {
    Say(UserOutput(), ProgramMessage::TextureReloaded, program.c_str(), shown.c_str());
  } else {
    Report(ProgramMessage::TextureNotReloaded, program.c_str(), shown.c_str(),
           result == D3DXERR_INVALIDDATA ? "it is not an image that can be read" : "it cannot be opened");
  }
}

// Clears to black, draws the floor grid, the axes, the model and, while they
// are on, its normals, and presents; presents even when the scene cannot begin. Without a device there
// is nothing to draw on, but the frame still counts for --frames.
void ViewerWindow::OnFrame() {
  const double seconds = clock_.Lap();
  if (g_RunOptions.Watch()) WatchModelFiles(seconds);
  input.Update();
  camera.Update(input, kZoomSpeed, kPanSpeed, kOrbitSpeed);
  g_ViewMatrix = camera.view;
  HandleSharedKeys();
  HandleProgramKeys(seconds);
  WalkAlong(Walker(), GetMoveDirection(input, camera));
  AdvanceModel(seconds);

  IDirect3DDevice9* device = direct3d9.device;
  if (device && SUCCEEDED(device->BeginScene())) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kBackground, 1.0f, 0);
    DrawGrid(kGridSize);
    DrawAxes(kAxesLength);
    // Only the model is drawn as wireframe; nothing is set while it is off.
    if (wireframe) device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    DrawModel();
    if (wireframe) device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    if (normals) DrawNormals(ModelNormals());
    DrawOverlays();
    device->EndScene();
  }
  // Screenshots show the frame as it is presented.
  if (screenshotWanted_) SaveNumberedScreenshot(device);
  g_RunOptions.BeforePresent(device);
  if (device) device->Present(nullptr, nullptr, nullptr, nullptr);
  UpdateTitle(seconds);
  g_RunOptions.AfterPresent(hwnd);
}
