// Every line the two programs write on standard error, listed once with its
// format (the usage text is their help, not a message); the enum and the
// formats are made from the one list.
#pragma once

#include <cstdio>

#include "platform/Messages.h"

#define XVIEW_PROGRAM_MESSAGES(X)                                                                  \
  /* the program, the system's words for the error */                                              \
  X(WindowNotCreated, "%s: the application window could not be created: %s")                      \
  /* the program, what is wrong with its command line */                                           \
  X(CommandLineMistake, "%s: %s")                                                                   \
  /* the screenshot's file, and ": no Direct3D device" where there was none */                     \
  X(ScreenshotNotWritten, "cannot write the screenshot \"%s\"%s")                                  \
  /* the model file, its number of sets, "s" for several, the set asked for */                     \
  X(AnimationSetMissing, "actorviewer: model file \"%s\" has %zu animation set%s; set %u does not exist, so set 0 plays") \
  /* the program, the screenshot's file (F12) */                                                   \
  X(ScreenshotSaved, "%s: screenshot saved as \"%s\"")                                             \
  /* the program: every numbered screenshot name is taken */                                        \
  X(ScreenshotNamesUsed, "%s: no free screenshot name left (%s-0001.png to %s-9999.png exist)")    \
  /* the program, meshes over the limit, "es" for several, the limit */                             \
  X(FramedByBindPose, "%s: %zu mesh%s of more than %zu vertices framed by the bind pose")          \
  /* the program, the number of files ignored, "s" for several */                                  \
  X(DroppedFilesIgnored, "%s: %u more dropped file%s ignored; only the first is opened")           \
  /* the program, the dropped file */                                                              \
  X(DroppedFileNotOpened, "%s: dropped file \"%s\" is not a model that can be shown; the current model stays") \
  /* the program, the model file (--watch) */                                                      \
  X(ModelReloaded, "%s: \"%s\" changed on disk and is shown again")                                \
  /* the program, the model file, why it is not shown */                                          \
  X(ModelNotReloaded, "%s: \"%s\" changed on disk but is not shown: %s; the shown model stays until the file changes again") \
  /* the program, the texture's file */                                                           \
  X(TextureReloaded, "%s: texture \"%s\" changed on disk and is shown again")                      \
  /* the program, the texture's file, why it is not shown */                                      \
  X(TextureNotReloaded, "%s: texture \"%s\" changed on disk but is not shown: %s; the shown texture stays until the file changes again")

XVIEW_DECLARE_MESSAGES(ProgramMessage, XVIEW_PROGRAM_MESSAGES)

// Writes `message` with its arguments and a line feed on standard error.
void Report(ProgramMessage message, ...);
// The same on `stream`: what the user asked for goes where the program talks
// to the user (propviewer's console is its standard output).
void Say(std::FILE* stream, ProgramMessage message, ...);
