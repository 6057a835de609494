#include "xfile/DocumentParser.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/FilePaths.h"
#include "platform/TextConversion.h"
#include "xfile/AnimationReader.h"
#include "xfile/MaterialReader.h"
#include "xfile/MeshReader.h"
#include "xfile/ModelReader.h"
#include "xfile/ParseMessages.h"
#include "xfile/RecordReading.h"
#include "xfile/SizeAccounting.h"
#include "xfile/TokenEcho.h"
#include "xfile/TokenReader.h"

XFILE_SHAPE_BEGIN

namespace {

std::uint64_t SizeOf(FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return UINT64_MAX;
  long size = std::ftell(file);
  std::rewind(file);
  return size < 0 ? UINT64_MAX : static_cast<std::uint64_t>(size);
}

// Whether the path names a folder is only asked once a file has failed to
// open or to give a header, so it costs a good file nothing.
constexpr wchar_t kFolderReason[] = L"is a folder, not a model file";

// The shortest Mesh record, "Mesh{0;0;}".
constexpr std::size_t kMinimumMeshBytes = 10;

// The header of a binary or compressed file, which has no text to tokenize:
// "xof ", four characters of version, the format, and the float size
// "0032" or "0064", in 16 bytes.
struct FileHeader {
  ModelFormat format = ModelFormat::Text;
  unsigned floatBytes = 4;
  const wchar_t* name = L"txt";
};

// Reads the first 16 bytes of `file` and leaves it at its start again. False
// (with the format Text) for any header that is not of a binary or
// compressed format: the text reader then reads it, or says what is wrong.
bool ReadBinaryHeader(FILE* file, FileHeader& header, std::string& floatSize) {
  char bytes[kModelHeaderBytes];
  std::size_t got = std::fread(bytes, 1, sizeof bytes, file);
  std::rewind(file);
  if (got < sizeof bytes || std::memcmp(bytes, "xof ", 4) != 0) return false;
  static const struct {
    const char* text;
    ModelFormat format;
    const wchar_t* name;
  } kFormats[] = {{"bin ", ModelFormat::Binary, L"bin"},
                  {"tzip", ModelFormat::CompressedText, L"tzip"},
                  {"bzip", ModelFormat::CompressedBinary, L"bzip"}};
  for (const auto& known : kFormats) {
    if (std::memcmp(bytes + 8, known.text, 4) != 0) continue;
    header.format = known.format;
    header.name = known.name;
    floatSize.assign(bytes + 12, 4);
    header.floatBytes = floatSize == "0064" ? 8 : 4;
    return true;
  }
  return false;
}

// The one line a binary file echoes in place of its text.
void EchoBinary(const FileHeader& header, std::uint64_t size) {
  EchoText(std::wstring(L"binary model file (format ") + header.name + L", " +
           (header.floatBytes == 8 ? L"64" : L"32") + L"-bit floats), " + std::to_wstring(size) + L" bytes\n");
}

// "xof", then the format version and "txt" in one word, then the float size;
// a compressed text file has "tzip" and its float size in that word. Says in
// `failure` why a header is not accepted.
bool ReadHeader(const std::wstring& path, std::uint64_t size, bool compressed, std::wstring& failure) {
  ReadToken();
  if (g_Token != L"xof") {
    if (AtEndOfModel() && g_Token.empty() && IsFolder(path)) {
      failure = kFolderReason;
    } else if (size == 0) {
      failure = L"is empty, not an X file";
    } else {
      failure = L"not an X file (it does not begin with \"xof\")";
    }
    return false;
  }
  ReadToken();
  if (compressed) return true;
  if (g_Token.size() < 4 || g_Token.compare(4, std::wstring::npos, L"txt") != 0) {
    failure = L"not an X file of a known format: neither the text format nor binary, nor either compressed "
              L"(format " + ShownName(g_Token) + L")";
    return false;
  }
  ReadToken();
  return true;
}

// Records the top level knows and has no use for, skipped whole.
bool IsSkippedTopLevelRecord() {
  return TokenIs(L"template") || TokenIs(L"Header")
#if defined(XVIEW_REDUCED_MODEL)
         || TokenIs(L"AnimTicksPerSecond") || TokenIs(L"AnimationSet")
#endif
      ;
}

// A block at the top level that no keyword of the reader opens: its braces
// must not close a frame. `word` is the word before it, if any. Exporters
// put their notes there (KeyValuePair, ObjectMatrixComment); skipping them
// loses nothing a viewer shows, so it is no warning.
void SkipUnknownBlock(const std::wstring& word) { SkipBlock(word, TokenPlace(), false); }

// A frame whose block is open: the character shape keeps frames; the reduced
// shape follows their blocks (so that the end of the file can say which one
// it cut) with the transform they combine to, which places their meshes.
#if !defined(XVIEW_REDUCED_MODEL)
using OpenFrame = XFrame*;
#else
using OpenFrame = D3DXMATRIX;
#endif

// The frames whose blocks enclose the reader's position, innermost last.
class FrameNesting {
 public:
  // Frames still open when the top level ends were cut by the end of the file.
  ~FrameNesting() {
    if (!open_.empty()) ActiveReader().NoteEndOfFile();
    while (!open_.empty()) Leave();
  }

#if !defined(XVIEW_REDUCED_MODEL)
  OpenFrame Current() const { return open_.empty() ? nullptr : open_.back(); }
#else
  OpenFrame Current() const { return open_.empty() ? IdentityMatrix() : open_.back(); }

