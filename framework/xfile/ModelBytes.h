// The bytes of an open model file as the tokenizers take them: the file as it
// stands, or the file with its MSZIP container undone. A compressed file
// gives its 16-byte header as written, then its decompressed data, so that
// offsets in the data are those of the uncompressed twin. What is wrong with
// the container is handed back as data (Damage); the reader decides when to
// say it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "xfile/XFileShape.h"

struct z_stream_s;

XFILE_SHAPE_BEGIN

// The bytes of a compressed file's header before its blocks: the 16-byte
// header, then the size of the whole uncompressed file.
constexpr std::size_t kModelHeaderBytes = 16;
// The largest block a MSZIP container may hold, and the dictionary it inflates with.
constexpr std::size_t kMszipBlockBytes = 32768;

class ModelBytes {
 public:
  // Gives `file` (opened in binary mode, left open) from its first byte.
  // `compressed`: the file is a MSZIP container after its header. Nothing is
  // reserved from the container's size fields: blocks are inflated one at a
  // time as the reader asks for bytes.
  ModelBytes(FILE* file, bool compressed);
  ~ModelBytes();
  ModelBytes(const ModelBytes&) = delete;
  ModelBytes& operator=(const ModelBytes&) = delete;

  // Copies up to `size` next bytes to `out`; fewer only at the end of the
  // data, which a damaged container also is: what came before the damage is
  // given.
  std::size_t Read(char* out, std::size_t size);

  // Gives the data again from byte `offset` (the header counted), as if the
  // bytes before it had just been read: what was found beyond them, damage
  // included, is forgotten until it is read again.
  void RewindTo(std::uint64_t offset);

  // Whether the file is compressed, and how many bytes the data has given so
  // far (the header included): every bound on what a count may reserve is
  // measured against these, never against a size field.
  bool Compressed() const { return compressed_; }
  std::uint64_t Given() const { return given_; }

  // The MSZIP block, counted from 1, that holds byte `offset` of the data; 0
  // for the header and for a file that is not compressed.
  std::uint32_t BlockOfOffset(std::uint64_t offset) const;

  // What was wrong with the container, once the data has ended: empty when
  // nothing was ("block 3 at offset 1042 does not begin with \"CK\"").
  const std::wstring& Damage() const { return damage_; }

 private:
  void Restart();
  std::size_t ReadFile(void* out, std::size_t size);
  std::size_t ReadCompressed(char* out, std::size_t size);
  void Damaged(std::wstring what);
  void BeginContainer();
  void EndContainer();
  bool InflateBlock();

  FILE* file_;
  bool compressed_;
  std::uint64_t given_ = 0;       // bytes of the data handed out, the header included
  std::uint64_t fileOffset_ = 0;  // bytes of the file read
  bool ended_ = false;            // no more blocks: the last ended, or one was damaged
  std::uint32_t declaredSize_ = 0;
  std::vector<std::uint64_t> blockStarts_;  // offset in the data where each block's output begins
  std::vector<unsigned char> input_;        // one block's deflate data
  std::vector<unsigned char> window_;       // the last 32 KB of output, then the newest block
  std::size_t blockPosition_ = 0;           // the next byte of the newest block to hand out
  std::wstring damage_;
  struct EndInflater {
    void operator()(z_stream_s* inflater) const;
  };
  std::unique_ptr<z_stream_s, EndInflater> inflater_;  // made for the first block
};

XFILE_SHAPE_END
