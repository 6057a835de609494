// Every line the thumbnailer writes on standard error, listed once with its
// format. A file manager shows its own icon for a file whose thumbnail
// failed, so each failure is one line and nothing more.
#pragma once

#include "platform/Messages.h"

#define XVIEW_THUMBNAIL_MESSAGES(X)                                                                \
  /* what is wrong with the command line */                                                        \
  X(CommandLineMistake, "xviewer-thumbnailer: %s")                                                 \
  /* the model file */                                                                             \
  X(NothingToDraw, "model file \"%s\": has no mesh to draw")                                        \
  /* the model file, what failed */                                                                \
  X(NotRendered, "xviewer-thumbnailer: model file \"%s\": no thumbnail: %s")                        \
  /* the thumbnail's file */                                                                       \
  X(NotWritten, "xviewer-thumbnailer: cannot write the thumbnail \"%s\"")                           \
  /* the model file, the time limit in seconds */                                                  \
  X(TimeLimit, "xviewer-thumbnailer: model file \"%s\": no thumbnail after %u s; given up")

XVIEW_DECLARE_MESSAGES(ThumbnailMessage, XVIEW_THUMBNAIL_MESSAGES)

// Writes `message` with its arguments and a line feed on standard error.
void Report(ThumbnailMessage message, ...);
