// Every line the framework writes on standard error, listed once with its
// format; the enum and the formats are made from the one list. The reader's
// warnings are composed from a list of their own (xfile/ParseWarnings.h) and
// go out as ModelFile lines. Names and paths from files are passed escaped
// (ParseMessages.h), as UTF-8.
#pragma once

#include <cstdarg>
#include <cstddef>

#define XVIEW_FRAMEWORK_MESSAGES(X)                                                               \
  /* the model file, then why it was refused or what it held that could not be used */          \
  X(ModelFile, "model file \"%s\": %s")                                                          \
  /* the model file, the texture's name, the reason */                                           \
  X(TextureNotLoaded, "model file \"%s\": texture \"%s\" cannot be loaded: %s")                  \
  /* the mesh's shown name, its bones, how many the palette of skinmesh.cfx holds */           \
  X(MeshBeyondPalette,                                                                            \
    "mesh %s: %zu bones are more than the %u the palette of skinmesh.cfx holds; it is drawn "     \
    "unskinned in its bind pose")

enum class FrameworkMessage {
#define XVIEW_MESSAGE_NAME(name, format) name,
  XVIEW_FRAMEWORK_MESSAGES(XVIEW_MESSAGE_NAME)
#undef XVIEW_MESSAGE_NAME
};
#define XVIEW_COUNT_MESSAGE(...) +1
inline constexpr std::size_t kFrameworkMessages = 0 XVIEW_FRAMEWORK_MESSAGES(XVIEW_COUNT_MESSAGE);
#undef XVIEW_COUNT_MESSAGE

// Writes `message` with its arguments, as its format takes them, and a line
// feed on standard error, in one write.
void Report(FrameworkMessage message, ...);

// The same for a format of another list (the programs have theirs).
void WriteMessageLine(const char* format, std::va_list arguments);
