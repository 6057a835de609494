// Real files from other exporters, each read in full.
#include <gtest/gtest.h>

#include "ModelFiles.h"
#include "support/FrameLookup.h"

namespace xfile_test {
namespace {

XFileScene Load(const char* name) {
  XFileScene scene;
  EXPECT_TRUE(ParseXFile(DataModel(name), scene, kQuiet)) << name;
  return scene;
}

void ExpectInfluencesInRange(const XMesh& mesh) {
  for (const XVertex& vertex : mesh.vertices)
    for (const XSkinInfluence& influence : vertex.influences) EXPECT_LT(influence.bone, mesh.bones.size());
}

TEST(ModelFiles, ThreeSkinnedMeshesShareOneHierarchyAndOneAnimationSet) {
  XFileScene scene = Load("BCN_Epileptic.X");
  EXPECT_EQ(scene.ticksPerSecond, 4800);
  ASSERT_EQ(scene.meshes.size(), 3u);
  const std::size_t bones[] = {24, 20, 10};
  for (std::size_t i = 0; i < 3; ++i) {
    const XMesh& mesh = scene.meshes[i];
    EXPECT_EQ(mesh.bones.size(), bones[i]);
    for (const XBone& bone : mesh.bones) EXPECT_EQ(FramesNamed(scene, bone.name), 1u) << Narrow(bone.name);
    EXPECT_TRUE(mesh.flags & HasSkin);
    EXPECT_TRUE(mesh.flags & HasTexCoords);
    ASSERT_NE(mesh.frame, nullptr);
    EXPECT_FALSE(mesh.faces.empty());
    ExpectInfluencesInRange(mesh);
  }
  // Named MeshNormals records: the normals come from the file, all unit length.
  for (const XVertex& vertex : scene.meshes[0].vertices)
    EXPECT_NEAR(vertex.normal.x * vertex.normal.x + vertex.normal.y * vertex.normal.y +
                    vertex.normal.z * vertex.normal.z,
                1.0f, 1e-4f);
  ASSERT_EQ(scene.animationSets.size(), 1u);
  EXPECT_EQ(scene.animationSets[0].animations.size(), 57u);
  EXPECT_EQ(scene.animationSets[0].lastKeyTime, 15840);
  for (const XAnimation& animation : scene.animationSets[0].animations)
    EXPECT_EQ(FramesNamed(scene, animation.frameName), 1u) << Narrow(animation.frameName);
}

TEST(ModelFiles, SkinnedCylinderNamesBonesTheHierarchyLacks) {
  XFileScene scene = Load("anim_test.x");
  EXPECT_EQ(scene.ticksPerSecond, 24);
  ASSERT_EQ(scene.meshes.size(), 1u);
  const XMesh& mesh = scene.meshes[0];
  EXPECT_EQ(mesh.bones.size(), 4u);
  EXPECT_EQ(mesh.frame, &FrameNamed(scene, L"pCylinder1"));
  EXPECT_EQ(FrameNamed(scene, L"joint2").parent, &FrameNamed(scene, L"joint1"));
  ASSERT_EQ(scene.animationSets.size(), 1u);
  EXPECT_EQ(scene.animationSets[0].animations.size(), 4u);
  ExpectInfluencesInRange(mesh);
}

TEST(ModelFiles, CubeWithVertexColoursAndThreeTexturedMaterials) {
  XFileScene scene = Load("kwxport_test_cubewithvcolors.x");
  ASSERT_EQ(scene.meshes.size(), 1u);
  const XMesh& mesh = scene.meshes[0];
  EXPECT_TRUE(mesh.flags & HasColors);
  EXPECT_EQ(mesh.faces.size(), 12u);
  ASSERT_EQ(mesh.materials.size(), 3u);
  for (const XMaterial& material : mesh.materials) EXPECT_NE(material.textureFiles[0], L"");
  EXPECT_EQ(mesh.subsets.size(), 3u);
}

TEST(ModelFiles, MayaCubeNamesItsTextureWithTextureFileName) {
  XFileScene scene = Load("test.x");
  ASSERT_EQ(scene.meshes.size(), 1u);
  const std::wstring& texture = scene.meshes[0].materials.at(0).textureFiles[0];
  EXPECT_EQ(texture, DataModel("") + L".\\\\test.png");
  EXPECT_EQ(scene.meshes[0].faces.size(), 12u);
}

TEST(ModelFiles, SkinnedCubeResolvesItsMaterialReference) {
  XFileScene scene = Load("test_cube_text.x");
  ASSERT_EQ(scene.meshes.size(), 1u);
  const XMesh& mesh = scene.meshes[0];
  EXPECT_EQ(mesh.materials.at(0).name, L"Material");
  EXPECT_NEAR(mesh.materials[0].diffuse.r, 0.639216f, 1e-6f);
  ASSERT_EQ(mesh.bones.size(), 1u);
  EXPECT_EQ(mesh.bones[0].name, L"Cube");
  EXPECT_EQ(FrameNamed(scene, L"Cube").parent, &FrameNamed(scene, L"Root"));
}

TEST(ModelFiles, SkinWeightsBeyondTheVertexListDoNoHarm) {
  XFileScene scene = Load("malformed_skinweights_oob.x");
  ASSERT_EQ(scene.meshes.size(), 1u);
  ExpectInfluencesInRange(scene.meshes[0]);
  EXPECT_EQ(scene.meshes[0].vertices.size(), 24u);
}

TEST(ModelFiles, AnEmptyFileIsRefusedAtTheHeader) {
  for (const char* name : {"empty.x"}) {
    const QuietParse parse = ParseQuietly(DataModel(name));
    EXPECT_FALSE(parse.accepted) << name;
    EXPECT_NE(parse.standardError.find(name), std::string::npos) << parse.standardError;
    EXPECT_TRUE(parse.content.frames.empty() && parse.content.meshes.empty());
  }
}

TEST(ModelFiles, WindowsPathRulesFindTheFile) {
  XFileScene scene;
  std::wstring path = DataModel("TEST.X");
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  EXPECT_TRUE(ParseXFile(path, scene, kQuiet));
}

}  // namespace
}  // namespace xfile_test
