// Every line the framework writes on standard error, listed once with its
// format; the enum and the formats are made from the one list. The reader's
// warnings are composed from a list of their own (xfile/ParseWarnings.h) and
// go out as ModelFile lines. Names and paths from files are passed escaped
// (ParseMessages.h), as UTF-8.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <iterator>
#include <string>

// Declares, from a message list, `enum class Enum` with one name per entry
// and `k<Enum>Formats` with their formats in the same order; the lists of
// the framework and the programs are declared this way.
#define XVIEW_MESSAGE_NAME(name, format) name,
#define XVIEW_MESSAGE_FORMAT(name, format) format,
#define XVIEW_COUNT_MESSAGE(...) +1
#define XVIEW_DECLARE_MESSAGES(Enum, LIST)                                  \
  enum class Enum { LIST(XVIEW_MESSAGE_NAME) };                             \
  inline constexpr const char* k##Enum##Formats[] = {LIST(XVIEW_MESSAGE_FORMAT)}; \
  static_assert(std::size(k##Enum##Formats) == 0 LIST(XVIEW_COUNT_MESSAGE), "every message has its format");

#define XVIEW_FRAMEWORK_MESSAGES(X)                                                               \
  /* the model file, then why it was refused or what it held that could not be used */          \
  X(ModelFile, "model file \"%s\": %s")                                                          \
  /* the model file, the texture's name, the reason */                                           \
  X(TextureNotLoaded, "model file \"%s\": texture \"%s\" cannot be loaded: %s")                  \
  /* the mesh's shown name, its bones, how many the palette of skinmesh.cfx holds */           \
  X(MeshBeyondPalette,                                                                            \
    "mesh %s: %zu bones are more than the %u the palette of skinmesh.cfx holds; it is drawn "     \
    "unskinned in its bind pose")

XVIEW_DECLARE_MESSAGES(FrameworkMessage, XVIEW_FRAMEWORK_MESSAGES)

// Writes `message` with its arguments, as its format takes them, and a line
// feed on standard error, in one write.
void Report(FrameworkMessage message, ...);

// Writes `format` with its arguments and a line feed on `stream` in one
// write, and flushes it: the one way every list's lines go out.
void WriteMessageLine(std::FILE* stream, const char* format, std::va_list arguments);
// `format` with its arguments, as printf formats it, whatever its length.
std::string FormatLine(const char* format, std::va_list arguments);
