#include "XTemplates.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace xfileconvert {

namespace {

const char* const kPrimitiveKeywords[] = {"WORD",  "DWORD", "FLOAT",  "DOUBLE",  "CHAR",   "UCHAR",
                                          "SWORD", "SDWORD", "VOID", "STRING", "UNICODE", "CSTRING"};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// DirectX's standard templates: each as its declaration's words, in an
// order in which every template comes after those its members name.
struct StandardDeclaration {
  const char* name;
  const char* body;
};
const StandardDeclaration kStandard[] = {
    {"Header", "<3D82AB43-62DA-11CF-AB39-0020AF71E433> WORD major; WORD minor; DWORD flags;"},
    {"Vector", "<3D82AB5E-62DA-11CF-AB39-0020AF71E433> FLOAT x; FLOAT y; FLOAT z;"},
    {"Coords2d", "<F6F23F44-7686-11CF-8F52-0040333594A3> FLOAT u; FLOAT v;"},
    {"Matrix4x4", "<F6F23F45-7686-11CF-8F52-0040333594A3> array FLOAT matrix[16];"},
    {"ColorRGBA", "<35FF44E0-6C7C-11CF-8F52-0040333594A3> FLOAT red; FLOAT green; FLOAT blue; FLOAT alpha;"},
    {"ColorRGB", "<D3E16E81-7835-11CF-8F52-0040333594A3> FLOAT red; FLOAT green; FLOAT blue;"},
    {"IndexedColor", "<1630B820-7842-11CF-8F52-0040333594A3> DWORD index; ColorRGBA indexColor;"},
    {"TextureFilename", "<A42790E1-7810-11CF-8F52-0040333594A3> STRING filename;"},
    {"Material",
     "<3D82AB4D-62DA-11CF-AB39-0020AF71E433> ColorRGBA faceColor; FLOAT power; ColorRGB specularColor; "
     "ColorRGB emissiveColor; [...]"},
    {"MeshFace",
     "<3D82AB5F-62DA-11CF-AB39-0020AF71E433> DWORD nFaceVertexIndices; "
     "array DWORD faceVertexIndices[nFaceVertexIndices];"},
    {"MeshTextureCoords",
     "<F6F23F40-7686-11CF-8F52-0040333594A3> DWORD nTextureCoords; array Coords2d textureCoords[nTextureCoords];"},
    {"MeshMaterialList",
     "<F6F23F42-7686-11CF-8F52-0040333594A3> DWORD nMaterials; DWORD nFaceIndexes; "
     "array DWORD faceIndexes[nFaceIndexes]; [Material <3D82AB4D-62DA-11CF-AB39-0020AF71E433>]"},
    {"MeshNormals",
     "<F6F23F43-7686-11CF-8F52-0040333594A3> DWORD nNormals; array Vector normals[nNormals]; "
     "DWORD nFaceNormals; array MeshFace faceNormals[nFaceNormals];"},
    {"MeshVertexColors",
     "<1630B821-7842-11CF-8F52-0040333594A3> DWORD nVertexColors; array IndexedColor vertexColors[nVertexColors];"},
    {"Mesh",
     "<3D82AB44-62DA-11CF-AB39-0020AF71E433> DWORD nVertices; array Vector vertices[nVertices]; "
     "DWORD nFaces; array MeshFace faces[nFaces]; [...]"},
    {"FrameTransformMatrix", "<F6F23F41-7686-11CF-8F52-0040333594A3> Matrix4x4 frameMatrix;"},
    {"Frame", "<3D82AB46-62DA-11CF-AB39-0020AF71E433> [...]"},
    {"FloatKeys", "<10DD46A9-775B-11CF-8F52-0040333594A3> DWORD nValues; array FLOAT values[nValues];"},
    {"TimedFloatKeys", "<F406B180-7B3B-11CF-8F52-0040333594A3> DWORD time; FloatKeys tfkeys;"},
    {"AnimationKey",
     "<10DD46A8-775B-11CF-8F52-0040333594A3> DWORD keyType; DWORD nKeys; array TimedFloatKeys keys[nKeys];"},
    {"AnimationOptions", "<E2BF56C0-840F-11CF-8F52-0040333594A3> DWORD openclosed; DWORD positionquality;"},
    {"Animation", "<3D82AB4F-62DA-11CF-AB39-0020AF71E433> [...]"},
    {"AnimationSet", "<3D82AB50-62DA-11CF-AB39-0020AF71E433> [Animation <3D82AB4F-62DA-11CF-AB39-0020AF71E433>]"},
    {"AnimTicksPerSecond", "<9E415A43-7BA6-4A73-8743-B73D47E88476> DWORD AnimTicksPerSecond;"},
    {"XSkinMeshHeader",
     "<3CF169CE-FF7C-44AB-93C0-F78F62D172E2> WORD nMaxSkinWeightsPerVertex; WORD nMaxSkinWeightsPerFace; "
     "WORD nBones;"},
    {"VertexDuplicationIndices",
     "<B8D65549-D7C9-4995-89CF-53A9A8B031E3> DWORD nIndices; DWORD nOriginalVertices; array DWORD indices[nIndices];"},
    {"SkinWeights",
     "<6F0D123B-BAD2-4167-A0D0-80224F25FABB> STRING transformNodeName; DWORD nWeights; "
     "array DWORD vertexIndices[nWeights]; array FLOAT weights[nWeights]; Matrix4x4 matrixOffset;"},
    {"FaceAdjacency", "<A64C844A-E282-4756-8B80-250CDE04398C> DWORD nIndices; array DWORD indices[nIndices];"},
    {"VertexElement", "<F752461C-1E23-48F6-B9F8-8350850F336F> DWORD Type; DWORD Method; DWORD Usage; DWORD UsageIndex;"},
    {"DeclData",
     "<BF22E553-292C-4781-9FEA-62BD554BDD93> DWORD nElements; array VertexElement Elements[nElements]; "
     "DWORD nDWords; array DWORD data[nDWords];"},
    {"FVFData", "<B6E70A0E-8EF9-4E83-94AD-ECC8B0C04897> DWORD dwFVF; DWORD nDWords; array DWORD data[nDWords];"},
    {"EffectInstance", "<E331F7E4-0559-4CC2-8E99-1CEC1657928F> STRING EffectFilename; [...]"},
    {"EffectParamFloats",
     "<3014B9A0-62F5-478C-9B86-E4AC9F4E418B> STRING ParamName; DWORD nFloats; array FLOAT Floats[nFloats];"},
    {"EffectParamString", "<1DBC4C88-94C1-46EE-9076-2C28818C9481> STRING ParamName; STRING Value;"},
    {"EffectParamDWord", "<E13963BC-AE51-4C5D-B00F-CFA3A9D97CE5> STRING ParamName; DWORD Value;"},
};

// Splits a declaration's text into words as the reader gives them: at
// white space and the separators, which the reader drops.
std::vector<std::string> WordsOf(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == ';' || c == ',') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

// The words of a declaration cut further at its brackets: "vertices[n]"
// gives "vertices", "[", "n", "]"; "[...]" gives "[", "...", "]". A GUID's
// angle brackets stay with it, and the dots of an ellipsis come together.
std::vector<std::string> PiecesOf(const std::vector<std::string>& words, std::size_t end) {
  std::vector<std::string> pieces;
  for (std::size_t w = 0; w < end; ++w) {
    const std::string& word = words[w];
    std::string piece;
    auto flush = [&] {
      if (!piece.empty()) pieces.push_back(std::move(piece));
      piece.clear();
    };
    for (char c : word) {
      if (c == '[' || c == ']') {
        flush();
        pieces.emplace_back(1, c);
      } else {
        piece += c;
      }
    }
    flush();
  }
  // An ellipsis the binary format gives as three dots of their own.
  std::vector<std::string> joined;
  for (std::string& piece : pieces) {
    if (piece == "." && !joined.empty() && joined.back().find_first_not_of('.') == std::string::npos &&
        joined.back().size() < 3) {
      joined.back() += '.';
    } else {
      joined.push_back(std::move(piece));
    }
  }
  return joined;
}

bool IsGuidWord(const std::string& word) { return word.size() > 2 && word.front() == '<' && word.back() == '>'; }

bool IsDecimal(const std::string& word) {
  return !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
}

bool NamesMember(const XTemplate& declared, const std::string& name) {
  for (const XMember& member : declared.members)
    if (member.name == name) return true;
  return false;
}

// Reads the members and restrictions from `pieces` at `at` up to the end.
bool ParseMembers(const std::vector<std::string>& pieces, XTemplate& declared, std::string& error) {
  std::size_t at = 0;
  auto more = [&] { return at < pieces.size(); };
  if (more() && IsGuidWord(pieces[at])) {
    if (!XGuid::Parse(pieces[at], declared.guid)) {
      error = "its GUID " + pieces[at] + " is not one";
      return false;
    }
    ++at;
  }
  while (more() && pieces[at] != "[") {
    XMember member;
    const bool array = pieces[at] == "array";
    if (array && ++at == pieces.size()) break;
    const std::string& type = pieces[at++];
    if (auto primitive = PrimitiveNamed(type)) {
      member.primitive = *primitive;
    } else {
      member.typeName = type;
    }
    if (member.primitive == XPrimitive::None && member.typeName.empty()) {
      error = "a member has no type";
      return false;
    }
    // The member's name: any word that does not begin the next member.
    if (more() && pieces[at] != "[" && pieces[at] != "array" && !PrimitiveNamed(pieces[at]) &&
        !(array && pieces[at] == "]"))
      member.name = pieces[at++];
    // Its sizes: a number or an earlier member in brackets. Brackets around
    // anything else are the template's restrictions.
    while (array && pieces.size() - at >= 3 && pieces[at] == "[" && pieces[at + 2] == "]" &&
           (IsDecimal(pieces[at + 1]) || NamesMember(declared, pieces[at + 1]))) {
      XDimension dimension;
      const std::string& size = pieces[at + 1];
      if (IsDecimal(size)) {
        dimension.size = static_cast<std::uint32_t>(std::min<unsigned long long>(std::stoull(size), UINT32_MAX));
      } else {
        dimension.member = size;
      }
      member.dimensions.push_back(std::move(dimension));
      at += 3;
    }
    if (array && member.dimensions.empty()) {
      error = "array member " + member.name + " has no size";
      return false;
    }
    declared.members.push_back(std::move(member));
  }
  if (!more()) return true;
  // The restrictions: "[...]" for any child, or the kinds allowed.
  ++at;
  if (more() && pieces[at] == "...") {
    declared.restriction = XRestriction::Open;
    ++at;
  } else {
    declared.restriction = XRestriction::Restricted;
    while (more() && pieces[at] != "]") {
      std::optional<XGuid> guid;
      std::string name = pieces[at++];
      if (more() && IsGuidWord(pieces[at])) {
        XGuid parsed;
        if (XGuid::Parse(pieces[at], parsed)) guid = parsed;
        ++at;
      }
      declared.allowed.emplace_back(std::move(name), guid);
    }
  }
  if (!more() || pieces[at] != "]") {
    error = "its restrictions are not closed with \"]\"";
    return false;
  }
  if (++at != pieces.size()) {
    error = "it has words after its restrictions";
    return false;
  }
  return true;
}

// Points each member at the template its type names (`find` looks it up;
// a template naming itself is left unresolved, as the format has no
// recursion) and each size at the earlier integer member it names.
template <typename Find>
void ResolveMembers(XTemplate& added, Find&& find) {
  for (std::size_t m = 0; m < added.members.size(); ++m) {
    XMember& member = added.members[m];
    if (member.primitive == XPrimitive::None && member.typeName != added.name) member.type = find(member.typeName);
    for (XDimension& dimension : member.dimensions) {
      if (dimension.member.empty()) continue;
      for (std::size_t earlier = 0; earlier < m; ++earlier) {
        XMember& source = added.members[earlier];
        if (source.name == dimension.member && source.dimensions.empty() && IsIntegerType(source.primitive)) {
          dimension.memberIndex = static_cast<int>(earlier);
          source.sizesArrays = true;
        }
      }
    }
  }
}

}  // namespace

