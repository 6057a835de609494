// Loading a model file with its textures into the registries.
#include <gtest/gtest.h>

#include <fstream>

#include "support/ImageFiles.h"
#include "support/RenderDevice.h"
#include "compat/testing.h"
#include "render/Texture.h"
#include "xfile/ModelLoading.h"
#include "xfile/ModelRegistry.h"
#include "support/StderrCapture.h"

namespace {

using rendertest::RenderDevice;

const char* kHeader = "xof 0303txt 0032\n";

// A one-triangle mesh whose materials name the given texture files.
std::string TriangleWithMaterials(const std::vector<std::string>& textures) {
  std::string text = std::string(kHeader) +
                     "Mesh Tri {\n 3;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 0.0;1.0;0.0;;\n 1;\n 3;0,1,2;;\n"
                     " MeshMaterialList {\n  " +
                     std::to_string(textures.size()) + ";\n  1;\n  0;;\n";
  for (const std::string& texture : textures) {
    text += "  Material {\n   1.0;1.0;1.0;1.0;;\n   0.0;\n   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n";
    if (!texture.empty()) text += "   TextureFilename { \"" + texture + "\"; }\n";
    text += "  }\n";
  }
  return text + " }\n}\n";
}

class ModelLoadingTest : public ::testing::Test {
 protected:
  ModelLoadingTest() : folder_(rendertest::ScratchFolder()) {}
  ~ModelLoadingTest() override {
    g_TextureMap.clear();
    g_ModelRegistry.clear();
    std::filesystem::remove_all(folder_);
  }

  std::wstring Write(const char* name, const std::string& text) {
    std::filesystem::create_directories((folder_ / name).parent_path());
    std::ofstream(folder_ / name, std::ios::binary) << text;
    return (folder_ / name).wstring();
  }

  const std::vector<XMesh>& Meshes(XModelContent* content) { return content->meshes; }

  std::filesystem::path folder_;
  RenderDevice device_;
};

TEST_F(ModelLoadingTest, TexturesOfEveryMaterialAreLoadedUnderTheirFullNames) {
  testimages::WriteFile((folder_ / "skin.png").string(),
                        testimages::Png(2, 2, std::vector<testimages::Rgba>(4, {1, 1, 1, 255})));
  std::wstring model = Write("two.x", TriangleWithMaterials({"skin.png", "skin.png"}));
  compat::testing::StartTrace();
  ASSERT_TRUE(LoadModelFile(device_.device(), model));
  auto trace = compat::testing::StopTrace();
  // Two materials naming one file load it once.
  EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                          [](const std::string& l) { return l.rfind("CreateTexture ", 0) == 0; }),
            1);
  ASSERT_NE(FindModelFile(model), nullptr);
  ASSERT_EQ(Meshes(FindModelFile(model)).size(), 1u);
  const std::wstring& name = Meshes(FindModelFile(model))[0].materials[0].textureFiles[0];
  ASSERT_EQ(g_TextureMap.size(), 1u);
  EXPECT_EQ(g_TextureMap.begin()->first, name);
  EXPECT_NE(g_TextureMap.begin()->second.texture, nullptr);
}

TEST_F(ModelLoadingTest, MaterialsWithoutTexturesLoadNone) {
  std::wstring model = Write("plain.x", TriangleWithMaterials({"", ""}));
  compat::testing::StartTrace();
  ASSERT_TRUE(LoadModelFile(device_.device(), model));
  auto trace = compat::testing::StopTrace();
  EXPECT_TRUE(std::none_of(trace.begin(), trace.end(),
                           [](const std::string& l) { return l.rfind("CreateTexture", 0) == 0; }));
  EXPECT_TRUE(g_TextureMap.empty());
}

TEST_F(ModelLoadingTest, AMissingTextureStillLoadsTheModel) {
  std::wstring model = Write("lost.x", TriangleWithMaterials({"gone.png", "skin.png"}));
  StderrCapture captured;
  EXPECT_TRUE(LoadModelFile(device_.device(), model));
  std::string output = captured.Take();
  EXPECT_LT(output.find("gone.png"), output.find("skin.png")) << output;
  EXPECT_NE(output.find("lost.x\": texture \""), std::string::npos) << output;
  EXPECT_NE(output.find("gone.png\" cannot be loaded: the file cannot be opened"), std::string::npos) << output;
  EXPECT_TRUE(g_TextureMap.empty());

  // A file that is there but is no image says so.
  testimages::WriteFile((folder_ / "text.png").string(), {'h', 'i'});
  std::wstring wrong = Write("wrong.x", TriangleWithMaterials({"text.png"}));
  captured.Start();
  EXPECT_TRUE(LoadModelFile(device_.device(), wrong));
  output = captured.Take();
  EXPECT_NE(output.find("text.png\" cannot be loaded: the file is not an image"), std::string::npos) << output;
}

