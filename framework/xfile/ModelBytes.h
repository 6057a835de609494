// The bytes of an open model file as the token readers take them: the file
// as it stands, or the file with its MSZIP container undone. A compressed
// file gives its 16-byte header as written, then its decompressed data, so
// that offsets in the data are those of the uncompressed twin.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

// The bytes of a compressed file's header before its blocks: the 16-byte
// header, then the size of the whole uncompressed file.
constexpr std::size_t kModelHeaderBytes = 16;
// The largest block a MSZIP container may hold, and the dictionary it inflates with.
constexpr std::size_t kMszipBlockBytes = 32768;

// Starts giving `file` (opened in binary mode) from its first byte.
// `compressed`: the file is a MSZIP container after its header. Nothing is
// reserved from the container's size fields: blocks are inflated one at a
// time as the reader asks for bytes.
void BeginModelBytes(FILE* file, bool compressed);
// Gives the file from its first byte again, as BeginModelBytes did.
void RestartModelBytes();
void EndModelBytes();

// Copies up to `size` next bytes to `out`; fewer only at the end of the data,
// which a damaged container also is: what came before the damage is given.
std::size_t ReadModelBytes(char* out, std::size_t size);

// Whether the file is compressed, and how many bytes the data has given so far
// (the header included): every bound on what a count may reserve is measured
// against these, never against a size field.
bool ModelBytesCompressed();
std::uint64_t ModelBytesGiven();

// The MSZIP block, counted from 1, that holds byte `offset` of the data; 0
// for the header and for a file that is not compressed.
std::uint32_t BlockOfOffset(std::uint64_t offset);

// What was wrong with the container, once the data has ended: empty when
// nothing was ("block 3 at offset 1042 does not begin with \"CK\"").
const std::wstring& ModelBytesDamage();
// Warns of that damage, once per file; the readers call it where the data ends.
void NoteModelBytesDamage();

XFILE_SHAPE_END
