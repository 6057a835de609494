// The reader of one model file: everything one parse reads and keeps, in one
// object that the parse owns on its stack. The bytes and their source, the
// text or binary tokenizer, the current token and its typed value, the
// braces and the records open, the warnings, the named materials and the
// allowance of entries without records behind them.
//
// A reader makes itself the active reader of its thread while it lives; the
// record readers reach it through ActiveReader() (TokenReader.h), so two
// threads read two files at once, each its own.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "xfile/BinaryTokenizer.h"
#include "xfile/CurrentToken.h"
#include "xfile/ModelBytes.h"
#include "xfile/ParseWarnings.h"
#include "xfile/TextTokenizer.h"
#include "xfile/TokenPlaces.h"
#include "xfile/XFileRecords.h"
#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

// How the file after its header is written.
enum class ModelFormat : std::uint8_t {
  Text,              // "txt"
  Binary,            // "bin"
  CompressedText,    // "tzip": text in a MSZIP container
  CompressedBinary,  // "bzip": binary in a MSZIP container
};

constexpr bool IsBinary(ModelFormat format) {
  return format == ModelFormat::Binary || format == ModelFormat::CompressedBinary;
}

class ModelReader;
// The reader the record readers of this thread read from; null when none is.
extern thread_local constinit ModelReader* g_ActiveReader;

class ModelReader {
 public:
  // Reads `file` (opened in binary mode, at its start; it stays open) in
  // `format`: a text file from its first byte, with its characters echoed to
  // standard output where `echo`; a binary one from after its 16-byte
  // header, with numbers of `floatBytes` (4 or 8) in its float lists. A
  // compressed text file gives its header, then its decompressed text.
  // `size` is the file's size, which no count is trusted beyond. The reader
  // becomes the active reader of this thread until it goes.
  ModelReader(FILE* file, ModelFormat format, unsigned floatBytes = 4, bool echo = false,
              std::uint64_t size = UINT64_MAX);
  ~ModelReader();
  ModelReader(const ModelReader&) = delete;
  ModelReader& operator=(const ModelReader&) = delete;

  // The facilities of the parse, for the record readers' steps.
  ModelBytes bytes;
  BracePlaces braces;
  ParseWarnings warnings;
  CurrentToken token;
  // Materials by name, for the length of the parse, so that a later
  // reference by name finds them.
  std::map<std::wstring, XMaterial> namedMaterials;
  // Entries without a record behind them that the file may still make
  // (KeepDeclared, SizeAccounting.h).
  std::uint64_t declaredAllowance;

  // The next token, as ReadToken (TokenReader.h) says.
  bool ReadToken() {
    token.quoted &= (token.pending & kTokenAgain) != 0;
    if (token.pending & kTokenAgain) {
      token.pending &= ~kTokenAgain;
      return true;
    }
    token.number = kNoNumber;
    return binary_ ? binary_->Read() : text_->Read();
  }
  // The next token where a number is expected.
  bool ReadNumberToken() {
    if (token.pending) return ReadToken();
    if (!binary_) return text_->ReadNumber();
    token.quoted = false;
    token.number = kNoNumber;
    return binary_->ReadNumber();
  }
  // Takes the next item of a binary list inline where it can (see
  // BinaryTokenizer::TakeListItemInPlace); a text file never has a list.
  bool TakeListItemInPlace() { return binary_ && binary_->TakeListItemInPlace(); }
  // Hands the current token out again on the next ReadToken; at most one
  // token is handed back at a time. A number read where it stood takes its
  // text with it, since the block it stood in may be gone by then.
  void UnreadToken() {
    token.Text();
    token.pending |= kTokenAgain;
  }

  // The code page the file's text, or its names and strings, are decoded with.
  unsigned CodePage() const { return binary_ ? binary_->CodePage() : text_->CodePage(); }

  // Where the current token stands: its line in a text file, its offset in
  // the (decompressed) data of a binary one; and a place in words.
  std::uint32_t TokenLine() const { return text_ ? text_->TokenLine() : 0; }
  std::uint64_t TokenPlace() const { return binary_ ? binary_->TokenOffset() : text_->TokenLine(); }
  std::wstring PlaceText(std::uint64_t place) const { return warnings.PlaceText(place); }
  // Notes the end of the file if it fell inside a record (ParseWarnings).
  void NoteEndOfFile() { warnings.NoteEndOfFile(EndPlace(), braces); }

  // Bytes of the data read so far, and an upper bound on the bytes that
  // remain: a count that the file gives is never trusted beyond what the
  // rest of the file could hold. A compressed file's data holds no more
  // than what has been decompressed so far: its size field is never trusted.
  std::uint64_t ConsumedBytes() const { return binary_ ? binary_->TokenOffset() : text_->Consumed(); }
  std::uint64_t RemainingBytes() const {
    const std::uint64_t consumed = ConsumedBytes();
    const std::uint64_t size = bytes.Compressed() ? bytes.Given() : size_;
    return consumed < size ? size - consumed : 0;
  }

  // Ends the parse: the warnings, in the order of their first occurrence,
  // with the end of the file noted if it fell inside a brace.
  std::vector<ParseWarning> FinishWarnings() { return warnings.Finish(EndPlace(), braces); }

 private:
  // Where the data ended: the line of a text file, the offset of a binary one.
  std::uint64_t EndPlace() const { return binary_ ? ConsumedBytes() : TokenLine(); }

  const std::uint64_t size_;
  ModelReader* const previous_;  // the thread's active reader before this one
  std::optional<TextTokenizer> text_;
  std::optional<BinaryTokenizer> binary_;
};

XFILE_SHAPE_END