TEST_F(ModelLoadingTest, ATexturePathFromAnotherMachineIsFoundBesideTheModel) {
  testimages::WriteFile((folder_ / "Bottom.png").string(),
                        testimages::Png(2, 2, std::vector<testimages::Rgba>(4, {1, 1, 1, 255})));
  std::wstring model = Write("moved.x", TriangleWithMaterials({"C:\\\\work\\\\data\\\\bottom.png"}));
  StderrCapture captured;
  ASSERT_TRUE(LoadModelFile(device_.device(), model));
  EXPECT_EQ(captured.Take(), "");
  // Kept under the name the material gives, so drawing finds it.
  const std::wstring& name = Meshes(FindModelFile(model))[0].materials[0].textureFiles[0];
  EXPECT_NE(name.find(L"C:\\\\work"), std::wstring::npos);
  ASSERT_EQ(g_TextureMap.count(name), 1u);
  EXPECT_NE(g_TextureMap[name].texture, nullptr);
}

// A 2 x 2 or wider opaque PNG at `relative` under the test's folder; the
// width tells which of several candidates was loaded.
void WriteImage(const std::filesystem::path& file, int width = 2) {
  std::filesystem::create_directories(file.parent_path());
  testimages::WriteFile(file.string(),
                        testimages::Png(width, 2, std::vector<testimages::Rgba>(2 * width, {9, 9, 9, 255})));
}

TEST_F(ModelLoadingTest, TheTexturesTrailingPartsComeBeforeItsBareName) {
  WriteImage(folder_ / "models" / "Tex" / "Wood_Floor.png", 4);
  WriteImage(folder_ / "models" / "Wood_Floor.png", 2);
  WriteImage(folder_ / "Images" / "Bark.png", 8);
  std::wstring model = Write("models/house.x", TriangleWithMaterials({"C:\\\\Users\\\\me\\\\Tex\\\\Wood_Floor.png",
                                                                      "\\\\server\\share\\bark.png"}));
  StderrCapture captured;
  ASSERT_TRUE(LoadModelFile(device_.device(), model));
  EXPECT_EQ(captured.Take(), "");
  const std::vector<XMaterial>& materials = Meshes(FindModelFile(model))[0].materials;
  ASSERT_EQ(g_TextureMap.count(materials[0].textureFiles[0]), 1u);
  EXPECT_EQ(g_TextureMap[materials[0].textureFiles[0]].width, 4u);
  // A network path's bare name, found in a texture folder beside the model's.
  ASSERT_EQ(g_TextureMap.count(materials[1].textureFiles[0]), 1u);
  EXPECT_EQ(g_TextureMap[materials[1].textureFiles[0]].width, 8u);
}

TEST_F(ModelLoadingTest, AMissingTextureSaysWhereItWasLookedFor) {
  std::wstring model = Write("lost.x", TriangleWithMaterials({"C:\\\\art\\\\Tex\\\\gone.png"}));
  StderrCapture captured;
  EXPECT_TRUE(LoadModelFile(device_.device(), model));
  std::string output = captured.Take();
  std::string start = "model file \"" + (folder_ / "lost.x").string() + "\": texture \"";
  EXPECT_EQ(output.rfind(start, 0), 0u) << output;
  EXPECT_NE(output.find("gone.png\" cannot be loaded: the file cannot be opened (tried "), std::string::npos)
      << output;
  EXPECT_NE(output.find((folder_ / "art" / "Tex" / "gone.png").string()), std::string::npos) << output;
  EXPECT_NE(output.find("and \"gone.png\" in "), std::string::npos) << output;
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
}

TEST_F(ModelLoadingTest, ATexturePathWithSpacesLoads) {
  WriteImage(folder_ / "my textures" / "wood floor.png");
  std::wstring model = Write("spaces.x", TriangleWithMaterials({"my textures\\wood floor.png"}));
  StderrCapture captured;
  ASSERT_TRUE(LoadModelFile(device_.device(), model));
  EXPECT_EQ(captured.Take(), "");
  const std::wstring& name = Meshes(FindModelFile(model))[0].materials[0].textureFiles[0];
  EXPECT_EQ(name, folder_.wstring() + L"/my textures\\wood floor.png");
  ASSERT_EQ(g_TextureMap.count(name), 1u);
  EXPECT_NE(g_TextureMap[name].texture, nullptr);
}

