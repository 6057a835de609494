// Writes the data objects of a .x file, text or binary, in the format's own
// grammar: each value typed by the member its template lays out for it
// (a number where the template says FLOAT is a float, whatever it looks
// like), text with ";" and "," where the format puts them, binary with its
// tokens (names, strings with their terminators, integer and float lists,
// GUIDs, braces). The header and the template declarations are written
// around the body by XFileOutput.h.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "MemberCursor.h"
#include "XTemplates.h"

namespace xfileconvert {

enum class XEncoding : std::uint8_t { Text, Binary };

// How often a writer had to make a value fit where it went, for the caller
// to say once per file.
struct XWriteAdjustments {
  std::uint64_t missingValues = 0;   // members an object did not give, written as 0 or ""
  std::uint64_t droppedValues = 0;   // values given after an object's last member
  std::uint64_t notFinite = 0;       // NaN and infinities, written as 0
  std::uint64_t retyped = 0;         // a string where a number belongs or a number where a string does
  std::uint64_t renamed = 0;         // names that text cannot hold as written, or strings holding quotes
};

class XDataWriter {
 public:
  // `floatBytes` (4 or 8) is the size of the file's floats.
  XDataWriter(XEncoding encoding, unsigned floatBytes);

  // Begins a data object of the kind `type`, named `name` (empty for
  // none), with a class GUID where `uuid` is not null. Its values follow
  // (Integer, Float, String, in the order its template lays them out), then
  // its children (Begin ... End, Reference), then End. A child begun before
  // its parent's values are complete completes them with 0 and "".
  void Begin(const XTemplate& type, std::string_view name = {}, const XGuid* uuid = nullptr);
  // Begins an object of a kind no template describes: its values are
  // written as they come, each typed by what it is.
  void BeginUntyped(std::string_view type, std::string_view name = {}, const XGuid* uuid = nullptr);

  // Whether the current object takes no more values, and if it does, the
  // type of the next and whether it sizes an array.
  bool ValuesDone() const;
  XPrimitive Expected() const { return open_.back().cursor.Expected(); }
  bool ExpectsSize() const { return !open_.back().untyped && open_.back().cursor.ExpectsSize(); }

  // The next value of the current object, converted to its member's type.
  void Integer(std::int64_t value);
  void Float(double value);
  void String(std::string_view value);
  // Consecutive values of the current object at once, each as Float or
  // Integer takes it: runs of alike array elements (the vertices, faces and
  // weights of a mesh) are written without the walk per value.
  void Floats(const float* values, std::size_t count);
  void Integers(const std::uint32_t* values, std::size_t count);
  // A reference to a named object, in the current object's children.
  void Reference(std::string_view name, const XGuid* uuid = nullptr);
  void End();

  // Hands the body to `sink` as it grows, a megabyte or more at a time, so
  // that a large file is never held whole; Flush hands over the rest. The
  // body then holds only what is not handed over yet.
  void StreamTo(std::function<void(std::string_view)> sink) { sink_ = std::move(sink); }
  void Flush();

  // Whether an object is open.
  bool Open() const { return !open_.empty(); }
  // The body written so far.
  const std::string& Body() const { return body_; }
  std::string& Body() { return body_; }
  // The templates of the objects written, and the templates their members are made of.
  const std::set<const XTemplate*>& Used() const { return used_; }
  const XWriteAdjustments& Adjustments() const { return adjustments_; }

 private:
  struct OpenObject {
    MemberCursor cursor;
    bool untyped = false;
  };

  void Use(const XTemplate& type);
  void BeginObject(std::string_view type, std::string_view name, const XGuid* uuid);
  void CompleteValues();
  bool TakesValue();
  XPrimitive NextType(XPrimitive untyped) const;
  void PutInteger(std::int64_t value);
  void PutFloat(double value);
  void PutString(std::string_view value);
  void AfterValue(std::uint64_t size);
  template <typename T>
  void Values(const T* values, std::size_t count);
  template <typename T>
  std::size_t WriteRun(const MemberCursor::Run& run, const T* values, std::size_t count);
  void TextNumber(std::int64_t value);
  void TextFloat(double value);
  void TextName(std::string_view name);
  void TextString(std::string_view value);
  void Indent();
  void MaybeFlush() {
    if (sink_ && body_.size() >= kFlushBytes) Flush();
  }
  static constexpr std::size_t kFlushBytes = std::size_t{1} << 20;
  void ListItem(bool floats, std::int64_t integer, double real);
  void EndList();
  void Token(std::uint16_t token);
  void TokenWithBytes(std::uint16_t token, std::string_view bytes);

  const XEncoding encoding_;
  const unsigned floatBytes_;
  std::string body_;
  std::function<void(std::string_view)> sink_;
  std::vector<OpenObject> open_;
  std::set<const XTemplate*> used_;
  XWriteAdjustments adjustments_;
  // Text: whether the current line holds anything yet.
  bool lineStarted_ = false;
  // Binary: the list being written (where its count stands; 0 for none).
  std::size_t listCountAt_ = 0;
  std::uint32_t listCount_ = 0;
  bool listFloats_ = false;
};

}  // namespace xfileconvert
