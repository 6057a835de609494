// Where the tokens stand: the line of a text file's token, the offset of a
// binary one's, and the braces the tokenizer has taken, with the places of
// the open ones, so that a message can say where something happened and
// the end of the file can say which record it cut.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xfile/ModelBytes.h"
#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

// The lines of a text file. Lines are counted at line feeds only, not per
// token: a token never spans a line, so its line is the current one unless
// a line feed ended it.
struct LineCount {
  std::uint32_t line = 1;
  std::uint64_t lineStart = 0;  // bytes of text consumed when the current line began

  void TakeLineFeed(std::uint64_t consumed) {
    ++line;
    lineStart = consumed;
  }
  // Nothing is read after a token until the next call, so a token that a line
  // feed ended is the one whose line began just where the reader stands; once
  // the file has ended, the line that holds its last character.
  std::uint32_t TokenLine(std::uint64_t consumed) const {
    const bool afterLineFeed = consumed == lineStart && line > 1;
    return afterLineFeed ? line - 1 : line;
  }
};

// The braces as the tokenizer has taken them: how many are open, and the
// places of the outermost open ones, innermost last; only so many are
// remembered, so a file of nothing but "{" costs no memory.
class BracePlaces {
 public:
  void Take(wchar_t brace, std::uint64_t place) {
    if (brace == L'{') {
      if (places_.size() < kMostRemembered) places_.push_back(place);
      ++open_;
    } else if (open_ > 0) {
      if (open_ == places_.size()) places_.pop_back();
      --open_;
    }
  }
  std::uint64_t Open() const { return open_; }
  // The place of the innermost open brace that is remembered; 0 when none is open.
  std::uint64_t InnermostPlace() const { return places_.empty() ? 0 : places_.back(); }

 private:
  static constexpr std::size_t kMostRemembered = 1024;
  std::vector<std::uint64_t> places_;
  std::uint64_t open_ = 0;
};

// A place in words: "line 7" in a text file; "offset 1042 (block 2)" in a
// binary one, whose places are offsets in the (decompressed) data.
std::wstring PlaceText(std::uint64_t place, bool binary, const ModelBytes& bytes);

XFILE_SHAPE_END
