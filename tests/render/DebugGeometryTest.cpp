// The floor grid and the axes: what reaches the device, and where the pixels land.
#include <gtest/gtest.h>

#include <cstring>

#include "support/DebugGeometryTeardown.h"
#include "support/RenderDevice.h"
#include "compat/testing.h"
#include "compat/testing_draw.h"
#include "render/DebugGeometry.h"
#include "render/ViewMatrices.h"
#include "support/StderrCapture.h"

namespace {

using rendertest::InAssetsFolder;
using rendertest::Pixel;
using rendertest::RenderDevice;

std::vector<ColorVertex> LastVertices() {
  std::vector<std::uint8_t> bytes = compat::testing::LastUserPrimitiveData();
  std::vector<ColorVertex> vertices(bytes.size() / sizeof(ColorVertex));
  std::memcpy(vertices.data(), bytes.data(), vertices.size() * sizeof(ColorVertex));
  return vertices;
}

void ExpectVertex(const ColorVertex& v, float x, float y, float z, D3DCOLOR color) {
  EXPECT_NEAR(v.x, x, 1e-4f);
  EXPECT_NEAR(v.y, y, 1e-4f);
  EXPECT_NEAR(v.z, z, 1e-4f);
  EXPECT_EQ(v.color, color);
}

D3DXMATRIX Rows(std::initializer_list<float> values) {
  D3DXMATRIX m;
  std::copy(values.begin(), values.end(), reinterpret_cast<float*>(&m));
  return m;
}


const D3DXMATRIX kIdentity = Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});

class DebugGeometryTest : public ::testing::Test {
 protected:
  DebugGeometryTest() {
    g_ViewMatrix = kIdentity;
    g_ProjectionMatrix = kIdentity;
  }
  ~DebugGeometryTest() override { TearDownDebugGeometry(); }
  InAssetsFolder folder_;
  RenderDevice device_{100, 100};
};

TEST_F(DebugGeometryTest, WithoutTheEffectNothingReachesTheDevice) {
  std::filesystem::current_path(XVIEW_TEST_DATA);  // no geometory.cfx here
  StderrCapture captured;
  EXPECT_FALSE(SetupDebugGeometry(device_.device()));
  std::string output = captured.Take();
  EXPECT_NE(output.find("geometory.cfx: cannot open the file"), std::string::npos) << output;
  EXPECT_EQ(g_ColorDecl, nullptr);
  compat::testing::StartTrace();
  EXPECT_FALSE(DrawGrid(100.0f));
  EXPECT_FALSE(DrawAxes(50.0f));
  EXPECT_TRUE(compat::testing::StopTrace().empty());
}

TEST_F(DebugGeometryTest, SetupHappensOnce) {
  ASSERT_TRUE(SetupDebugGeometry(device_.device()));
  EXPECT_NE(g_ColorDecl, nullptr);
  D3DVERTEXELEMENT9 elements[MAXD3DDECLLENGTH];
  UINT count = 0;
  ASSERT_EQ(g_ColorDecl->GetDeclaration(elements, &count), D3D_OK);
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(elements[1].Offset, 12);
  EXPECT_EQ(elements[1].Type, D3DDECLTYPE_D3DCOLOR);
  EXPECT_EQ(elements[1].Usage, D3DDECLUSAGE_COLOR);
  EXPECT_FALSE(SetupDebugGeometry(device_.device()));
}

TEST_F(DebugGeometryTest, GridHandsTwentyEightVerticesAsFourteenLines) {
  ASSERT_TRUE(SetupDebugGeometry(device_.device()));
  compat::testing::StartTrace();
  EXPECT_TRUE(DrawGrid(100.0f));
  auto trace = compat::testing::StopTrace();
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "DrawPrimitiveUP 2 14 16"), 1);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "ID3DXEffect::BeginPass 1"), 1);
  EXPECT_EQ(trace.back(), "ID3DXEffect::End");

  auto v = LastVertices();
  ASSERT_EQ(v.size(), 28u);
  ExpectVertex(v[0], -50, 0, 50, 0xFFFFFFFF);  // first line
  ExpectVertex(v[1], -50, 0, -50, 0xFFFFFFFF);
  ExpectVertex(v[14], 50, 0, -50, 0xFFFFFFFF);  // eighth line
  ExpectVertex(v[15], -50, 0, -50, 0xFFFFFFFF);
  ExpectVertex(v[6], 0, 0, 50, 0xFFFFFFFF);
  EXPECT_NEAR(v[2].x, -100.0f / 3.0f, 1e-4f);
  ExpectVertex(v[27], -50, 0, 50, 0xFFFFFFFF);

  EXPECT_TRUE(DrawGrid(0.0f));
  for (const ColorVertex& vertex : LastVertices()) ExpectVertex(vertex, 0, 0, 0, 0xFFFFFFFF);
}

