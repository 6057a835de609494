// The device object: the creation ladder on the real path with chosen rungs
// made to fail, the warning box, render states, and the back buffer.
#include <gtest/gtest.h>

#include "compat/testing_d3d9.h"
#include "compat/testing_win32.h"
#include "platform/Direct3D9.h"
#include "support/LayerTestSupport.h"

namespace {

using compat::testing::DeviceRung;

constexpr DWORD kMixed = D3DCREATE_MIXED_VERTEXPROCESSING | D3DCREATE_MULTITHREADED;
constexpr DWORD kHardware = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED;
constexpr DWORD kSoftware = D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED;

class DeviceLadder : public ::testing::Test {
 protected:
  void SetUp() override {
    window = test_support::CreatePlainWindow(640, 480);
    ASSERT_NE(window, nullptr);
    compat::testing::TakeDeviceCreationAttempts();
    compat::testing::TakeMessageBoxes();
  }
  void TearDown() override {
    compat::testing::ResetDeviceFailures();
    DestroyWindow(window);
    EXPECT_EQ(compat::testing::LiveObjectCount(), 0);
  }
  HWND window = nullptr;
};

TEST_F(DeviceLadder, HardwareRungComesFirstAndNoBoxIsShown) {
  {
    Direct3D9 d3d;
    ASSERT_TRUE(d3d.Initialize(window, 656, 519));
    ASSERT_NE(d3d.device, nullptr);
    EXPECT_EQ(d3d.deviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(compat::testing::TakeDeviceCreationAttempts(), (std::vector<DeviceRung>{{D3DDEVTYPE_HAL, kMixed}}));
    EXPECT_TRUE(compat::testing::TakeMessageBoxes().empty());

    EXPECT_EQ(d3d.presentParameters.BackBufferWidth, 656u);
    EXPECT_EQ(d3d.presentParameters.BackBufferHeight, 519u);
    EXPECT_EQ(d3d.presentParameters.BackBufferFormat, d3d.displayMode.Format);
    EXPECT_EQ(d3d.presentParameters.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(d3d.presentParameters.AutoDepthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(d3d.presentParameters.PresentationInterval, 0u);
    EXPECT_NE(d3d.renderTarget, nullptr);
    EXPECT_NE(d3d.depthStencil, nullptr);
    EXPECT_EQ(d3d.viewport.Width, 656u);
    EXPECT_EQ(d3d.viewport.Height, 519u);

    const std::pair<D3DRENDERSTATETYPE, DWORD> expected[] = {
        {D3DRS_CULLMODE, D3DCULL_CCW}, {D3DRS_CLIPPING, TRUE}, {D3DRS_STENCILENABLE, TRUE},
        {D3DRS_ZWRITEENABLE, TRUE},    {D3DRS_ZENABLE, D3DZB_TRUE}, {D3DRS_LIGHTING, TRUE}};
    for (auto [state, value] : expected) {
      DWORD actual = 0;
      EXPECT_EQ(d3d.device->GetRenderState(state, &actual), D3D_OK);
      EXPECT_EQ(actual, value) << "render state " << state;
    }

    // A second Initialize keeps the first device.
    IDirect3DDevice9* first = d3d.device;
    EXPECT_TRUE(d3d.Initialize(window, 100, 100));
    EXPECT_EQ(d3d.device, first);
    EXPECT_TRUE(compat::testing::TakeDeviceCreationAttempts().empty());
  }
}

TEST_F(DeviceLadder, RenderStatesAreSetInOrder) {
  compat::testing::StartTrace();
  {
    Direct3D9 d3d;
    ASSERT_TRUE(d3d.Initialize(window, 64, 64));
  }
  std::vector<std::string> states;
  for (auto& line : compat::testing::StopTrace())
    if (line.rfind("SetRenderState", 0) == 0) states.push_back(line);
  EXPECT_EQ(states, (std::vector<std::string>{"SetRenderState 22 3", "SetRenderState 136 1", "SetRenderState 52 1",
                                              "SetRenderState 14 1", "SetRenderState 7 1", "SetRenderState 137 1"}));
}

TEST_F(DeviceLadder, FailingRungsFallThroughToTheReferenceDevice) {
  compat::testing::FailDeviceRungs({{D3DDEVTYPE_HAL, kMixed}});
  {
    Direct3D9 d3d;
    ASSERT_TRUE(d3d.Initialize(window, 64, 64));
    EXPECT_EQ(d3d.deviceType, D3DDEVTYPE_REF);
    EXPECT_EQ(d3d.caps.DeviceType, D3DDEVTYPE_REF);
  }
  EXPECT_EQ(compat::testing::TakeDeviceCreationAttempts(),
            (std::vector<DeviceRung>{{D3DDEVTYPE_HAL, kMixed}, {D3DDEVTYPE_REF, kHardware}}));

  compat::testing::FailDeviceRungs({{D3DDEVTYPE_HAL, kMixed}, {D3DDEVTYPE_REF, kHardware}});
  {
    Direct3D9 d3d;
    ASSERT_TRUE(d3d.Initialize(window, 64, 64));
    EXPECT_EQ(d3d.deviceType, D3DDEVTYPE_REF);
  }
  EXPECT_EQ(compat::testing::TakeDeviceCreationAttempts(),
            (std::vector<DeviceRung>{{D3DDEVTYPE_HAL, kMixed}, {D3DDEVTYPE_REF, kHardware}, {D3DDEVTYPE_REF, kSoftware}}));
  EXPECT_TRUE(compat::testing::TakeMessageBoxes().empty());
}

TEST_F(DeviceLadder, WhenEveryRungFailsTheWarningBoxIsShown) {
  compat::testing::FailEveryDeviceRung(true);
  Direct3D9 d3d;
  EXPECT_FALSE(d3d.Initialize(window, 64, 64));
  EXPECT_EQ(d3d.device, nullptr);
  EXPECT_NE(d3d.direct3d, nullptr);  // kept, released by the destructor
  EXPECT_EQ(d3d.deviceType, D3DDEVTYPE_SW);
  EXPECT_EQ(compat::testing::TakeDeviceCreationAttempts(),
            (std::vector<DeviceRung>{{D3DDEVTYPE_HAL, kMixed},
                                     {D3DDEVTYPE_REF, kHardware},
                                     {D3DDEVTYPE_REF, kSoftware},
                                     {D3DDEVTYPE_SW, kSoftware}}));
  auto boxes = compat::testing::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"DirectXが使えません、グラフィックボードを買い替えてください");
  EXPECT_EQ(boxes[0].caption, L"Error");
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONWARNING));
}

TEST_F(DeviceLadder, WithoutDirect3DNothingIsTriedAndNothingShown) {
  compat::testing::FailDirect3DCreate(true);
  Direct3D9 d3d;
  EXPECT_FALSE(d3d.Initialize(window, 64, 64));
  EXPECT_EQ(d3d.direct3d, nullptr);
  EXPECT_TRUE(compat::testing::TakeDeviceCreationAttempts().empty());
  EXPECT_TRUE(compat::testing::TakeMessageBoxes().empty());
}

TEST_F(DeviceLadder, TheSoftwareDeviceIsNotRegisteredHere) {
  IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(direct3d, nullptr);
  D3DCAPS9 caps;
  EXPECT_EQ(direct3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_SW, &caps), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(Direct3DCreate9(31), nullptr);  // another SDK version
  direct3d->Release();
}

}  // namespace