  // The innermost frame's own transform, read after it was entered: its
  // meshes are placed by it, then by the frames around it.
  void TransformInnermost(const D3DXMATRIX& local) {
    if (open_.empty()) return;
    const D3DXMATRIX outer = open_.size() > 1 ? open_[open_.size() - 2] : IdentityMatrix();
    D3DXMatrixMultiply(&open_.back(), &local, &outer);
  }
#endif

  void Enter(OpenFrame frame, std::wstring_view name, std::uint64_t line) {
#if !defined(XVIEW_REDUCED_MODEL)
    frame->parent = Current();
    open_.push_back(frame);
#else
    // Until its transform is read, a frame places its meshes as its parent does.
    (void)frame;
    open_.push_back(Current());
#endif
    ActiveReader().warnings.OpenRecord(L"Frame", name, line);
  }

  void Leave() {
    if (open_.empty()) return;
    open_.pop_back();
    ActiveReader().warnings.CloseRecord();
  }

 private:
  std::vector<OpenFrame> open_;
};

// What the two shapes do differently at the top level.
#if !defined(XVIEW_REDUCED_MODEL)
OpenFrame NewFrame(XFileScene& scene, std::wstring name) {
  XFrame& frame = scene.frames.emplace_back();
  frame.name = std::move(name);
  return &frame;
}

void ReadTransform(OpenFrame frame, FrameNesting&) { ReadFrameTransformMatrix(frame->transform); }

void PlaceMesh(XMesh& mesh, const FrameNesting& nesting) { mesh.frame = nesting.Current(); }

void ReadTicksPerSecond(XFileScene& scene) {
  RecordScope scope(L"AnimTicksPerSecond");
  ReadOpeningBrace();
  scene.ticksPerSecond = ReadInt();
  ReadClosingBrace();
}

// The animation records, which only the character shape keeps: false when
// the token opens none.
bool ReadAnimationRecord(XFileScene& scene) {
  if (TokenIs(L"AnimTicksPerSecond")) {
    ReadTicksPerSecond(scene);
  } else if (TokenIs(L"AnimationSet")) {
    ReadAnimationSet(scene.animationSets.emplace_back());
  } else {
    return false;
  }
  return true;
}

void BeginContent(XFileScene& scene) { scene.ticksPerSecond = 60; }
#else
OpenFrame NewFrame(std::vector<XMesh>&, const std::wstring&) { return IdentityMatrix(); }
void ReadTransform(OpenFrame, FrameNesting& nesting) {
  // What a record cut short leaves unread stays as the identity has it, as in a kept frame.
  D3DXMATRIX local = IdentityMatrix();
  ReadFrameTransformMatrix(local);
  nesting.TransformInnermost(local);
}
void PlaceMesh(XMesh& mesh, const FrameNesting& nesting) { mesh.frameTransform = nesting.Current(); }
bool ReadAnimationRecord(std::vector<XMesh>&) { return false; }
void BeginContent(std::vector<XMesh>&) {}
#endif

void ReadFrame(XModelContent& content, FrameNesting& nesting, bool& tokenPending) {
  const std::uint64_t line = TokenPlace();
  std::wstring name = ReadRecordName();
  const std::wstring shownName = name;
  OpenFrame frame = NewFrame(content, std::move(name));
  nesting.Enter(frame, shownName, line);
  // The first member is the transform when the frame has one; anything else
  // is read at the top level as it stands.
  bool more = ReadToken();
  if (TokenIs(L"FrameTransformMatrix")) {
    ReadTransform(frame, nesting);
  } else {
    tokenPending = more;
  }
}

void ParseBody(XModelContent& content) {
  BeginContent(content);
  MeshFinisher finisher;
  FrameNesting nesting;
  bool tokenPending = false;
  std::wstring unknownWord;
  while (tokenPending || ReadToken()) {
    tokenPending = false;
    if (IsSkippedTopLevelRecord()) {
      SkipRecord(false);
    } else if (ReadAnimationRecord(content)) {
    } else if (TokenIs(L"Mesh")) {
      std::vector<XMesh>& meshes = MeshesOf(content);
      // A list that grows moves its meshes: the one being finished first.
      if (meshes.size() == meshes.capacity()) finisher.Wait();
      MakeRoomForRecord(meshes, kMinimumMeshBytes);
      XMesh& mesh = meshes.emplace_back();
      PlaceMesh(mesh, nesting);
      ReadMesh(mesh, finisher);
    } else if (TokenIs(L"Frame")) {
      ReadFrame(content, nesting, tokenPending);
    } else if (TokenIs(L"Material")) {
      ReadNamedMaterial();
    } else if (TokenIsCloseBrace()) {
      nesting.Leave();
    } else if (TokenIsOpenBrace()) {
      SkipUnknownBlock(unknownWord);
    } else {
      unknownWord = g_Token;
      continue;
    }
    unknownWord.clear();
  }
  finisher.Wait();
}

}  // namespace

