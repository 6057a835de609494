// A whole .x file around the data objects XDataWriter wrote: the header,
// the template declarations, the body, and for "tzip" and "bzip" the MSZIP
// container.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "XDataWriter.h"
#include "XTemplates.h"

namespace xfileconvert {

struct XFileFormat {
  XEncoding encoding = XEncoding::Text;
  bool compressed = false;
  unsigned floatBytes = 4;
  std::size_t blockBytes = 32768;  // per compressed block, 1 to 32,768
};

// The format "txt", "bin", "tzip" or "bzip" names, with `floatBytes`.
XFileFormat XFileFormatNamed(std::string_view name, unsigned floatBytes, std::size_t blockBytes);

// The templates a file declares, in an order in which each comes after the
// templates its members are made of: `own` (a file's own declarations, as
// they came), then, where `standardToo`, the standard templates of `used`
// that `own` does not declare. With `standardToo` false a declaration of
// `own` that is the standard template itself is left out too.
std::vector<const XTemplate*> DeclarationsOf(const std::vector<const XTemplate*>& own,
                                             const std::set<const XTemplate*>& used, bool standardToo);

// The file's header and `declarations`, as they stand before the body
// (before compression).
std::string XFileHead(const XFileFormat& format, const std::vector<const XTemplate*>& declarations);

// A whole file as the pieces it is written from, one after the other.
struct XFileBytes {
  std::string head;       // the header and the declarations; or, compressed, the whole container
  std::string_view body;  // the body, where it is not compressed
};

// The whole file: header, `declarations`, then `body` (written by an
// XDataWriter of the same encoding and float size), compressed where the
// format is. The result's body views `body`.
XFileBytes WholeXFile(const XFileFormat& format, const std::vector<const XTemplate*>& declarations,
                      std::string_view body);

}  // namespace xfileconvert