// The file's bytes as another machine's exporter wrote them: texture names in
// the code page of that machine, folders on disk named as the names say.
TEST_F(ModelLoadingTest, TextureNamesInWesternAndJapaneseCodePagesLoad) {
  // Windows-1252 "\xE1rbol.tga" ("árbol.tga"); its bytes also read as Shift-JIS.
  testimages::WriteFile((folder_ / "\xC3\xA1rbol.tga").string(),
                        testimages::Tga(2, 2, std::vector<testimages::Rgba>(4, {0, 200, 0, 255}), 8));
  std::wstring western = Write("western.x", TriangleWithMaterials({"\xE1rbol.tga"}));
  // Shift-JIS "\x82\xBB\x82\xB4\x82\xA2\\Tex\\\x96\xD8.png" ("そざい\Tex\木.png").
  WriteImage(folder_ / "\xE3\x81\x9D\xE3\x81\x96\xE3\x81\x84" / "Tex" / "\xE6\x9C\xA8.png");
  std::wstring japanese =
      Write("japanese.x", TriangleWithMaterials({"\x82\xBB\x82\xB4\x82\xA2\\Tex\\\x96\xD8.png"}));

  StderrCapture captured;
  ASSERT_TRUE(LoadModelFile(device_.device(), western));
  ASSERT_TRUE(LoadModelFile(device_.device(), japanese));
  EXPECT_EQ(captured.Take(), "");
  for (const std::wstring& model : {western, japanese}) {
    const std::wstring& name = Meshes(FindModelFile(model))[0].materials[0].textureFiles[0];
    ASSERT_EQ(g_TextureMap.count(name), 1u) << std::filesystem::path(model).string();
    EXPECT_NE(g_TextureMap[name].texture, nullptr);
  }
  EXPECT_EQ(Meshes(FindModelFile(japanese))[0].materials[0].textureFiles[0],
            folder_.wstring() + L"/\u305D\u3056\u3044\\Tex\\\u6728.png");
}

TEST_F(ModelLoadingTest, AFailedLoadLeavesNothingToFind) {
  std::wstring missing = (folder_ / "missing.x").wstring();
  StderrCapture captured;
  EXPECT_FALSE(LoadModelFile(device_.device(), missing));
  std::wstring binary = Write("binary.x", "xof 0303bin 0032\n");
  EXPECT_FALSE(LoadModelFile(device_.device(), binary));
  captured.Take();
  EXPECT_EQ(FindModelFile(missing), nullptr);
  EXPECT_EQ(FindModelFile(binary), nullptr);
  EXPECT_TRUE(g_ModelRegistry.empty());
}

TEST_F(ModelLoadingTest, AHeaderAloneGivesAnEmptyScene) {
  std::wstring model = Write("header.x", kHeader);
  ASSERT_TRUE(LoadModelFile(device_.device(), model));
  XModelContent* content = FindModelFile(model);
  ASSERT_NE(content, nullptr);
  EXPECT_TRUE(content->meshes.empty());
  EXPECT_TRUE(content->frames.empty());
  EXPECT_TRUE(content->animationSets.empty());
  EXPECT_EQ(content->ticksPerSecond, 60);
}

TEST_F(ModelLoadingTest, ALoadedModelIsNotParsedAgain) {
  std::wstring model = Write("once.x", TriangleWithMaterials({""}));
  ASSERT_TRUE(LoadModelFile(device_.device(), model));
  ASSERT_TRUE(LoadModelFile(device_.device(), model));
  EXPECT_EQ(Meshes(FindModelFile(model)).size(), 1u);
}

TEST_F(ModelLoadingTest, TheProgramsModelIsFoundByItsFixedName) {
  EXPECT_EQ(FindModel(), nullptr);
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder_);
  Write("miko.x", kHeader);
  EXPECT_TRUE(LoadModel(device_.device()));
  std::filesystem::current_path(previous);
  ASSERT_NE(FindModel(), nullptr);
  EXPECT_EQ(FindModel(), FindModelFile(L"miko.x"));
}

}  // namespace
