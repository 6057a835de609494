// What a damaged or malformed file tells its user: one line per kind of
// damage on standard error, the same warnings for tools, and what the reader
// keeps. Runs in both record shapes.
#include <gtest/gtest.h>

#include "ModelFiles.h"
#include "xfile/ParseMessages.h"

namespace xfile_test {
namespace {

const std::string kTriangle = "3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n";

std::size_t Lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

const ParseWarning& Only(const QuietParse& parse, ParseWarningKind kind) {
  static const ParseWarning none;
  for (const ParseWarning& warning : parse.warnings)
    if (warning.kind == kind) return warning;
  ADD_FAILURE() << "no warning of kind " << Narrow(ParseWarningName(kind));
  return none;
}

// The one mesh a parse gave, or an empty one (and a failure) when it gave another number.
const XMesh& OneMesh(const QuietParse& parse) {
  static const XMesh none;
  EXPECT_EQ(parse.Meshes().size(), 1u) << parse.standardError;
  return parse.Meshes().size() == 1 ? parse.Meshes()[0] : none;
}

TEST(FileEnds, ACutFileSaysWhereItEndedAndWhichRecordWasOpen) {
  ModelFile file(kHeader + "Mesh body {\n" + kTriangle + " MeshNormals {\n  1;\n  0;0;1");
  QuietParse parse = ParseQuietly(file.WidePath());
  ASSERT_TRUE(parse.accepted);
  ASSERT_EQ(parse.warnings.size(), 1u) << parse.standardError;
  EXPECT_EQ(
      parse.warnings[0].message,
      L"the file ends at line 6, inside the MeshNormals record opened at line 4; what was read is kept");
  EXPECT_EQ(parse.standardError,
            "model file \"" + file.Path() + "\": " + Narrow(parse.warnings[0].message) + "\n");
  EXPECT_EQ(OneMesh(parse).faces.size(), 1u);  // what was read is kept
}

TEST(FileEnds, ACutBetweenRecordsNamesTheEnclosingOne) {
  QuietParse parse =
      ParseTextQuietly("Mesh body {\n" + kTriangle + " MeshTextureCoords { 3; 0;0;, 1;0;, 0;1;; }\n");
  EXPECT_EQ(
      Only(parse, ParseWarningKind::FileEnds).message,
      L"the file ends at line 4, inside the Mesh record \"body\" opened at line 2; what was read is kept");
  QuietParse frame =
      ParseTextQuietly("Frame Root {\n FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n");
  EXPECT_EQ(
      Only(frame, ParseWarningKind::FileEnds).message,
      L"the file ends at line 3, inside the Frame record \"Root\" opened at line 2; what was read is kept");
  QuietParse unknown = ParseTextQuietly("Notes {\n \"a\";\n");
  EXPECT_NE(Only(unknown, ParseWarningKind::FileEnds).message.find(L"record \"Notes\" opened at line 2"),
            std::wstring::npos);
}

TEST(FileEnds, CompleteFilesAndCutsBetweenTopLevelRecordsSayNothing) {
  for (const std::string& text :
       {"Mesh {" + kTriangle + "}", "Mesh {" + kTriangle + "}\n", std::string("Frame A { }"),
        std::string("AnimTicksPerSecond { 24; }\nMesh")}) {
    QuietParse parse = ParseTextQuietly(text);
    EXPECT_TRUE(parse.warnings.empty()) << text << parse.standardError;
    EXPECT_EQ(parse.standardError, "") << text;
  }
}

TEST(Warnings, OneLinePerKindWithTheCountAndTheFirstPlace) {
  QuietParse parse = ParseTextQuietly(
      "Mesh a { 3; 0;0;0;, 1;0;0;, 0;1;0;; 2; 3;0,1,7;, 3;0,8,2;; }\n"
      "Mesh b { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,9;; }\n");
  ASSERT_EQ(parse.warnings.size(), 1u);
  EXPECT_EQ(parse.warnings[0].count, 3u);
  EXPECT_EQ(
      parse.warnings[0].message,
      L"3 face corners name no vertex (the first: 7, of 3 vertices, in the Mesh record \"a\" opened at line "
      L"2); the triangles that use them are left out");
  EXPECT_EQ(Lines(parse.standardError), 1u);
  // The next parse starts afresh.
  EXPECT_TRUE(ParseTextQuietly("Mesh {" + kTriangle + "}").warnings.empty());
}

TEST(Warnings, NamesFromTheFileAreShownWithControlCharactersEscaped) {
  // A UTF-8 file: U+0085 is a control character, U+00E1 is not.
  QuietParse parse = ParseTextQuietly("Mesh a\x1b[2J\x07\xc2\x85\xc3\xa1z {\n" + kTriangle);
  std::wstring message = Only(parse, ParseWarningKind::FileEnds).message;
  EXPECT_NE(message.find(L"\"a\\x1b[2J\\x07\\x85\u00e1z\""), std::wstring::npos) << Narrow(message);
  EXPECT_EQ(parse.standardError.find('\x1b'), std::string::npos);
  EXPECT_EQ(Lines(parse.standardError), 1u);
  EXPECT_EQ(ShownName(std::wstring(50, L'n')), L"\"" + std::wstring(40, L'n') + L"...\"");
  EXPECT_EQ(ShownName(L"tab\there\nnew"), L"\"tab\\there\\nnew\"");
}

TEST(Warnings, AFolderSaysSoInsteadOfItsHeader) {
  ModelFile file("", "sub/model.x");
  std::wstring folder = file.Folder() + L"sub";
  QuietParse parse = ParseQuietly(folder);
  EXPECT_FALSE(parse.accepted);
  EXPECT_NE(parse.standardError.find("is a folder, not a model file"), std::string::npos)
      << parse.standardError;
  EXPECT_NE(ParseQuietly(file.WidePath()).standardError.find("is empty"), std::string::npos);
}

TEST(Polygons, ACornerOutsideTheVertexListTakesOutOnlyTheFanTrianglesThatUseIt) {
  // Fan of the hexagon 0 1 2 3 9 4: (0,1,2) (0,2,3) (0,3,9) (0,9,4); corner 9 names no vertex.
  QuietParse parse = ParseTextQuietly(
      "Mesh { 5; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 0;2;0;;\n"
      " 2; 6;0,1,2,3,9,4;, 4;9,1,2,3;; }\n");
  const XMesh& mesh = OneMesh(parse);
  ASSERT_EQ(mesh.faces.size(), 2u);
  EXPECT_EQ(mesh.faces[0].corners, (XCorners{0, 1, 2}));
  EXPECT_EQ(mesh.faces[1].corners, (XCorners{0, 2, 3}));
  EXPECT_EQ(Only(parse, ParseWarningKind::CornerOutOfRange).count, 2u);  // a 9 in each face
}

TEST(Counts, AMaterialListKeepsItsDeclaredCountBeyondItsRecords) {
  QuietParse parse = ParseTextQuietly(
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 2; 3;0,1,2;, 3;0,2,1;;\n"
      " MeshMaterialList { 3; 2; 0, 2;; Material red { 1;0;0;1;; 5; 0;0;0;; 0;0;0;; } } }");
  const XMesh& mesh = OneMesh(parse);
  ASSERT_EQ(mesh.materials.size(), 3u);
  EXPECT_EQ(mesh.materials[0].name, L"red");
  EXPECT_EQ(mesh.materials[2].diffuse.r, 1.0f);  // the default material: opaque white
  EXPECT_EQ(mesh.materials[2].diffuse.a, 1.0f);
  ASSERT_EQ(mesh.subsets.size(), 2u);
  EXPECT_EQ(mesh.subsets[1].material, 2);
  EXPECT_FALSE(parse.Warned(ParseWarningKind::CountBounded));
  EXPECT_FALSE(parse.Warned(ParseWarningKind::MaterialIndexOutOfRange));
}

TEST(Counts, AHostileMaterialCountIsHeldToTheRecordsAndTheNextListIsNotShortChanged) {
  QuietParse parse = ParseTextQuietly(
      "Mesh { " + kTriangle +
      " MeshMaterialList { 2000000000; 1; 5;; Material { 0;1;0;1;; 5; 0;0;0;; 0;0;0;; } } }\n" + "Mesh { " +
      kTriangle + " MeshMaterialList { 4; 1; 0;; } }\n");
  ASSERT_EQ(parse.Meshes().size(), 2u);
  EXPECT_EQ(parse.Meshes()[0].materials.size(), 1u);
  EXPECT_EQ(parse.Meshes()[1].materials.size(), 4u);
  EXPECT_EQ(Only(parse, ParseWarningKind::CountBounded).count, 1u);
  EXPECT_EQ(
      Only(parse, ParseWarningKind::MaterialIndexOutOfRange).message,
      L"a face names no material (5, of 1 materials, in the Mesh record opened at line 2); it is drawn with "
      L"the default material");
}

TEST(Counts, AListShorterThanItsCountLeavesTheRecordsAfterItAlone) {
  QuietParse parse = ParseTextQuietly(
      "Mesh first { 5; 0;0;0;, 1;0;0;, 0;1;0;; }\n"
      "Mesh second { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 1; 4;0,1,2,3;;\n"
      " MeshTextureCoords { 4; 0;0;, 1;0;; }\n"
      " MeshMaterialList { 1; 1; 0;; Material { 0;0;1;1;; 5; 0;0;0;; 0;0;0;; } } }\n");
  ASSERT_EQ(parse.Meshes().size(), 2u);
  EXPECT_EQ(parse.Meshes()[0].vertices.size(), 3u);
  const XMesh& second = parse.Meshes()[1];
  EXPECT_EQ(second.name, L"second");
  EXPECT_EQ(second.vertices[1].texCoord.x, 1.0f);
  EXPECT_EQ(second.vertices[3].texCoord.y, 0.0f);
  EXPECT_EQ(second.materials.at(0).diffuse.b, 1.0f);  // the list after the short one is read
  EXPECT_EQ(Only(parse, ParseWarningKind::ListShort).count, 2u);
  EXPECT_EQ(Only(parse, ParseWarningKind::ListShort).first.substr(0, 14), L"3 of 5 vertice");
}

TEST(Counts, DataBeyondARecordsCountsIsPassedOverToItsEnd) {
  QuietParse parse =
      ParseTextQuietly("Mesh { " + kTriangle + " MeshNormals { 1; 0;0;1;; 1; 3;0,0,0;; 7; 8; { nested } }\n" +
                       " MeshTextureCoords { 3; 0;0;, 1;0;, 0;1;; } }\nMesh next { " + kTriangle + "}\n");
  ASSERT_EQ(parse.Meshes().size(), 2u);
  EXPECT_TRUE(parse.Meshes()[0].flags & HasTexCoords);
  EXPECT_EQ(parse.Meshes()[1].name, L"next");
  EXPECT_EQ(Only(parse, ParseWarningKind::ExtraData).count, 1u);
}

TEST(Records, UnknownRecordsInAMeshAreSkippedWholeAndReported) {
  QuietParse parse =
      ParseTextQuietly("Mesh { " + kTriangle +
                       " PMInfo { 1; PMAttributeRange { 1; 2; } 3; }\n"
                       " VertexDuplicationIndices { 3; 3; 0, 1, 2; }\n"
                       " MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 5; 0;0;0;; 0;0;0;;\n"
                       "  EffectInstance { \"fx.fx\"; EffectParamString { \"a\"; \"b\"; } }\n"
                       "  TextureFilename { \"t.png\"; } } }\n"
                       " MeshTextureCoords { 3; 0;0;, 1;0;, 0;1;; } }\n");
  const XMesh& mesh = OneMesh(parse);
  EXPECT_TRUE(mesh.flags & HasTexCoords);
  EXPECT_NE(mesh.materials.at(0).textureFiles[0].find(L"t.png"), std::wstring::npos);
  const ParseWarning& skipped = Only(parse, ParseWarningKind::RecordSkipped);
  EXPECT_EQ(skipped.count, 1u);  // PMInfo; the records the programs never use are no news
  EXPECT_EQ(skipped.first.substr(0, 18), L"\"PMInfo\" at line 3");
  EXPECT_EQ(parse.warnings.size(), 1u);
}

TEST(Records, SurplusMaterialRecordsAreReported) {
  QuietParse parse =
      ParseTextQuietly("Mesh { " + kTriangle +
                       " MeshMaterialList { 1; 1; 0;; Material a { 1;1;1;1;; 5; 0;0;0;; 0;0;0;; }\n"
                       "  Material b { 1;1;1;1;; 5; 0;0;0;; 0;0;0;; } } }\n");
  EXPECT_EQ(parse.Meshes().at(0).materials.size(), 1u);
  EXPECT_NE(Only(parse, ParseWarningKind::RecordSkipped).first.find(L"beyond the 1 materials declared"),
            std::wstring::npos);
}

#if !defined(XVIEW_REDUCED_MODEL)

TEST(Counts, ASkinHeaderKeepsItsBonesUpToWhatAnInfluenceCanName) {
  // Few bytes follow the header: the bone count must not be judged by them.
  QuietParse parse = ParseTextQuietly("Mesh { 1; 0;0;0;; 0;; XSkinMeshHeader { 1; 1; 30; } }");
  EXPECT_EQ(parse.content.meshes.at(0).bones.size(), 30u);
  EXPECT_TRUE(parse.warnings.empty());
  QuietParse beyondOneByte = ParseTextQuietly("Mesh { 1; 0;0;0;; 0;; XSkinMeshHeader { 1; 1; 1000; } }");
  EXPECT_EQ(beyondOneByte.content.meshes.at(0).bones.size(), 1000u);
  EXPECT_TRUE(beyondOneByte.warnings.empty());
  QuietParse many = ParseTextQuietly("Mesh { 1; 0;0;0;; 0;; XSkinMeshHeader { 1; 1; 70000; } }");
  EXPECT_EQ(many.content.meshes.at(0).bones.size(), 65536u);
  EXPECT_TRUE(many.Warned(ParseWarningKind::CountBounded));
}

TEST(Warnings, SkinIndicesOutsideTheMeshAreCountedOnce) {
  QuietParse parse = ParseTextQuietly(
      "Mesh { 2; 0;0;0;, 1;0;0;; 0;; XSkinMeshHeader { 1; 1; 1; }\n"
      " SkinWeights { \"Hip\"; 4; 0, 2, -1, 1; 1, 1, 1, 1; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; } }");
  EXPECT_EQ(Only(parse, ParseWarningKind::SkinIndexOutOfRange).count, 2u);
  EXPECT_EQ(parse.content.meshes.at(0).vertices[1].influences.size(), 1u);
}

TEST(Animation, AFrameReferenceDirectlyFollowedByAKeyStillReadsTheKey) {
  for (const char* animation : {"Animation { { B } AnimationKey { 2; 1; 5;3;1,2,3;;; } }",
                                "Animation{{B}AnimationKey{2;1;5;3;1,2,3;;;}}",
                                "Animation a {\n{B}\nAnimationKey k { 2; 1; 5;3;1,2,3;;; } }"}) {
    QuietParse parse = ParseTextQuietly(std::string("AnimationSet s { ") + animation + " }\n");
    const XAnimation& read = parse.content.animationSets.at(0).animations.at(0);
    EXPECT_EQ(read.frameName, L"B") << animation;
    EXPECT_EQ(read.positionKeys.size(), 1u) << animation;
    EXPECT_TRUE(parse.warnings.empty()) << animation << parse.standardError;
  }
}

TEST(Animation, AnUnknownRecordInAnAnimationIsNoFrameReference) {
  QuietParse parse = ParseTextQuietly(
      "AnimationSet { Animation { Extra { 7; } { Hip } AnimationKey { 2; 1; 5;3;1,2,3;;; } } }\n");
  const XAnimation& read = parse.content.animationSets.at(0).animations.at(0);
  EXPECT_EQ(read.frameName, L"Hip");
  EXPECT_EQ(read.positionKeys.size(), 1u);
  EXPECT_TRUE(parse.Warned(ParseWarningKind::RecordSkipped));
}

#endif

}  // namespace
}  // namespace xfile_test
