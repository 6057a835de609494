#include <gtest/gtest.h>

#include "ModelFiles.h"
#include "support/FrameLookup.h"
#include "support/StderrCapture.h"

namespace xfile_test {
namespace {

bool Accepts(const std::string& text) {
  ModelFile file(text);
  XFileScene scene;
  const ParseResult parse = ParseXFile(file.WidePath(), scene, kQuiet);
  ReportParse(file.WidePath(), parse);
  return parse.accepted;
}

const std::string kIdentity = "1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;;";
std::string Transform(int translation) {
  return "FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0," + std::to_string(translation) + ",0,0,1;; }\n";
}
const std::string kTriangleMesh = "Mesh tri { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n";

TEST(Header, TextFormatWithAnyVersionIsAccepted) {
  EXPECT_TRUE(Accepts("xof 0303txt 0032\n"));
  EXPECT_TRUE(Accepts("xof abcdtxt 0064"));
  EXPECT_TRUE(Accepts("\xef\xbb\xbfxof 0303txt 0032\n"));  // a UTF-8 byte-order mark before it
}

TEST(Header, UnknownFormatsAndNonXFilesAreRefusedWithAMessage) {
  StderrCapture captured;
  EXPECT_FALSE(Accepts("xof 0303xyz 0032\n"));
  std::string message = captured.Take();
  EXPECT_NE(message.find("model.x"), std::string::npos) << message;
  EXPECT_NE(message.find("known format"), std::string::npos) << message;

  captured.Start();
  EXPECT_FALSE(Accepts("xof 0303bin 0016"));
  message = captured.Take();
  EXPECT_NE(message.find("float size"), std::string::npos) << message;

  captured.Start();
  EXPECT_FALSE(Accepts("xof 0303bzi 0032\n"));
  EXPECT_FALSE(Accepts("xof 0303txtx 0032\n"));
  EXPECT_FALSE(Accepts("xof txt 0032\n"));
  EXPECT_FALSE(Accepts("XOF 0303txt 0032\n"));
  EXPECT_FALSE(Accepts(""));
  captured.Take();
}

TEST(Header, MissingFileIsReportedAndLeavesContentAlone) {
  XFileScene scene;
  scene.ticksPerSecond = 7;
  const QuietParse parse = ParseQuietly(L"/nonexistent/folder/none.x");
  EXPECT_FALSE(parse.accepted);
  EXPECT_EQ(parse.standardError,
            "model file \"/nonexistent/folder/none.x\": cannot be opened (No such file or directory)\n");
  EXPECT_FALSE(ParseXFile(L"/nonexistent/folder/none.x", scene, kQuiet));
  EXPECT_EQ(scene.ticksPerSecond, 7);
}

TEST(Document, HeaderOnlyGivesAnEmptyScene) {
  XFileScene scene = Parse("");
  EXPECT_TRUE(scene.frames.empty());
  EXPECT_TRUE(scene.meshes.empty());
  EXPECT_TRUE(scene.animationSets.empty());
  EXPECT_EQ(scene.ticksPerSecond, 60);
}

TEST(Document, TickRateFromAnimTicksPerSecondNamedOrNot) {
  EXPECT_EQ(Parse("AnimTicksPerSecond { 4800; }\n").ticksPerSecond, 4800);
  EXPECT_EQ(Parse("AnimTicksPerSecond fps { 24; }\n").ticksPerSecond, 24);
}

TEST(Document, TemplatesArePassedOverAndMayEndTheFile) {
  XFileScene scene = Parse(
      "template Vector {\n <3D82AB5E-62DA-11cf-AB39-0020AF71E433>\n FLOAT x;\n array FLOAT v[3];\n}\n"
      "AnimTicksPerSecond { 30; }\ntemplate Open {\n <1234>\n");
  EXPECT_EQ(scene.ticksPerSecond, 30);
}

TEST(FrameHierarchy, NestingGivesParentsAndMeshFrames) {
  XFileScene scene = Parse("Frame A {\n" + Transform(1) + " Frame B {\n" + Transform(2) + kTriangleMesh +
                           " }\n" + kTriangleMesh + "}\n" + kTriangleMesh);
  ASSERT_EQ(scene.frames.size(), 2u);
  XFrame& a = FrameNamed(scene, L"A");
  XFrame& b = FrameNamed(scene, L"B");
  EXPECT_EQ(a.parent, nullptr);
  EXPECT_EQ(b.parent, &a);
  EXPECT_EQ(a.transform._41, 1.0f);
  EXPECT_EQ(b.transform._41, 2.0f);
  ASSERT_EQ(scene.meshes.size(), 3u);
  EXPECT_EQ(scene.meshes[0].frame, &b);
  EXPECT_EQ(scene.meshes[1].frame, &a);
  EXPECT_EQ(scene.meshes[2].frame, nullptr);
}

TEST(FrameHierarchy, TransformIsStoredRowByRowAsWritten) {
  XFileScene scene = Parse("Frame A { FrameTransformMatrix { 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16;; } }\n");
  const D3DXMATRIX& m = FrameNamed(scene, L"A").transform;
  EXPECT_EQ(m._12, 2.0f);
  EXPECT_EQ(m._21, 5.0f);
  EXPECT_EQ(m._44, 16.0f);
}

// Every Frame record is a frame of its own, in file order; names are data.
TEST(FrameHierarchy, RecordsThatShareANameAreFramesOfTheirOwn) {
  XFileScene scene = Parse("Frame A { " + Transform(1) + "}\nFrame P { " + Transform(0) + " Frame A { " +
                           Transform(5) + kTriangleMesh + "} }\n");
  ASSERT_EQ(scene.frames.size(), 3u);
  EXPECT_EQ(scene.frames[0].name, L"A");
  EXPECT_EQ(scene.frames[0].parent, nullptr);
  EXPECT_EQ(scene.frames[0].transform._41, 1.0f);
  EXPECT_EQ(scene.frames[2].name, L"A");
  EXPECT_EQ(scene.frames[2].parent, &scene.frames[1]);
  EXPECT_EQ(scene.frames[2].transform._41, 5.0f);
  ASSERT_EQ(scene.meshes.size(), 1u);
  EXPECT_EQ(scene.meshes[0].frame, &scene.frames[2]);
}

TEST(FrameHierarchy, UnnamedFramesEachHoldTheirOwnMesh) {
  XFileScene scene = Parse("Frame { " + Transform(1) + kTriangleMesh + "}\nFrame { " + Transform(2) +
                           kTriangleMesh + "Frame { " + Transform(3) + kTriangleMesh + "} }\n");
  ASSERT_EQ(scene.frames.size(), 3u);
  ASSERT_EQ(scene.meshes.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(scene.frames[i].name, L"");
    EXPECT_EQ(scene.frames[i].transform._41, static_cast<float>(i + 1));
    EXPECT_EQ(scene.meshes[i].frame, &scene.frames[i]);
  }
  EXPECT_EQ(scene.frames[2].parent, &scene.frames[1]);
}

TEST(FrameHierarchy, FirstMemberThatIsNotATransformIsReadAsItStands) {
  XFileScene scene = Parse("Frame A {\n" + kTriangleMesh + " Frame B { Frame C { } }\n}\nFrame D { }\n");
  ASSERT_EQ(scene.meshes.size(), 1u);
  EXPECT_EQ(scene.meshes[0].frame, &FrameNamed(scene, L"A"));
  EXPECT_EQ(FrameNamed(scene, L"B").parent, &FrameNamed(scene, L"A"));
  EXPECT_EQ(FrameNamed(scene, L"C").parent, &FrameNamed(scene, L"B"));
  EXPECT_EQ(FrameNamed(scene, L"D").parent, nullptr);  // A's empty-bodied siblings do not nest
}

TEST(FrameHierarchy, UnnamedFrameIsNamedEmpty) {
  XFileScene scene = Parse("Frame { " + Transform(4) + "Frame Child { } }\n");
  ASSERT_EQ(FramesNamed(scene, L""), 1u);
  EXPECT_EQ(FrameNamed(scene, L"").transform._41, 4.0f);
  EXPECT_EQ(FrameNamed(scene, L"Child").parent, &FrameNamed(scene, L""));
}

TEST(FrameHierarchy, RecordsTheReaderDoesNotKnowKeepTheHierarchy) {
  XFileScene scene = Parse("Frame A {\n" + Transform(0) +
                           " ObjectMatrixComment { KeyValuePair { \"a\"; \"b\"; } 1; }\n"
                           " Frame B { FrameTransformMatrix relative { " +
                           kIdentity +
                           " } }\n"
                           "}\n");
  EXPECT_EQ(FrameNamed(scene, L"B").parent, &FrameNamed(scene, L"A"));
}

TEST(FrameHierarchy, StrayClosingBracesAtTheTopAreIgnored) {
  XFileScene scene = Parse("}\n}\nFrame A { }\n");
  EXPECT_EQ(scene.frames.size(), 1u);
}

TEST(FrameHierarchy, ModelDirectoryOfAnyLength) {
  std::string deep = std::string(120, 'a') + "/" + std::string(120, 'b') + "/" + std::string(120, 'c') + "/";
  ModelFile file(kHeader +
                     "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
                     " MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; "
                     "TextureFilename { \"t.png\"; } } } }\n",
                 deep + "model.x");
  XFileScene scene;
  ASSERT_TRUE(ParseXFile(file.WidePath(), scene, kQuiet));
  EXPECT_EQ(scene.meshes.at(0).materials.at(0).textureFiles[0], file.Folder() + Wide(deep) + L"t.png");
}

// Meshes and frames point into a parsed scene, so a scene must stay where it
// was parsed while other files are added to the registry.
TEST(ModelRegistry, ScenesStayInPlaceAsOtherFilesAreAdded) {
  ModelFile first(kHeader + "Frame A { " + Transform(1) + kTriangleMesh + "}\n");
  XFileScene& scene = g_ModelRegistry[first.WidePath()];
  ASSERT_TRUE(ParseXFile(first.WidePath(), scene, kQuiet));
  const XFrame* frame = &scene.frames.at(0);
  for (int i = 0; i < 50; ++i) {
    ModelFile other(kHeader + kTriangleMesh);
    ASSERT_TRUE(ParseXFile(other.WidePath(), g_ModelRegistry[other.WidePath() + std::to_wstring(i)], kQuiet));
  }
  EXPECT_EQ(&g_ModelRegistry.at(first.WidePath()), &scene);
  EXPECT_EQ(scene.meshes.at(0).frame, frame);
  EXPECT_EQ(frame->transform._41, 1.0f);
  g_ModelRegistry.clear();
}

}  // namespace
}  // namespace xfile_test
