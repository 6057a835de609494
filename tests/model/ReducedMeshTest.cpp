// The static viewer's form of a mesh: no skin stream, no frame matrix, placed
// by its own transform alone.
#include <gtest/gtest.h>

#include "ModelTesting.h"
#include "compat/testing.h"
#include "render/Effect.h"
#include "render/MeshDrawing.h"
#include "support/RenderDevice.h"
#include "render/ViewMatrices.h"

namespace {

using namespace modeltest;

TEST(ReducedMeshTest, KnowsNoSkinAndIsPlacedByItsOwnTransform) {
  rendertest::InAssetsFolder folder;
  rendertest::RenderDevice device;
  ASSERT_TRUE(LoadEffect(device.device(), L"mesh.cfx"));
  XMesh record = FanMesh(3);
  {
    Mesh mesh;
    ASSERT_TRUE(mesh.Setup(&record, device.device()));
    EXPECT_EQ(mesh.flags, 0x05u);
    EXPECT_FALSE(mesh.BuildVertexStream(device.device(), &record, STREAM_SKIN));
    EXPECT_EQ(mesh.vertexBuffers.size(), 2u);

    mesh.position = D3DXVECTOR3(1, 2, 3);
    D3DXMatrixIdentity(&g_ViewMatrix);
    D3DXMatrixIdentity(&g_ProjectionMatrix);
    device.device()->BeginScene();
    compat::testing::StartTrace();
    EXPECT_TRUE(DrawMesh(mesh));
    std::vector<std::string> trace = compat::testing::StopTrace();
    device.device()->EndScene();
    ExpectMatrixNear(mesh.world, Translation(1, 2, 3), 0);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "DrawIndexedPrimitive 4 0 0 5 0 3"), 1);
  }
  g_EffectMap.clear();
  device.Close();
  EXPECT_EQ(compat::testing::LiveObjectCount(), 0);
}

}  // namespace
