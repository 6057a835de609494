// Binary model files as a careless writer would make them from text: each
// number typed by how it is spelled ("7" an integer, "7.0" a float) and every
// count as written, with no template consulted. The converter never writes
// such files; the reader must still take them, so its tests make them here.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "BinaryFormat.h"
#include "XFileWriter.h"

namespace spelled_binary {

using namespace xfileconvert;

inline bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';'; }

// Consecutive numbers of one spelling, written as one list.
class Numbers {
 public:
  Numbers(std::string& out, bool doubles) : out_(out), doubles_(doubles) {}
  void Add(std::string_view word) {
    const bool isFloat = word.find_first_of(".eE") != std::string_view::npos;
    if (count_ > 0 && isFloat != floats_) Flush();
    floats_ = isFloat;
    const std::string text(word);
    if (!isFloat) {
      Append(static_cast<std::uint32_t>(std::strtoll(text.c_str(), nullptr, 10)));
    } else if (doubles_) {
      Append(std::strtod(text.c_str(), nullptr));
    } else {
      Append(static_cast<float>(std::strtod(text.c_str(), nullptr)));
    }
    ++count_;
  }
  void Flush() {
    if (count_ == 0) return;
    Put16(out_, floats_ ? kFloatList : kIntegerList);
    Put32(out_, count_);
    out_ += items_;
    items_.clear();
    count_ = 0;
  }

 private:
  template <typename T>
  void Append(T value) {
    items_.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  std::string& out_;
  bool doubles_;
  bool floats_ = false;
  std::uint32_t count_ = 0;
  std::string items_;
};

// The binary file ("bin") of a text body (what follows a text header).
inline std::string File(std::string_view body, bool doubles = false) {
  std::string out = Header("bin", doubles);
  Numbers numbers(out, doubles);
  std::size_t i = 0;
  while (i < body.size()) {
    const char c = body[i];
    if (IsSeparator(c)) {
      ++i;
    } else if (c == '{' || c == '}') {
      numbers.Flush();
      Put16(out, c == '{' ? kOpenBrace : kCloseBrace);
      ++i;
    } else if (c == '"') {
      numbers.Flush();
      std::size_t end = body.find('"', i + 1);
      if (end == std::string_view::npos) end = body.size();
      PutTokenWithBytes(out, kString, body.substr(i + 1, end - i - 1));
      Put16(out, kSemicolon);
      i = end + 1;
    } else {
      std::size_t end = i;
      while (end < body.size() && !IsSeparator(body[end]) && body[end] != '{' && body[end] != '}' && body[end] != '"')
        ++end;
      const std::string_view word = body.substr(i, end - i);
      i = end;
      const std::size_t digit = word[0] == '-' || word[0] == '+' ? 1 : 0;
      if (digit < word.size() && ((word[digit] >= '0' && word[digit] <= '9') || word[digit] == '.')) {
        numbers.Add(word);
        continue;
      }
      numbers.Flush();
      PutTokenWithBytes(out, kName, word);
    }
  }
  numbers.Flush();
  return out;
}

}  // namespace spelled_binary