bool ReadFrameTransformMatrix(D3DXMATRIX& transform) {
  RecordScope scope(L"FrameTransformMatrix");
  ReadOpeningBrace();
  ReadMatrix(transform);
  ReadClosingBrace();
  return true;
}

ParseResult ParseXFile(const std::wstring& path, XModelContent& content, const ParseOptions& options) {
  ParseResult result;
  errno = 0;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) {
    if (IsFolder(path)) {
      result.failure = kFolderReason;
    } else {
      result.failure = L"cannot be opened";
      if (errno) result.failure += L" (" + FromUtf8(std::strerror(errno)) + L")";
    }
    return result;
  }
  std::uint64_t size = SizeOf(file);
  FileHeader header;
  std::string floatSize;
  const bool binaryHeader = ReadBinaryHeader(file, header, floatSize);
  if (binaryHeader && floatSize != "0032" && floatSize != "0064") {
    result.failure = L"its float size is neither 0032 nor 0064 (" + ShownName(FromUtf8(floatSize)) + L")";
    std::fclose(file);
    return result;
  }
  const bool binary = IsBinary(header.format);
  const bool echo = options.echo && StandardOutputVisible();
  if (echo && binary) EchoBinary(header, size);
  g_ModelFile = file;
  g_ModelDirectory = FolderOf(path);
  {
    ModelReader reader(file, header.format, header.floatBytes, echo && !binary, size);
    // A binary file's header was read above; a text file's is its first tokens.
    result.accepted =
        binary || ReadHeader(path, size, header.format == ModelFormat::CompressedText, result.failure);
    if (result.accepted) {
      result.format = header.name;
      ParseBody(content);
      result.warnings = reader.FinishWarnings();
    }
    result.codePage = reader.CodePage();
  }
  if (echo) std::fflush(stdout);
  std::fclose(file);
  g_ModelFile = nullptr;
  return result;
}

void ReportParse(std::wstring_view path, const ParseResult& result) {
  if (!result.accepted) {
    ReportModelFileLine(path, result.failure);
    return;
  }
  for (const ParseWarning& warning : result.warnings) ReportModelFileLine(path, warning.message);
}

XFILE_SHAPE_END
