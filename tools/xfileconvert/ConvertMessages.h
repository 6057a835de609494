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
    "glTF holds the nearest one, off by up to %.2g of its scale")                                 \
  /* .x output. The input, the template, where, why */                                                \
  X(TemplateNotRead,                                                                                    \
    "xfileconvert: \"%s\": template %s at %s is not a declaration (%s); its objects are kept as found")   \
  /* the input, the kind, where it is first met */                                                    \
  X(UnknownTemplate,                                                                                    \
    "xfileconvert: \"%s\": no template declares the kind %s (first at %s); its objects are kept as "      \
    "found, and readers that need templates cannot read them")                                         \
  /* the input, how many, the first */                                                                 \
  X(CountsBounded,                                                                                      \
    "xfileconvert: \"%s\": %llu counts are more than the rest of the file holds; each is written as "    \
    "what it could hold (the first: %s)")                                                              \
  /* the input, how many, the first object that lacks some */                                          \
  X(ValuesMissing,                                                                                      \
    "xfileconvert: \"%s\": %llu values that the templates lay out are missing; they are written as 0 "   \
    "(the first in %s)")                                                                               \
  /* the input, how many */                                                                            \
  X(ValuesDropped,                                                                                      \
    "xfileconvert: \"%s\": %llu values beyond what the templates lay out are left out (the first %s)") \
  /* the input, how many */                                                                            \
  X(NotFinite, "xfileconvert: \"%s\": %llu numbers that are not finite (NaN, infinite) are written as 0") \
  /* the input, how many */                                                                            \
  X(Retyped,                                                                                            \
    "xfileconvert: \"%s\": %llu values are not of their member's type (a string for a number or the "     \
    "other way round); each is written as its member's type")                                          \
  /* the input, how many */                                                                            \
  X(Renamed,                                                                                            \
    "xfileconvert: \"%s\": %llu names or strings hold characters the text format cannot; they are "       \
    "written with _ in names, and with \' and spaces for quotes and line breaks in strings")          \
  /* .x from glTF. The input, what, what is done instead */                                           \
  X(NotHeld, "xfileconvert: \"%s\": a .x file cannot hold %s; %s")                                        \
  /* the input, the part, why */                                                                       \
  X(LeftOut, "xfileconvert: \"%s\": %s is left out: %s")                                                 \
  /* the input, what tinygltf said */                                                                  \
  X(GltfWarning, "xfileconvert: \"%s\": %s")                                            \
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
