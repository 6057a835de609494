#include "xfile/DocumentParser.h"

#include <cerrno>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "xfile/AnimationReader.h"
#include "xfile/MaterialReader.h"
#include "xfile/MeshReader.h"
#include "xfile/ParseMessages.h"
#include "xfile/RecordReading.h"
#include "xfile/TokenReader.h"

XFILE_SHAPE_BEGIN

namespace {

// Echo costs nothing where nobody sees it: a program without a console has
// no standard output handle.
bool StandardOutputVisible() {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  return output != nullptr && output != INVALID_HANDLE_VALUE;
}

std::wstring DirectoryOf(const std::wstring& path) {
  std::size_t cut = path.find_last_of(L"/\\");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

std::uint64_t SizeOf(FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return UINT64_MAX;
  long size = std::ftell(file);
  std::rewind(file);
  return size < 0 ? UINT64_MAX : static_cast<std::uint64_t>(size);
}

// A word of the file for a message: printable ASCII only, and not too long.
std::wstring Quoted(const std::wstring& word) {
  std::wstring shown;
  for (wchar_t c : word.substr(0, 24)) shown += c >= 0x20 && c < 0x7F ? c : L'?';
  return L"\"" + shown + (word.size() > 24 ? L"...\"" : L"\"");
}

// "xof", then the format version and "txt" in one word, then the float size.
bool ReadHeader(const std::wstring& path) {
  ReadToken();
  if (g_Token != L"xof") {
    ReportParseFailure(path, L"not an X file (it does not begin with \"xof\")");
    return false;
  }
  ReadToken();
  if (g_Token.size() < 4 || g_Token.compare(4, std::wstring::npos, L"txt") != 0) {
    ReportParseFailure(path, L"not an X file in the text format (format " + Quoted(g_Token) + L")");
    return false;
  }
  ReadToken();
  return true;
}

void ReadTopLevelMaterial() {
  XMaterial material;
  material.diffuse = XColorRGBA{};
  ReadMaterial(material);
  RememberNamedMaterial(material);
}

#if !defined(XVIEW_REDUCED_MODEL)

// The frames whose blocks enclose the reader's position, innermost last. A
// frame whose block is open cannot be re-declared as its own descendant.
class FrameNesting {
 public:
  XFrame* Current() const { return open_.empty() ? nullptr : open_.back(); }

  void Enter(XFrame& frame) {
    if (openCount_[&frame]++ == 0) frame.parent = Current();
    open_.push_back(&frame);
  }

  void Leave() {
    if (open_.empty()) return;
    --openCount_[open_.back()];
    open_.pop_back();
  }

 private:
  std::vector<XFrame*> open_;
  std::unordered_map<const XFrame*, std::size_t> openCount_;
};

void ReadFrame(XFileScene& scene, FrameNesting& nesting, bool& tokenPending) {
  ReadToken();
  std::wstring name;
  if (!TokenIsOpenBrace()) {
    name = g_Token;
    ReadToken();
  }
  XFrame& frame = scene.frames[name];
  frame.name = name;
  nesting.Enter(frame);
  // The first member is the transform when the frame has one; anything else
  // is read at the top level as it stands.
  bool more = ReadToken();
  if (TokenIs(L"FrameTransformMatrix")) {
    ReadFrameTransformMatrix(frame.transform);
  } else {
    tokenPending = more;
  }
}

void ParseBody(XFileScene& scene) {
  scene.ticksPerSecond = 60;
  FrameNesting nesting;
  bool tokenPending = false;
  while (tokenPending || ReadToken()) {
    tokenPending = false;
    if (TokenIs(L"template") || TokenIs(L"Header")) {
      SkipToClosingBrace();
    } else if (TokenIs(L"AnimTicksPerSecond")) {
      ReadOpeningBrace();
      scene.ticksPerSecond = ReadInt();
      ReadToken();
    } else if (TokenIs(L"AnimationSet")) {
      ReadAnimationSet(scene.animationSets.emplace_back());
    } else if (TokenIs(L"Mesh")) {
      XMesh& mesh = scene.meshes.emplace_back();
      ReadMesh(mesh);
      mesh.frame = nesting.Current();
    } else if (TokenIs(L"Frame")) {
      ReadFrame(scene, nesting, tokenPending);
    } else if (TokenIs(L"Material")) {
      ReadTopLevelMaterial();
    } else if (TokenIsCloseBrace()) {
      nesting.Leave();
    } else if (TokenIsOpenBrace()) {
      // A record the reader does not know: its braces must not close a frame.
      SkipNestedRecord();
    }
  }
}

#else

void ParseBody(std::vector<XMesh>& meshes) {
  bool tokenPending = false;
  while (tokenPending || ReadToken()) {
    tokenPending = false;
    if (TokenIs(L"template") || TokenIs(L"Header") || TokenIs(L"AnimTicksPerSecond") ||
        TokenIs(L"AnimationSet")) {
      SkipToClosingBrace();
    } else if (TokenIs(L"Mesh")) {
      ReadMesh(meshes.emplace_back());
    } else if (TokenIs(L"Frame")) {
      ReadToken();
      if (!TokenIsOpenBrace()) ReadToken();
      bool more = ReadToken();
      if (TokenIs(L"FrameTransformMatrix")) {
        SkipToClosingBrace();
      } else {
        tokenPending = more;
      }
    } else if (TokenIs(L"Material")) {
      ReadTopLevelMaterial();
    } else if (TokenIsOpenBrace()) {
      SkipNestedRecord();
    }
  }
}

#endif

}  // namespace

bool ReadFrameTransformMatrix(D3DXMATRIX& transform) {
  ReadOpeningBrace();
  ReadMatrix(transform);
  ReadToken();
  return true;
}

bool ParseXFile(const std::wstring& path, XModelContent& content) {
  errno = 0;
  FILE* file = _wfopen(path.c_str(), L"r");
  if (!file) {
    std::string reason = "cannot be opened";
    if (errno) reason = reason + " (" + std::strerror(errno) + ")";
    ReportParseFailure(path, reason.c_str());
    return false;
  }
  std::uint64_t size = SizeOf(file);
  bool echo = ModelEchoEnabled() && StandardOutputVisible();
  BeginTokens(file, echo);
  SetModelSize(size);
  g_ModelDirectory = DirectoryOf(path);
  ForgetNamedMaterials();

  bool accepted = ReadHeader(path);
  if (accepted) ParseBody(content);

  if (echo) std::fflush(stdout);
  std::fclose(file);
  g_ModelFile = nullptr;
  ForgetNamedMaterials();
  return accepted;
}

XFILE_SHAPE_END
