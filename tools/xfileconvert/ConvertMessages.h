// Every line xfileconvert writes on standard error, listed once with its
// format. A line names the model file it is about; names from files are
// passed escaped (ShownName), as UTF-8. The reader's own lines (a file it
// refuses, what it could not read) and the viewers' texture line come from
// the framework's lists, as the viewers write them.
#pragma once

#include "platform/Messages.h"

#define XFILECONVERT_MESSAGES(X)                                                                        \
  /* the usage error, then the usage */                                                                 \
  X(Usage, "xfileconvert: %s\n%s")                                                                      \
  /* the input, the output, why it was not written */                                                   \
  X(NotWritten, "xfileconvert: \"%s\": \"%s\" not written: %s")                                         \
  /* the input, why it could not be read */                                                             \
  X(NotRead, "xfileconvert: \"%s\": %s")                                                                \
  /* the input, the other input, the output both would write */                                         \
  X(SameOutput, "xfileconvert: \"%s\": not converted: \"%s\" writes the same output \"%s\"")            \
  /* the input, the mesh, how many vertices, by how much at most */                                     \
  X(WeightsNormalised,                                                                                  \
    "xfileconvert: \"%s\": mesh %s: the skin weights of %zu vertices do not sum to 1 (by up to %.4g); " \
    "they are normalised")                                                                              \
  /* the input, the mesh */                                                                             \
  X(MeshWithoutFaces, "xfileconvert: \"%s\": mesh %s has no triangles; it is left out")                 \
  /* the input, the set, the largest difference as a share of the model's size */                       \
  X(AnimationApproximated,                                                                              \
    "xfileconvert: \"%s\": animation set %s: glTF's interpolation cannot follow the file's blending "   \
    "of rotation keys; it differs by up to %.2g%% of the model's size")                                 \
  /* the input, the set */                                                                              \
  X(AnimationUnchecked,                                                                                 \
    "xfileconvert: \"%s\": animation set %s: too large to compare glTF's interpolation with the "       \
    "file's blending everywhere; keys were added only where it was compared")                           \
  /* the input, the set, how many keys */                                                               \
  X(KeysTooClose,                                                                                       \
    "xfileconvert: \"%s\": animation set %s: %zu keys lie closer in time than a 32-bit float "          \
    "of seconds tells apart; they are left out")                                                        \
  /* the input, the frame, the largest error */                                                         \
  X(TransformApproximated,                                                                              \
    "xfileconvert: \"%s\": frame %s: its matrix is no scale, rotation and translation (it shears); "    \
    "glTF holds the nearest one, off by up to %.2g of its scale")                                    \
  /* the input, the mesh */                                                                             \
  X(TextureWithoutTexCoords,                                                                            \
    "xfileconvert: \"%s\": mesh %s has no texture coordinates; its materials are written without "      \
    "their textures")                                                                                   \
  /* the input, the mesh, how many vertices */                                                          \
  X(NonFiniteVertices,                                                                                  \
    "xfileconvert: \"%s\": mesh %s: %zu vertices hold a number that is not finite (NaN or infinite); "  \
    "it is written as 0")                                                                               \
  /* the input, the frame */                                                                            \
  X(NonFiniteFrame,                                                                                     \
    "xfileconvert: \"%s\": frame %s: its matrix holds a number that is not finite (NaN or infinite); "  \
    "the identity is written in its place")                                                             \
  /* the input, the mesh, the bone */                                                                   \
  X(NonFiniteOffset,                                                                                    \
    "xfileconvert: \"%s\": mesh %s: the offset matrix of bone %s holds a number that is not finite "    \
    "(NaN or infinite); the bone keeps its vertices where the file places them")                        \
  /* the input, the set, how many keys */                                                               \
  X(NonFiniteKeys,                                                                                      \
    "xfileconvert: \"%s\": animation set %s: %zu keys hold a number that is not finite (NaN or "        \
    "infinite); they are left out")

XVIEW_DECLARE_MESSAGES(ConvertMessage, XFILECONVERT_MESSAGES)

// Writes one line of the list on standard error, in one write.
void Say(ConvertMessage message, ...);
