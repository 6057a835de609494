// A small streaming JSON writer: commas are placed by the writer, floats are
// written so that they read back to the same float.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xfileinfo {

class JsonWriter {
 public:
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  void Key(std::string_view name);
  void Key(std::wstring_view name);  // escaped as a string value is

  void Null();
  void Bool(bool value);
  void Int(std::int64_t value);
  void Float(float value);
  void String(std::wstring_view text);
  void Floats(const float* values, std::size_t count);

  const std::string& Text() const { return out_; }

 private:
  void BeforeValue();
  std::string out_;
  std::vector<bool> first_;  // per open container: nothing written in it yet
  bool afterKey_ = false;
};

}  // namespace xfileinfo
