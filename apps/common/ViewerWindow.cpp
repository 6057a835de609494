#include "common/ViewerWindow.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "common/ProgramMessages.h"
#include "common/RunOptions.h"
#include "common/Screenshots.h"
#include "platform/FilePaths.h"
#include "platform/TextConversion.h"
#include "render/DebugGeometry.h"
#include "render/ViewMatrices.h"
#include "xfile/ModelLoading.h"
#include "xfile/ParseMessages.h"

namespace {

// The debug camera's start: looking at a point 5 units above the origin from
// 100 units in front of it and 30 above.
const D3DXVECTOR3 kCameraTarget(0.0f, 5.0f, 0.0f);
const D3DXVECTOR3 kCameraEye(0.0f, 30.0f, -100.0f);
constexpr float kZoomSpeed = 0.02f;   // units per wheel unit (120 a notch)
constexpr float kPanSpeed = 0.2f;     // units per mouse count
constexpr float kOrbitSpeed = 1.0f;   // degrees per mouse count
constexpr float kFieldOfView = D3DX_PI / 4;
constexpr float kNearPlane = 0.1f;
constexpr float kFarPlane = 1000.0f;
constexpr float kGridSize = 100.0f;
constexpr float kAxesLength = 50.0f;
constexpr D3DCOLOR kBackground = 0xFF000000;
constexpr double kTitleInterval = 0.25;  // seconds between updates of the title
// Framing leaves this much room around the model's bounding sphere.
constexpr float kFramingMargin = 1.05f;
constexpr UINT kDroppedFileCount = 0xFFFFFFFF;

bool Pressed(const DirectInput& input, int key) { return input.GetKey(key) == InputState::Pressed; }

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
  if (g_RunOptions.Fit()) FrameModel();
  DragAcceptFiles(window, TRUE);
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

void ViewerWindow::HandleSharedKeys() {
  if (Pressed(input, DIK_F)) FrameModel();
  if (Pressed(input, DIK_X)) wireframe = !wireframe;
  if (Pressed(input, DIK_F12)) screenshotWanted_ = true;
  if (Pressed(input, DIK_H) || Pressed(input, DIK_F1)) PrintControls(UserOutput(), g_RunOptions.Program());
  if (Pressed(input, DIK_ESCAPE)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
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
}

// Clears to black, draws the floor grid, the axes and then the model, and
// presents; presents even when the scene cannot begin. Without a device there
// is nothing to draw on, but the frame still counts for --frames.
void ViewerWindow::OnFrame() {
  const double seconds = clock_.Lap();
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
