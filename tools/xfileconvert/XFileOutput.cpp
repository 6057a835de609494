#include "XFileOutput.h"

#include <algorithm>

#include "BinaryFormat.h"
#include "XFileWriter.h"

namespace xfileconvert {

namespace {

bool SameMembers(const XTemplate& a, const XTemplate& b) {
  if (a.members.size() != b.members.size() || a.restriction != b.restriction || !(a.guid == b.guid)) return false;
  for (std::size_t m = 0; m < a.members.size(); ++m) {
    const XMember &x = a.members[m], &y = b.members[m];
    if (x.primitive != y.primitive || x.typeName != y.typeName || x.name != y.name ||
        x.dimensions.size() != y.dimensions.size())
      return false;
    for (std::size_t d = 0; d < x.dimensions.size(); ++d)
      if (x.dimensions[d].size != y.dimensions[d].size || x.dimensions[d].member != y.dimensions[d].member)
        return false;
  }
  return true;
}

// Whether a file's declaration only repeats the standard template of its name.
bool IsStandardItself(const XTemplate& declared) {
  if (declared.standard) return true;
  for (const XTemplate& standard : StandardTemplates())
    if (standard.name == declared.name) return SameMembers(standard, declared);
  return false;
}

class DeclarationOrder {
 public:
  explicit DeclarationOrder(std::vector<const XTemplate*>& out) : out_(out) {}
  void Add(const XTemplate* type) {
    if (!type || !seen_.insert(type).second) return;
    for (const XMember& member : type->members) Add(member.type);
    out_.push_back(type);
  }

 private:
  std::vector<const XTemplate*>& out_;
  std::set<const XTemplate*> seen_;
};

void TextTemplate(const XTemplate& type, std::string& out) {
  out += "template " + type.name + " {\n " + type.guid.Text() + "\n";
  for (const XMember& member : type.members) {
    out += ' ';
    if (!member.dimensions.empty()) out += "array ";
    out += member.primitive == XPrimitive::None ? member.typeName : PrimitiveKeyword(member.primitive);
    if (!member.name.empty()) out += ' ' + member.name;
    for (const XDimension& dimension : member.dimensions)
      out += '[' + (dimension.member.empty() ? std::to_string(dimension.size) : dimension.member) + ']';
    out += ";\n";
  }
  if (type.restriction == XRestriction::Open) out += " [...]\n";
  if (type.restriction == XRestriction::Restricted) {
    out += " [";
    for (std::size_t i = 0; i < type.allowed.size(); ++i) {
      if (i > 0) out += ", ";
      out += type.allowed[i].first;
      if (type.allowed[i].second) out += ' ' + type.allowed[i].second->Text();
    }
    out += "]\n";
  }
  out += "}\n\n";
}

void PutGuid(std::string& out, const XGuid& guid) {
  Put16(out, kGuid);
  out.append(reinterpret_cast<const char*>(guid.bytes.data()), guid.bytes.size());
}

void BinaryTemplate(const XTemplate& type, std::string& out) {
  Put16(out, kTemplate);
  PutTokenWithBytes(out, kName, type.name);
  Put16(out, kOpenBrace);
  PutGuid(out, type.guid);
  for (const XMember& member : type.members) {
    if (!member.dimensions.empty()) Put16(out, kFirstKeyword + 12);  // array
    if (member.primitive == XPrimitive::None) {
      PutTokenWithBytes(out, kName, member.typeName);
    } else {
      Put16(out, static_cast<std::uint16_t>(kFirstKeyword + static_cast<unsigned>(member.primitive)));
    }
    if (!member.name.empty()) PutTokenWithBytes(out, kName, member.name);
    for (const XDimension& dimension : member.dimensions) {
      Put16(out, kOpenBracket);
      if (dimension.member.empty()) {
        Put16(out, kInteger);
        Put32(out, dimension.size);
      } else {
        PutTokenWithBytes(out, kName, dimension.member);
      }
      Put16(out, kCloseBracket);
    }
    Put16(out, kSemicolon);
  }
  if (type.restriction != XRestriction::Closed) {
    Put16(out, kOpenBracket);
    if (type.restriction == XRestriction::Open) {
      for (int dot = 0; dot < 3; ++dot) Put16(out, kDot);
    } else {
      for (const auto& [name, guid] : type.allowed) {
        PutTokenWithBytes(out, kName, name);
        if (guid) PutGuid(out, *guid);
      }
    }
    Put16(out, kCloseBracket);
  }
  Put16(out, kCloseBrace);
}

}  // namespace

XFileFormat XFileFormatNamed(std::string_view name, unsigned floatBytes, std::size_t blockBytes) {
  XFileFormat format;
  format.encoding = name == "bin" || name == "bzip" ? XEncoding::Binary : XEncoding::Text;
  format.compressed = name == "tzip" || name == "bzip";
  format.floatBytes = floatBytes;
  format.blockBytes = blockBytes;
  return format;
}

std::vector<const XTemplate*> DeclarationsOf(const std::vector<const XTemplate*>& own,
                                             const std::set<const XTemplate*>& used, bool standardToo) {
  std::vector<const XTemplate*> declarations;
  DeclarationOrder order(declarations);
  for (const XTemplate* type : own)
    if (standardToo || !IsStandardItself(*type)) order.Add(type);
  if (standardToo) {
    // The standard ones in their own order, which puts each after those it is made of.
    for (const XTemplate& standard : StandardTemplates())
      if (used.count(&standard)) order.Add(&standard);
  }
  return declarations;
}

std::string XFileHead(const XFileFormat& format, const std::vector<const XTemplate*>& declarations) {
  const bool binary = format.encoding == XEncoding::Binary;
  std::string head = Header(binary ? "bin" : "txt", format.floatBytes == 8);
  if (!binary) head += '\n';
  for (const XTemplate* type : declarations) {
    if (binary) {
      BinaryTemplate(*type, head);
    } else {
      TextTemplate(*type, head);
    }
  }
  return head;
}

XFileBytes WholeXFile(const XFileFormat& format, const std::vector<const XTemplate*>& declarations,
                      std::string_view body) {
  const bool binary = format.encoding == XEncoding::Binary;
  XFileBytes file;
  file.head = XFileHead(format, declarations);
  if (!format.compressed) {
    file.body = body;
    return file;
  }
  std::string whole;
  whole.reserve(file.head.size() + body.size());
  whole += file.head;
  whole += body;
  file.head = Compress(whole, binary ? "bzip" : "tzip", format.blockBytes);
  return file;
}

}  // namespace xfileconvert
