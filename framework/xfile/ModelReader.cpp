#include "xfile/ModelReader.h"

#include "xfile/SizeAccounting.h"
#include "xfile/TokenReader.h"

XFILE_SHAPE_BEGIN

thread_local constinit ModelReader* g_ActiveReader = nullptr;
thread_local std::wstring g_Token;
thread_local FILE* g_ModelFile = nullptr;
thread_local std::wstring g_ModelDirectory;

namespace {

bool IsCompressed(ModelFormat format) {
  return format == ModelFormat::CompressedText || format == ModelFormat::CompressedBinary;
}

}  // namespace

ModelReader::ModelReader(FILE* file, ModelFormat format, unsigned floatBytes, bool echo, std::uint64_t size)
    : bytes(file, IsCompressed(format)),
      warnings(bytes, IsBinary(format)),
      token(g_Token),
      declaredAllowance(kDeclaredAllowance),
      size_(size),
      previous_(g_ActiveReader) {
  token.text.clear();
  if (IsBinary(format)) {
    binary_.emplace(bytes, token, braces, warnings, floatBytes);
  } else {
    text_.emplace(bytes, token, braces, warnings, echo);
  }
  g_ActiveReader = this;
}

ModelReader::~ModelReader() { g_ActiveReader = previous_; }

XFILE_SHAPE_END
