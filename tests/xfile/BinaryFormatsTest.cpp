// Binary and compressed files read to the same records as their text twins,
// in either record shape; damaged ones say where they broke and keep what
// came before.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ModelFiles.h"
#include "SpelledBinary.h"
#include "XFileWriter.h"
#include "support/StderrCapture.h"

namespace xfile_test {
namespace {

std::string FileText(const std::wstring& path) {
  std::ifstream in(Narrow(path), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Floats agree within `tolerance` of their size (0: exactly).
void ExpectNear(float a, float b, float tolerance, const char* what) {
  if (tolerance == 0) {
    EXPECT_EQ(a, b) << what;
  } else {
    EXPECT_NEAR(a, b, tolerance * std::max(1.0f, std::fabs(a))) << what;
  }
}

void ExpectSameMaterial(const XMaterial& a, const XMaterial& b, float tolerance) {
  EXPECT_EQ(a.name, b.name);
  for (auto [x, y] : {std::pair{a.diffuse.r, b.diffuse.r}, {a.diffuse.a, b.diffuse.a}, {a.specular.g, b.specular.g},
                      {a.emissive.b, b.emissive.b}, {a.power, b.power}})
    ExpectNear(x, y, tolerance, "material");
  // Texture names begin with the folder of their model file.
  for (std::size_t i = 0; i < a.textureFiles.size(); ++i) {
    const std::wstring &x = a.textureFiles[i], &y = b.textureFiles[i];
    EXPECT_EQ(x.substr(x.rfind(L'/') + 1), y.substr(y.rfind(L'/') + 1));
  }
}

void ExpectSameMeshes(const std::vector<XMesh>& a, const std::vector<XMesh>& b, float tolerance) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t m = 0; m < a.size(); ++m) {
    const XMesh &x = a[m], &y = b[m];
    EXPECT_EQ(x.name, y.name);
    EXPECT_EQ(x.flags, y.flags);
    ASSERT_EQ(x.vertices.size(), y.vertices.size());
    for (std::size_t v = 0; v < x.vertices.size(); ++v) {
      const XVertex &p = x.vertices[v], &q = y.vertices[v];
      for (int i = 0; i < 3; ++i) ExpectNear(p.position[i], q.position[i], tolerance, "position");
      for (int i = 0; i < 3; ++i) ExpectNear(p.normal[i], q.normal[i], tolerance * 10, "normal");
      for (int i = 0; i < 2; ++i) ExpectNear(p.texCoord[i], q.texCoord[i], tolerance, "texture coordinate");
#if !defined(XVIEW_REDUCED_MODEL)
      ASSERT_EQ(p.influences.size(), q.influences.size());
      for (std::size_t k = 0; k < p.influences.size(); ++k) {
        EXPECT_EQ(p.influences[k].bone, q.influences[k].bone);
        ExpectNear(p.influences[k].weight, q.influences[k].weight, tolerance, "weight");
      }
#endif
    }
    ASSERT_EQ(x.faces.size(), y.faces.size());
    for (std::size_t f = 0; f < x.faces.size(); ++f) {
      EXPECT_EQ(x.faces[f].corners, y.faces[f].corners);
      EXPECT_EQ(x.faces[f].material, y.faces[f].material);
    }
    ASSERT_EQ(x.materials.size(), y.materials.size());
    for (std::size_t i = 0; i < x.materials.size(); ++i) ExpectSameMaterial(x.materials[i], y.materials[i], tolerance);
#if !defined(XVIEW_REDUCED_MODEL)
    ASSERT_EQ(x.bones.size(), y.bones.size());
    for (std::size_t i = 0; i < x.bones.size(); ++i) {
      EXPECT_EQ(x.bones[i].name, y.bones[i].name);
      for (int k = 0; k < 16; ++k) ExpectNear(x.bones[i].offset[k], y.bones[i].offset[k], tolerance, "bone offset");
    }
    EXPECT_EQ(x.frame == nullptr, y.frame == nullptr);
    if (x.frame && y.frame) {
      EXPECT_EQ(x.frame->name, y.frame->name);
    }
#endif
  }
}

void ExpectSameRecords(const XModelContent& a, const XModelContent& b, float tolerance) {
#if defined(XVIEW_REDUCED_MODEL)
  ExpectSameMeshes(a, b, tolerance);
#else
  ExpectSameMeshes(a.meshes, b.meshes, tolerance);
  EXPECT_EQ(a.ticksPerSecond, b.ticksPerSecond);
  ASSERT_EQ(a.frames.size(), b.frames.size());
  for (std::size_t i = 0; i < a.frames.size(); ++i) {
    EXPECT_EQ(a.frames[i].name, b.frames[i].name);
    EXPECT_EQ(a.frames[i].parent == nullptr, b.frames[i].parent == nullptr);
    for (int k = 0; k < 16; ++k) ExpectNear(a.frames[i].transform[k], b.frames[i].transform[k], tolerance, "frame");
  }
  ASSERT_EQ(a.animationSets.size(), b.animationSets.size());
  for (std::size_t i = 0; i < a.animationSets.size(); ++i) {
    const XAnimationSet &x = a.animationSets[i], &y = b.animationSets[i];
    EXPECT_EQ(x.name, y.name);
    EXPECT_EQ(x.lastKeyTime, y.lastKeyTime);
    ASSERT_EQ(x.animations.size(), y.animations.size());
    for (std::size_t k = 0; k < x.animations.size(); ++k) {
      EXPECT_EQ(x.animations[k].frameName, y.animations[k].frameName);
      EXPECT_EQ(x.animations[k].rotationKeys.size(), y.animations[k].rotationKeys.size());
      EXPECT_EQ(x.animations[k].positionKeys.size(), y.animations[k].positionKeys.size());
      EXPECT_EQ(x.animations[k].matrixKeys.size(), y.animations[k].matrixKeys.size());
    }
  }
#endif
}

std::vector<ParseWarningKind> KindsOf(const QuietParse& parse) {
  std::vector<ParseWarningKind> kinds;
  for (const ParseWarning& warning : parse.warnings) kinds.push_back(warning.kind);
  return kinds;
}

TEST(BinaryFormats, TheSharedBinaryAndCompressedCubesReadAsTheTextCube) {
  QuietParse text = ParseQuietly(DataModel("test_cube_text.x"));
  QuietParse binary = ParseQuietly(DataModel("test_cube_binary.x"));
  QuietParse compressed = ParseQuietly(DataModel("test_cube_compressed.x"));
  ASSERT_TRUE(text.accepted && binary.accepted && compressed.accepted);
  EXPECT_EQ(binary.standardError, "");
  EXPECT_EQ(compressed.standardError, "");
  ASSERT_FALSE(text.Meshes().empty());
  // The text writes six decimals; the binary floats are those before rounding.
  ExpectSameRecords(text.content, binary.content, 1e-6f);
  ExpectSameRecords(binary.content, compressed.content, 0);
}

TEST(BinaryFormats, TheOlderBinaryVersionLoads) {
  QuietParse parse = ParseQuietly(DataModel("fromtruespace_bin32.x"));
  ASSERT_TRUE(parse.accepted);
  EXPECT_EQ(parse.standardError, "");
  ASSERT_EQ(parse.Meshes().size(), 1u);
  const XMesh& mesh = parse.Meshes()[0];
  EXPECT_EQ(mesh.vertices.size(), 4132u);
  EXPECT_EQ(mesh.faces.size(), 6656u);
  EXPECT_TRUE(mesh.flags & HasTexCoords);
  ExpectSound(mesh);
}

// Twins that only the writer makes: every format, 8-byte floats, and
// containers of several blocks, each reading exactly as the text.
TEST(BinaryFormats, WrittenTwinsOfEveryFormatReadAsTheirText) {
  for (const char* name : {"test_cube_text.x", "test.x", "kwxport_test_cubewithvcolors.x", "anim_test.x"}) {
    const std::string text = FileText(DataModel(name));
    QuietParse original = ParseQuietly(DataModel(name));
    ASSERT_TRUE(original.accepted) << name;
    for (const char* format : {"bin", "bzip", "tzip"})
      for (bool doubles : {false, true})
        for (std::size_t block : {std::size_t{32768}, std::size_t{4000}}) {
          SCOPED_TRACE(std::string(name) + " " + format + (doubles ? " 0064" : " 0032") + " blocks of " +
                       std::to_string(block));
          ModelFile twin(xfileconvert::Twin(text, format, doubles, block));
          QuietParse parse = ParseQuietly(twin.WidePath());
          ASSERT_TRUE(parse.accepted) << parse.standardError;
          EXPECT_EQ(KindsOf(parse), KindsOf(original)) << parse.standardError;
          ExpectSameRecords(original.content, parse.content, 0);
        }
  }
}

// A binary file whose numbers are typed as they are spelled, whatever the
// record wants there.
std::string BinaryFile(const std::string& body, bool doubles = false) { return spelled_binary::File(body, doubles); }

TEST(BinaryFormats, NumbersKeepTheirTypes) {
  // Integers where floats belong convert exactly; a float where an integer
  // belongs is truncated toward zero, with a warning; 8-byte floats round.
  for (bool doubles : {false, true}) {
    ModelFile file(BinaryFile("Mesh m { 3.9; 1;2;3; 0.1;-2.75;16777216; 0.5;0.5;0.5; 1; 3;0,1,2; }", doubles));
    QuietParse parse = ParseQuietly(file.WidePath());
    ASSERT_TRUE(parse.accepted);
    ASSERT_EQ(parse.Meshes().size(), 1u);
    const XMesh& mesh = parse.Meshes()[0];
    ASSERT_EQ(mesh.vertices.size(), 3u);
    EXPECT_EQ(mesh.vertices[0].position, D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(mesh.vertices[1].position, D3DXVECTOR3(0.1f, -2.75f, 16777216.0f));
    EXPECT_TRUE(parse.Warned(ParseWarningKind::FloatAsInteger)) << parse.standardError;
    EXPECT_NE(parse.standardError.find("3.9"), std::string::npos) << parse.standardError;
  }
}

TEST(BinaryFormats, NamesAndStringsChooseTheCodePage) {
  // "\x96\xd8" is Shift-JIS for U+6728 and no valid UTF-8.
  const std::string body = "Material \x96\xd8 { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"\x96\xd8.png\"; } }";
  for (const char* format : {"bin", "bzip"}) {
    ModelFile file(xfileconvert::Twin(kHeader + body + " Mesh m { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; "
                                                    "MeshMaterialList { 1; 1; 0;; { \x96\xd8 } } }",
                                   format));
    QuietParse parse = ParseQuietly(file.WidePath());
    ASSERT_TRUE(parse.accepted);
    ASSERT_EQ(parse.Meshes().size(), 1u);
    ASSERT_EQ(parse.Meshes()[0].materials.size(), 1u);
    EXPECT_EQ(parse.Meshes()[0].materials[0].name, L"\u6728");
    EXPECT_EQ(parse.Meshes()[0].materials[0].textureFiles[0], file.Folder() + L"\u6728.png");
  }
}

TEST(BinaryFormats, ABinaryFileEchoesOneLineWithItsSize) {
  ModelFile binary(BinaryFile("Mesh m { 0; 0; }"));
  std::string echoed = CaptureStandardOutput([&] {
    XModelContent content;
    EXPECT_TRUE(ParseXFile(binary.WidePath(), content));
  });
  const std::string size = std::to_string(FileText(binary.WidePath()).size());
  EXPECT_EQ(echoed, "binary model file (format bin, 32-bit floats), " + size + " bytes\n");

  // Compressed text echoes as the text it holds.
  const std::string body = "Mesh m { 0; 0; }\n";
  ModelFile compressed(xfileconvert::Twin(kHeader + body, "tzip", false, 5));
  echoed = CaptureStandardOutput([&] {
    XModelContent content;
    EXPECT_TRUE(ParseXFile(compressed.WidePath(), content));
  });
  EXPECT_EQ(echoed, "xof 0303tzip0032\n" + body);
}

// A file of ASCII chooses its code page only where its first other byte
// comes, far into the file: the file is read ahead from there and read again
// up to where the reader stood, text or binary, plain or decompressed.
TEST(BinaryFormats, ALateByteOutsideAsciiChoosesTheCodePageOfTheWholeFile) {
  std::string text = kHeader;
  constexpr int kAsciiMeshes = 40000;  // about 800 KB on each side: several blocks of the reader
  for (int i = 0; i < kAsciiMeshes; ++i) text += "Mesh F" + std::to_string(i) + " { 0; 0; }\n";
  text += "Mesh \x96\xd8 { 0; 0; }\nMesh \x83\x5c { 0; 0; }\n";  // Shift-JIS, and not UTF-8
  for (int i = 0; i < kAsciiMeshes; ++i) text += "Mesh G" + std::to_string(i) + " { 0; 0; }\n";
  for (const std::string& file : {text, xfileconvert::Twin(text, "tzip", false, 4096), xfileconvert::Twin(text, "bin"),
                                   xfileconvert::Twin(text, "bzip", false, 4096)}) {
    ModelFile model(file);
    const QuietParse parse = ParseQuietly(model.WidePath());
    ASSERT_TRUE(parse.accepted);
    EXPECT_EQ(parse.codePage, 932u);
    const std::vector<XMesh>& meshes = parse.Meshes();
    ASSERT_EQ(meshes.size(), 2 * kAsciiMeshes + 2u);
    EXPECT_EQ(meshes[kAsciiMeshes - 1].name, L"F" + std::to_wstring(kAsciiMeshes - 1));
    EXPECT_EQ(meshes[kAsciiMeshes].name, L"\u6728");
    EXPECT_EQ(meshes[kAsciiMeshes + 1].name, L"\u30bd");
    EXPECT_EQ(meshes.back().name, L"G" + std::to_wstring(kAsciiMeshes - 1));
  }
}

// Every name and string of a binary file has its say, those after numbers
// too: a UTF-8 name first, a 1252 name after a mesh's numbers.
TEST(BinaryFormats, EveryNameOfABinaryFileChoosesItsCodePage) {
  const std::string text = kHeader + "Mesh \xe6\x9c\xa8 { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n" +
                           "Mesh m { 1; 0.5;0;0;; 0; }\nMesh \xe9t\xe9 { 0; 0; }\n";
  for (const char* format : {"bin", "bzip"}) {
    ModelFile model(xfileconvert::Twin(text, format));
    const QuietParse parse = ParseQuietly(model.WidePath());
    ASSERT_TRUE(parse.accepted);
    EXPECT_EQ(parse.codePage, 1252u) << format;
    ASSERT_EQ(parse.Meshes().size(), 3u);
    EXPECT_EQ(parse.Meshes()[0].name, L"\u00e6\u0153\u00a8");
    EXPECT_EQ(parse.Meshes()[2].name, L"\u00e9t\u00e9");
  }
}

// A frame, then a mesh of `vertices` vertices in a fan of triangles.
std::string FrameAndMesh(int vertices) {
  std::string text = "Frame F { }\nMesh m {\n" + std::to_string(vertices) + ";\n";
  for (int i = 0; i < vertices; ++i) text += std::to_string(i) + ".5;1.25;" + std::to_string(-i) + ".75;,\n";
  text += std::to_string(vertices - 2) + ";\n";
  for (int i = 1; i + 1 < vertices; ++i) text += "3;0," + std::to_string(i) + "," + std::to_string(i + 1) + ";,\n";
  return text + "}\n";
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// One warning of `kind`, naming the file and saying `where`.
void ExpectDamage(const QuietParse& parse, ParseWarningKind kind, const std::string& where, const ModelFile& file) {
  EXPECT_TRUE(parse.accepted);
  EXPECT_TRUE(parse.Warned(kind)) << parse.standardError;
  EXPECT_TRUE(Has(parse.standardError, file.Path())) << parse.standardError;
  EXPECT_TRUE(Has(parse.standardError, where)) << parse.standardError;
}

std::uint32_t FramesOf(const XModelContent& content) {
#if defined(XVIEW_REDUCED_MODEL)
  (void)content;
  return 1;
#else
  return static_cast<std::uint32_t>(content.frames.size());
#endif
}

TEST(DamagedBinaryFiles, TokenFaultsSayTheirOffsetAndKeepWhatCameBefore) {
  const std::string binary = BinaryFile(FrameAndMesh(40));
  const std::size_t mesh = binary.find("Mesh") - 6;  // the name token before it

  {  // a token type that does not exist
    std::string damaged = binary;
    damaged.insert(mesh, std::string("\x63\x00", 2));
    ModelFile file(damaged);
    QuietParse parse = ParseQuietly(file.WidePath());
    ExpectDamage(parse, ParseWarningKind::BinaryDamaged, "token type 99 does not exist at offset " + std::to_string(mesh),
                 file);
    EXPECT_EQ(FramesOf(parse.content), 1u);
    EXPECT_TRUE(parse.Meshes().empty());
  }
  {  // a file that ends inside a list: the vertices read so far are kept
    ModelFile file(binary.substr(0, mesh + 200));
    QuietParse parse = ParseQuietly(file.WidePath());
    ExpectDamage(parse, ParseWarningKind::BinaryDamaged, "the data ends inside a float list of ", file);
    ASSERT_EQ(parse.Meshes().size(), 1u);
    EXPECT_GT(parse.Meshes()[0].vertices.size(), 5u);
    EXPECT_LT(parse.Meshes()[0].vertices.size(), 40u);
  }
  {  // a name whose count runs past the end of the data
    std::string damaged = binary.substr(0, mesh + 2) + std::string("\xff\xff\xff\x7f", 4) + "Mesh";
    ModelFile file(damaged);
    QuietParse parse = ParseQuietly(file.WidePath());
    ExpectDamage(parse, ParseWarningKind::BinaryDamaged, "runs past the end of the data at offset " + std::to_string(mesh),
                 file);
  }
  {  // a string without its terminator
    ModelFile file(BinaryFile("Material M { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"a.png\"; } }"));
    std::string damaged = FileText(file.WidePath());
    const std::size_t terminator = damaged.find("a.png") + 5;
    damaged[terminator] = '\x0b';  // a "}" where the ";" belongs
    ModelFile broken(damaged, "broken.x");
    QuietParse parse = ParseQuietly(broken.WidePath());
    ExpectDamage(parse, ParseWarningKind::StringUnterminated, "at offset " + std::to_string(terminator), broken);
  }
}

TEST(DamagedBinaryFiles, CountsBeyondTheDataReserveNothingFromThem) {
  // Two billion vertices declared, a few given: the reader reserves what the
  // bytes decompressed so far could hold, never what the count says.
  const std::string body = "Mesh m { 2000000000; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }";
  QuietParse text = ParseTextQuietly(body);
  ASSERT_EQ(text.Meshes().size(), 1u);
  const std::string binary = spelled_binary::File(body);
  for (const std::string& twin : {binary, xfileconvert::Compress(binary, "bzip"), xfileconvert::Twin(kHeader + body, "tzip")}) {
    const std::string format = twin.substr(8, 4);
    ModelFile file(twin);
    QuietParse parse = ParseQuietly(file.WidePath());
    ASSERT_TRUE(parse.accepted) << format;
    ASSERT_EQ(parse.Meshes().size(), 1u) << format;
    // The numbers after the vertices are read as vertices, as in text.
    EXPECT_EQ(parse.Meshes()[0].vertices.size(), text.Meshes()[0].vertices.size()) << format;
    EXPECT_LT(parse.Meshes()[0].vertices.size(), 6u) << format;
    EXPECT_TRUE(parse.Warned(ParseWarningKind::ListShort)) << format << parse.standardError;
  }
}

TEST(DamagedBinaryFiles, ContainerFaultsSayTheirOffsetAndBlock) {
  const std::string text = kHeader + FrameAndMesh(400);
  const std::string compressed = xfileconvert::Twin(text, "bzip", false, 2000);
  const std::size_t firstBlock = 20;
  const std::size_t secondBlock =
      firstBlock + 4 + (static_cast<unsigned char>(compressed[22]) | static_cast<unsigned char>(compressed[23]) << 8);
  ASSERT_EQ(compressed.substr(secondBlock + 4, 2), "CK");

  {  // a block without "CK": the first block's records are kept
    std::string damaged = compressed;
    damaged[secondBlock + 4] = 'X';
    ModelFile file(damaged);
    QuietParse parse = ParseQuietly(file.WidePath());
    ExpectDamage(parse, ParseWarningKind::ContainerDamaged,
                 "block 2 at offset " + std::to_string(secondBlock) + " does not begin with \"CK\"", file);
    EXPECT_EQ(FramesOf(parse.content), 1u);
  }
  {  // deflate data that does not inflate
    std::string damaged = compressed;
    for (std::size_t i = secondBlock + 6; i < secondBlock + 40; ++i) damaged[i] = static_cast<char>(0xff);
    ModelFile file(damaged);
    QuietParse parse = ParseQuietly(file.WidePath());
    ExpectDamage(parse, ParseWarningKind::ContainerDamaged, "block 2 at offset " + std::to_string(secondBlock), file);
  }
  {  // an uncompressed size that lies: the data is read whole, and that is said
    std::string damaged = compressed;
    damaged[16] = static_cast<char>(damaged[16] + 1);
    ModelFile file(damaged);
    QuietParse parse = ParseQuietly(file.WidePath());
    ExpectDamage(parse, ParseWarningKind::ContainerDamaged, "its uncompressed size field at offset 16 says", file);
    ASSERT_EQ(parse.Meshes().size(), 1u);
    EXPECT_EQ(parse.Meshes()[0].vertices.size(), 400u);
  }
  {  // a file cut inside a block
    ModelFile file(compressed.substr(0, secondBlock + 30));
    QuietParse parse = ParseQuietly(file.WidePath());
    ExpectDamage(parse, ParseWarningKind::ContainerDamaged, "block 2 at offset " + std::to_string(secondBlock), file);
  }
  {  // a token fault inside a compressed file names its block
    std::string binary = xfileconvert::Twin(text, "bin");
    binary.insert(binary.size() - 2, std::string("\x63\x00", 2));
    const std::string damaged = xfileconvert::Compress(binary, "bzip", 2000);
    ModelFile file(damaged);
    QuietParse parse = ParseQuietly(file.WidePath());
    const std::size_t blocks = (binary.size() - 16 + 1999) / 2000;
    ExpectDamage(parse, ParseWarningKind::BinaryDamaged,
                 "token type 99 does not exist at offset " + std::to_string(binary.size() - 4) + " (block " +
                     std::to_string(blocks) + ")",
                 file);
  }
}

}  // namespace
}  // namespace xfile_test
