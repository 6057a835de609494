// Turning parsed mesh records into vertex streams and index buffers on a
// real device: layouts, strides, the bytes of each stream, index widths.
#include <gtest/gtest.h>

#include <cstring>

#include "ModelTesting.h"
#include "compat/testing.h"
#include "model/Mesh.h"
#include "support/RenderDevice.h"

namespace {

using namespace modeltest;
using rendertest::RenderDevice;

// The bytes of a buffer as it was filled.
template <class Buffer>
std::vector<std::uint8_t> Contents(Buffer* buffer) {
  void* data = nullptr;
  std::vector<std::uint8_t> bytes;
  if (!buffer || FAILED(buffer->Lock(0, 0, &data, 0))) return bytes;
  typename std::conditional_t<std::is_same_v<Buffer, IDirect3DIndexBuffer9>, D3DINDEXBUFFER_DESC,
                              D3DVERTEXBUFFER_DESC>
      desc{};
  buffer->GetDesc(&desc);
  bytes.assign(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + desc.Size);
  buffer->Unlock();
  return bytes;
}

std::vector<D3DVERTEXELEMENT9> Declaration(IDirect3DVertexDeclaration9* declaration) {
  std::vector<D3DVERTEXELEMENT9> elements(MAXD3DDECLLENGTH + 1);
  UINT count = static_cast<UINT>(elements.size());
  if (!declaration || FAILED(declaration->GetDeclaration(elements.data(), &count))) return {};
  elements.resize(count);
  return elements;
}

class MeshBuildingTest : public ::testing::Test {
 protected:
  ~MeshBuildingTest() override {
    device_.Close();
    EXPECT_EQ(compat::testing::LiveObjectCount(), 0);
  }
  RenderDevice device_;
};

TEST_F(MeshBuildingTest, TheContentFlagsChooseTheStreams) {
  XMesh record = FanMesh(2);
  {
    Mesh mesh;
    ASSERT_TRUE(mesh.Setup(&record, device_.device()));
    EXPECT_EQ(mesh.flags, 0x05u);
    EXPECT_EQ(mesh.strides, (std::vector<std::uint32_t>{24, 8}));
    std::vector<D3DVERTEXELEMENT9> elements = Declaration(mesh.declaration);
    ASSERT_EQ(elements.size(), 4u);  // three elements and the end marker
    EXPECT_EQ(elements[1].Offset, 12);
    EXPECT_EQ(elements[1].Usage, D3DDECLUSAGE_NORMAL);
    EXPECT_EQ(elements[2].Stream, 1);
    EXPECT_EQ(elements[2].Usage, D3DDECLUSAGE_TEXCOORD);
    EXPECT_EQ(elements[3].Stream, 0xFF);
    EXPECT_TRUE(mesh.palette.empty());
  }
  record.flags &= ~static_cast<std::uint32_t>(HasNormals);
  Mesh mesh;
  mesh.Setup(&record, device_.device());
  EXPECT_EQ(mesh.flags, 0x04u);
  EXPECT_EQ(mesh.strides, (std::vector<std::uint32_t>{8}));
  EXPECT_EQ(Declaration(mesh.declaration)[0].Stream, 0);
  Mesh none;
  EXPECT_FALSE(none.Setup(nullptr, device_.device()));
  EXPECT_EQ(none.declaration, nullptr);
}

TEST_F(MeshBuildingTest, ASkinnedRecordGetsASkinStreamAndAZeroPalettePerBone) {
  XMesh record = FanMesh(2);
  record.flags |= HasSkin;
  record.bones.resize(30);
  Mesh mesh;
  mesh.Setup(&record, device_.device());
  EXPECT_EQ(mesh.strides, (std::vector<std::uint32_t>{24, 8, 20}));
  ASSERT_EQ(mesh.palette.size(), 30u);
  for (const D3DXMATRIX& m : mesh.palette)
    for (int i = 0; i < 16; ++i) EXPECT_EQ(reinterpret_cast<const float*>(&m)[i], 0.0f);
}

TEST_F(MeshBuildingTest, EveryKindOfStreamHasItsLayoutAndBytes) {
  XMesh record = FanMesh(1);
  XVertex& v = record.vertices[0];
  v.tangent = D3DXVECTOR4(0.25f, 0.5f, 0.75f, -1.0f);
  v.color = {1.5f, 0.5f, -0.2f, 1.0f};
  for (int i = 0; i < 6; ++i) v.influences.push_back({0.1f * static_cast<float>(i + 1), static_cast<std::uint8_t>(i + 3)});
  record.vertices[1].influences.push_back({0.75f, 7});

  Stream stream;
  ASSERT_TRUE(stream.Build(device_.device(), &record, 0x1F));
  EXPECT_EQ(stream.strides, (std::vector<std::uint32_t>{24, 12, 8, 4, 20}));
  std::vector<D3DVERTEXELEMENT9> elements = Declaration(stream.declaration);
  ASSERT_EQ(elements.size(), 8u);
  EXPECT_EQ(elements[2].Type, D3DDECLTYPE_FLOAT3);
  EXPECT_EQ(elements[2].Usage, D3DDECLUSAGE_TANGENT);
  EXPECT_EQ(elements[4].Type, D3DDECLTYPE_D3DCOLOR);
  EXPECT_EQ(elements[6].Offset, 16);
  EXPECT_EQ(elements[6].Type, D3DDECLTYPE_UBYTE4);
  EXPECT_EQ(elements[6].Stream, 4);

  std::vector<std::uint8_t> tangents = Contents(stream.vertexBuffers[1]);
  float tangent[3];
  std::memcpy(tangent, tangents.data(), 12);
  EXPECT_EQ(tangent[2], 0.75f);  // the handedness is not copied

  std::uint32_t color = 0;
  std::memcpy(&color, Contents(stream.vertexBuffers[3]).data(), 4);
  EXPECT_EQ(color, 0xFFFF8000u);

  std::vector<std::uint8_t> skin = Contents(stream.vertexBuffers[4]);
  ASSERT_EQ(skin.size(), 3u * 20);
  float weights[8];
  std::memcpy(weights, skin.data(), 16);
  std::memcpy(weights + 4, skin.data() + 20, 16);
  EXPECT_EQ(weights[3], 0.4f);  // first four influences in list order
  EXPECT_EQ(std::vector<std::uint8_t>(skin.begin() + 16, skin.begin() + 20), (std::vector<std::uint8_t>{3, 4, 5, 6}));
  EXPECT_EQ(weights[4], 0.75f);
  EXPECT_EQ(weights[5], 0.0f);
  EXPECT_EQ(std::vector<std::uint8_t>(skin.begin() + 36, skin.begin() + 40), (std::vector<std::uint8_t>{7, 0, 0, 0}));
}

TEST_F(MeshBuildingTest, IndicesAre16BitsUpTo65536VerticesAnd32BitsBeyond) {
  XMesh record = FanMesh(100);
  Stream narrow;
  ASSERT_TRUE(narrow.Build(device_.device(), &record, STREAM_POSITION_NORMAL));
  std::vector<std::uint8_t> indices = Contents(narrow.indexBuffer);
  EXPECT_EQ(indices.size(), 600u);
  std::uint16_t third = 0;
  std::memcpy(&third, indices.data() + 4, 2);
  EXPECT_EQ(third, 1);

  // The boundary itself: 65,536 vertices (indices 0 to 65,535) still fit 16
  // bits, one more does not.
  XMesh full = FanMesh(65534);  // 65,536 vertices
  Stream atLimit;
  ASSERT_TRUE(atLimit.Build(device_.device(), &full, STREAM_POSITION_NORMAL));
  D3DINDEXBUFFER_DESC limitDesc{};
  atLimit.indexBuffer->GetDesc(&limitDesc);
  EXPECT_EQ(limitDesc.Format, D3DFMT_INDEX16);
  std::uint16_t top = 0;
  std::memcpy(&top, Contents(atLimit.indexBuffer).data() + (65534 - 1) * 6 + 2, 2);
  EXPECT_EQ(top, 65535u);

  XMesh beyond = FanMesh(65535);  // 65,537 vertices
  Stream past;
  ASSERT_TRUE(past.Build(device_.device(), &beyond, STREAM_POSITION_NORMAL));
  D3DINDEXBUFFER_DESC pastDesc{};
  past.indexBuffer->GetDesc(&pastDesc);
  EXPECT_EQ(pastDesc.Format, D3DFMT_INDEX32);

  XMesh large = FanMesh(65536);  // 65,538 vertices
  Stream wide;
  ASSERT_TRUE(wide.Build(device_.device(), &large, STREAM_POSITION_NORMAL));
  D3DINDEXBUFFER_DESC desc{};
  wide.indexBuffer->GetDesc(&desc);
  EXPECT_EQ(desc.Format, D3DFMT_INDEX32);
  EXPECT_EQ(desc.Size, 65536u * 12);
  std::uint32_t highest = 0;
  std::memcpy(&highest, Contents(wide.indexBuffer).data() + (65536 - 1) * 12 + 4, 4);
  EXPECT_EQ(highest, 65537u);
}

TEST_F(MeshBuildingTest, AMeshWhoseBuffersCannotBeMadeIsLeftUnbuilt) {
  XMesh empty = FanMesh(1);
  empty.vertices.clear();  // a vertex buffer of no bytes cannot be created
  Mesh mesh;
  EXPECT_TRUE(mesh.Setup(&empty, device_.device()));
  EXPECT_FALSE(mesh.IsBuilt());
  EXPECT_TRUE(mesh.vertexBuffers.empty());
  EXPECT_EQ(mesh.declaration, nullptr);

  XMesh faceless = FanMesh(1);
  faceless.faces.clear();
  Stream stream;
  EXPECT_FALSE(stream.Build(device_.device(), &faceless, STREAM_POSITION_NORMAL));
  EXPECT_FALSE(stream.IsBuilt());
  EXPECT_TRUE(stream.vertexBuffers.empty());
  EXPECT_FALSE(stream.Build(nullptr, &faceless, STREAM_POSITION_NORMAL));
}

}  // namespace