TEST_F(DebugGeometryTest, SceneLinesKeepTheDepthTestAndGoInCallsTheDeviceTakes) {
  ASSERT_TRUE(SetupDebugGeometry(device_.device()));
  std::vector<ColorVertex> lines(2 * 70000, ColorVertex{1, 2, 3, 0xFF00FFFF});
  compat::testing::StartTrace();
  EXPECT_TRUE(DrawSceneLines(lines, kIdentity));
  auto trace = compat::testing::StopTrace();
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "DrawPrimitiveUP 2 65535 16"), 1);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "DrawPrimitiveUP 2 4465 16"), 1);
  EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                          [](const std::string& line) { return line.rfind("SetRenderState 7", 0) == 0; }),
            0);
  EXPECT_FALSE(DrawSceneLines({lines[0]}, kIdentity));  // half a line
}

TEST_F(DebugGeometryTest, AxesAreThreeColouredLinesThroughTheOrigin) {
  ASSERT_TRUE(SetupDebugGeometry(device_.device()));
  compat::testing::StartTrace();
  EXPECT_TRUE(DrawAxes(50.0f));
  auto trace = compat::testing::StopTrace();
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "DrawPrimitiveUP 2 3 16"), 1);
  auto v = LastVertices();
  ASSERT_EQ(v.size(), 6u);
  ExpectVertex(v[0], -25, 0, 0, 0xFFFF0000);
  ExpectVertex(v[1], 25, 0, 0, 0xFFFF0000);
  ExpectVertex(v[2], 0, -25, 0, 0xFF00FF00);
  ExpectVertex(v[3], 0, 25, 0, 0xFF00FF00);
  ExpectVertex(v[4], 0, 0, -25, 0xFF0000FF);
  ExpectVertex(v[5], 0, 0, 25, 0xFF0000FF);
}

// One world unit per pixel on a 100 x 100 back buffer, centred half a pixel
// in so that lines on whole units fall on pixel centres: column 50 + x, and
// row 49 - z (from above) or row 49 - y (from the front).
const D3DXMATRIX kFromAbove = Rows({0.02f, 0, 0, 0, 0, 0, 0, 0, 0, 0.02f, 0, 0, 0.01f, 0.01f, 0.5f, 1});
const D3DXMATRIX kFromFront = Rows({0.02f, 0, 0, 0, 0, 0.02f, 0, 0, 0, 0, 0, 0, 0.01f, 0.01f, 0.5f, 1});

TEST_F(DebugGeometryTest, PixelsLandWhereTheMatricesPutThem) {
  ASSERT_TRUE(SetupDebugGeometry(device_.device()));
  const Pixel white{255, 255, 255}, red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, black{0, 0, 0};
  auto draw = [&](const D3DXMATRIX& projection) {
    g_ProjectionMatrix = projection;
    device_.Clear(0xFF000000);
    device_.device()->BeginScene();
    EXPECT_TRUE(DrawGrid(100.0f));
    EXPECT_TRUE(DrawAxes(50.0f));
    device_.device()->EndScene();
    return device_.ReadBackBuffer();
  };
  auto at = [](const std::vector<Pixel>& image, int x, int y) {
    return image[static_cast<std::size_t>(y) * 100 + x];
  };

  auto above = draw(kFromAbove);
  ASSERT_EQ(above.size(), 10000u);
  EXPECT_EQ(at(above, 50, 49 - 40), white);  // grid line x = 0 beyond the Z axis
  EXPECT_EQ(at(above, 50 + 40, 49), white);  // grid line z = 0 beyond the X axis
  EXPECT_EQ(at(above, 50 + 8, 49 - 40), black);
  EXPECT_EQ(at(above, 50 + 10, 49), red);
  EXPECT_EQ(at(above, 50 - 20, 49), red);
  EXPECT_EQ(at(above, 50, 49 - 10), blue);  // +z is up the screen
  EXPECT_EQ(at(above, 50, 49 + 20), blue);
  bool gridAtSixth = at(above, 50 + 16, 49 - 40) == white || at(above, 50 + 17, 49 - 40) == white;
  EXPECT_TRUE(gridAtSixth);

  auto front = draw(kFromFront);
  EXPECT_EQ(at(front, 50, 49 - 10), green);
  EXPECT_EQ(at(front, 50, 49 + 20), green);
  EXPECT_EQ(at(front, 50, 49 - 30), black);  // the axis ends at 25
  EXPECT_EQ(at(front, 50 + 40, 49), white);  // the grid seen edge-on
}

TEST_F(DebugGeometryTest, GridAndAxesIgnoreTheWorldTheMeshesUsed) {
  ASSERT_TRUE(SetupDebugGeometry(device_.device()));
  g_ProjectionMatrix = kFromAbove;
  const D3DXMATRIX moved = Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 30, 0, 30, 1});
  ASSERT_TRUE(g_GeometryEffect.SetMatrix(L"g_mWorld", moved));
  device_.Clear(0xFF000000);
  device_.device()->BeginScene();
  EXPECT_TRUE(DrawAxes(50.0f));
  device_.device()->EndScene();
  auto image = device_.ReadBackBuffer();
  ASSERT_EQ(image.size(), 10000u);
  EXPECT_EQ(image[49 * 100 + 60], (Pixel{255, 0, 0}));
}

}  // namespace
