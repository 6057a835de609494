// The templates of the .x format: what a data object of each kind holds,
// member by member, so that its values are written with the types and the
// separators the format gives them. The standard templates of DirectX are
// built in; a file's own declarations take the place of a standard one of
// the same name and add the kinds no standard template has.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xfileconvert {

// A GUID as the binary format stores it: Data1, Data2 and Data3
// little-endian, then Data4's eight bytes.
struct XGuid {
  std::array<std::uint8_t, 16> bytes{};
  // "<XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX>", the brackets optional, any
  // case of hex digits. False for anything else.
  static bool Parse(std::string_view text, XGuid& guid);
  // In the text format's form, with its angle brackets.
  std::string Text() const;
  bool operator==(const XGuid& other) const { return bytes == other.bytes; }
};

// The primitive types of template members, in the order of the binary
// format's keyword tokens (WORD is token 40, CSTRING 51). None: a member
// whose type is another template.
enum class XPrimitive : std::uint8_t { Word, Dword, Float, Double, Char, Uchar, Sword, Sdword, None, String, Unicode, CString };

constexpr bool IsFloatType(XPrimitive type) { return type == XPrimitive::Float || type == XPrimitive::Double; }
constexpr bool IsStringType(XPrimitive type) {
  return type == XPrimitive::String || type == XPrimitive::Unicode || type == XPrimitive::CString;
}
constexpr bool IsIntegerType(XPrimitive type) { return type <= XPrimitive::Sdword && !IsFloatType(type); }

// The keyword of a primitive type as the text format writes it ("DWORD",
// "STRING").
const char* PrimitiveKeyword(XPrimitive type);
// The primitive type a keyword names, any case ("float", "STRING", "LPSTR",
// "BYTE"); nullopt for a word that is none.
std::optional<XPrimitive> PrimitiveNamed(std::string_view word);

struct XTemplate;

// One size of an array member: a number, or the value of an earlier member
// of the same template.
struct XDimension {
  std::uint32_t size = 0;
  std::string member;     // empty for a fixed size
  int memberIndex = -1;   // the member it names, once the template is resolved; -1 when none does
};

struct XMember {
  XPrimitive primitive = XPrimitive::None;
  std::string typeName;                  // the template's name where the type is a template
  const XTemplate* type = nullptr;       // that template, once resolved; null when unknown
  std::string name;                      // may be empty
  std::vector<XDimension> dimensions;    // empty for one value
  bool sizesArrays = false;              // an array of the template takes its size from this member
};

enum class XRestriction : std::uint8_t { Closed, Open, Restricted };

struct XTemplate {
  std::string name;
  XGuid guid;
  std::vector<XMember> members;
  XRestriction restriction = XRestriction::Closed;
  // The kinds of children a restricted template takes, each with its GUID where given.
  std::vector<std::pair<std::string, std::optional<XGuid>>> allowed;
  bool standard = false;  // one of DirectX's own
};

// Reads a template's declaration from the words after its name: "{", an
// optional GUID, its members and restrictions, "}". The words are the
// tokens the reader gives, which may hold brackets ("vertices[nVertices]",
// "[...]", "<GUID>]") and have lost the separators. False with `error` for a
// declaration that is not one; `consumed` is how many words it took either
// way.
bool ParseTemplateWords(const std::vector<std::string>& words, XTemplate& declared, std::size_t& consumed,
                        std::string& error);

// The templates a file may use: the standard ones, and those the file
// declares, which take the place of a standard one of their name.
class XTemplateSet {
 public:
  XTemplateSet();
  XTemplateSet(const XTemplateSet&) = delete;
  XTemplateSet& operator=(const XTemplateSet&) = delete;

  // The template of a data object's kind: the exact name first, then one
  // that differs only in ASCII case. Null when none is known.
  const XTemplate* Find(std::string_view name) const;
  // Adds a file's declaration, resolving its member types against what is
  // known so far; returns the template as kept.
  const XTemplate& Declare(XTemplate declared);
  // The file's declarations, in the order they came.
  const std::vector<const XTemplate*>& Declared() const { return declared_; }

 private:
  void Resolve(XTemplate& added);

  std::deque<XTemplate> templates_;  // addresses stay as more are added
  std::map<std::string, const XTemplate*, std::less<>> byName_;
  std::vector<const XTemplate*> declared_;
};

// DirectX's standard templates, resolved, in an order in which each comes
// after the templates its members use.
const std::deque<XTemplate>& StandardTemplates();
// The standard template of that name, which must be one.
const XTemplate& StandardTemplate(std::string_view name);

}  // namespace xfileconvert
