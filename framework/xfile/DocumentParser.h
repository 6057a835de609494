// ParseXFile: reads one model file in the DirectX .x format (text, binary, or
// either in a MSZIP container) into the records of its shape, with the frame
// hierarchy in the character shape.
//
// A parse keeps all of its state in a reader of its own (ModelReader.h) and
// says nothing itself: it hands back why a file was refused and what could
// not be taken as written, and its caller says it (ReportParse). So ParseXFile
// is re-entrant: several threads may parse files at once, each into its own
// content.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <string>
#include <string_view>
#include <vector>

#include "xfile/ParseWarnings.h"
#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

struct ParseOptions {
  // Whether a text file's characters (a binary file's one line saying what
  // it is) go to standard output as they are read, where the program has
  // one: propviewer's console shows them. Tools that print their own output
  // turn it off.
  bool echo = true;
};

// What a parse made of a file besides its records.
struct ParseResult {
  // The file was opened and its header accepted, whatever the body holds.
  bool accepted = false;
  // Why not, when it was not: "cannot be opened (No such file or directory)".
  std::wstring failure;
  // The format as the header writes it: "txt", "bin", "tzip" or "bzip".
  const wchar_t* format = L"txt";
  // The code page the file's text (a binary file's names and strings) was
  // decoded with: CP_UTF8 where all of it is valid UTF-8, else 932
  // (Shift-JIS) where it is valid as that, else 1252 (Windows-1252).
  unsigned codePage = CP_UTF8;
  // What the file held that could not be taken as written, one warning per
  // kind, in the order of their first occurrence.
  std::vector<ParseWarning> warnings;

  explicit operator bool() const { return accepted; }
};

// Reads `path` into `content`. A parse that is not accepted adds nothing to
// `content`. Re-entrant, as above; `content` must not be touched by another
// thread while it is filled.
ParseResult ParseXFile(const std::wstring& path, XModelContent& content, const ParseOptions& options = {});

// Says on standard error what a parse of `path` has to say, one line each, as
// the programs say it: why the file was refused, or each of its warnings.
void ReportParse(std::wstring_view path, const ParseResult& result);

// Reads a FrameTransformMatrix record whose keyword was just read.
bool ReadFrameTransformMatrix(D3DXMATRIX& transform);

XFILE_SHAPE_END