bool XGuid::Parse(std::string_view text, XGuid& guid) {
  if (text.size() >= 2 && text.front() == '<' && text.back() == '>') text = text.substr(1, text.size() - 2);
  // Groups of 8, 4, 4, 4 and 12 hex digits; the first three are stored
  // little-endian.
  static const int kGroups[] = {8, 4, 4, 4, 12};
  std::array<std::uint8_t, 16> digits{};
  std::size_t at = 0, byte = 0;
  for (int g = 0; g < 5; ++g) {
    if (g > 0) {
      if (at >= text.size() || text[at] != '-') return false;
      ++at;
    }
    for (int i = 0; i < kGroups[g]; i += 2, at += 2) {
      if (at + 1 >= text.size()) return false;
      const int high = HexDigit(text[at]), low = HexDigit(text[at + 1]);
      if (high < 0 || low < 0) return false;
      digits[byte++] = static_cast<std::uint8_t>(high << 4 | low);
    }
  }
  if (at != text.size()) return false;
  static const int kOrder[] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  for (int i = 0; i < 16; ++i) guid.bytes[static_cast<std::size_t>(kOrder[i])] = digits[static_cast<std::size_t>(i)];
  return true;
}

std::string XGuid::Text() const {
  const auto& b = bytes;
  char text[40];
  std::snprintf(text, sizeof text, "<%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X>", b[3], b[2],
                b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
  return text;
}

const char* PrimitiveKeyword(XPrimitive type) { return kPrimitiveKeywords[static_cast<std::size_t>(type)]; }

std::optional<XPrimitive> PrimitiveNamed(std::string_view word) {
  for (std::size_t i = 0; i < std::size(kPrimitiveKeywords); ++i)
    if (i != static_cast<std::size_t>(XPrimitive::None) && SameIgnoringCase(word, kPrimitiveKeywords[i]))
      return static_cast<XPrimitive>(i);
  // Other spellings the format knows: the binary keyword's name, and BYTE.
  if (SameIgnoringCase(word, "LPSTR")) return XPrimitive::String;
  if (SameIgnoringCase(word, "BYTE")) return XPrimitive::Uchar;
  return std::nullopt;
}

bool ParseTemplateWords(const std::vector<std::string>& words, XTemplate& declared, std::size_t& consumed,
                        std::string& error) {
  consumed = 0;
  if (words.empty() || words[0] != "{") {
    error = "its name is not followed by \"{\"";
    return false;
  }
  std::size_t end = 1;
  while (end < words.size() && words[end] != "}") ++end;
  consumed = end < words.size() ? end + 1 : end;
  if (end == words.size()) {
    error = "it does not end with \"}\"";
    return false;
  }
  std::vector<std::string> inner(words.begin() + 1, words.begin() + static_cast<std::ptrdiff_t>(end));
  return ParseMembers(PiecesOf(inner, inner.size()), declared, error);
}

XTemplateSet::XTemplateSet() {
  for (const XTemplate& standard : StandardTemplates()) byName_[standard.name] = &standard;
}

const XTemplate* XTemplateSet::Find(std::string_view name) const {
  auto exact = byName_.find(name);
  if (exact != byName_.end()) return exact->second;
  for (const auto& [known, found] : byName_)
    if (SameIgnoringCase(known, name)) return found;
  return nullptr;
}

void XTemplateSet::Resolve(XTemplate& added) {
  ResolveMembers(added, [this](std::string_view name) { return Find(name); });
}

const XTemplate& XTemplateSet::Declare(XTemplate declared) {
  XTemplate& added = templates_.emplace_back(std::move(declared));
  Resolve(added);
  byName_[added.name] = &added;
  declared_.push_back(&added);
  return added;
}

const std::deque<XTemplate>& StandardTemplates() {
  static const std::deque<XTemplate> standard = [] {
    std::deque<XTemplate> all;
    for (const StandardDeclaration& declaration : kStandard) {
      XTemplate& added = all.emplace_back();
      added.name = declaration.name;
      added.standard = true;
      std::vector<std::string> words = WordsOf(declaration.body);
      std::string error;
      ParseMembers(PiecesOf(words, words.size()), added, error);
      ResolveMembers(added, [&all](std::string_view name) -> const XTemplate* {
        for (const XTemplate& earlier : all)
          if (earlier.name == name) return &earlier;
        return nullptr;
      });
    }
    return all;
  }();
  return standard;
}

const XTemplate& StandardTemplate(std::string_view name) {
  for (const XTemplate& standard : StandardTemplates())
    if (standard.name == name) return standard;
  std::abort();  // a name of the converter's own, never of a file
}

}  // namespace xfileconvert
