// Code page 932 (Shift-JIS) for the page's converter. The WebAssembly C
// library's iconv has no "CP932", so the two conversions the layer asks of
// iconv (common/CodePages.cpp: CP932 to UTF-32LE and back, one converter each
// way) are served here, from tables that web/tools/cp932-table.py makes by
// asking glibc's iconv about every sequence: the page decodes and encodes as
// the native programs do. This iconv knows only those two; any other pair is
// refused (EINVAL), as an iconv refuses a pair it does not know.
#include <iconv.h>
#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "Cp932Tables.h"

namespace {

const auto kDecoder = reinterpret_cast<iconv_t>(1);
const auto kEncoder = reinterpret_cast<iconv_t>(2);

bool Named(const char* name, const char* wanted) { return strcasecmp(name, wanted) == 0; }

// The character of a defined pair, or 0.
std::uint16_t PairCharacter(std::uint16_t pair) {
  const auto* end = web_cp932::kPairs + web_cp932::kPairCount;
  const auto* found = std::lower_bound(web_cp932::kPairs, end, pair,
                                       [](const std::uint16_t(&entry)[2], std::uint16_t key) { return entry[0] < key; });
  return found != end && (*found)[0] == pair ? (*found)[1] : 0;
}

const std::uint16_t* EncodingOf(std::uint32_t character) {
  const auto* end = web_cp932::kEncoded + web_cp932::kEncodedCount;
  const auto* found = std::lower_bound(web_cp932::kEncoded, end, character,
                                       [](const std::uint16_t(&entry)[3], std::uint32_t key) { return entry[0] < key; });
  return found != end && (*found)[0] == character ? *found : nullptr;
}

std::size_t Fail(int error) {
  errno = error;
  return static_cast<std::size_t>(-1);
}

std::size_t Decode(char** in, std::size_t* inLeft, char** out, std::size_t* outLeft) {
  while (*inLeft > 0) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(*in);
    std::uint32_t character = web_cp932::kSingle[bytes[0]];
    std::size_t length = 1;
    if (character == 0xFFFF) {
      if (!web_cp932::kLead[bytes[0]]) return Fail(EILSEQ);
      if (*inLeft < 2) return Fail(EINVAL);  // a pair cut short
      character = PairCharacter(static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]));
      if (character == 0) return Fail(EILSEQ);
      length = 2;
    }
    if (*outLeft < 4) return Fail(E2BIG);
    for (int i = 0; i < 4; ++i) (*out)[i] = static_cast<char>(character >> (8 * i) & 0xFF);
    *out += 4, *outLeft -= 4, *in += length, *inLeft -= length;
  }
  return 0;
}

std::size_t Encode(char** in, std::size_t* inLeft, char** out, std::size_t* outLeft) {
  while (*inLeft > 0) {
    if (*inLeft < 4) return Fail(EINVAL);
    const auto* bytes = reinterpret_cast<const unsigned char*>(*in);
    const std::uint32_t character = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    const std::uint16_t* encoding = character <= 0xFFFF ? EncodingOf(character) : nullptr;
    if (!encoding) return Fail(EILSEQ);
    const std::size_t length = encoding[2];
    if (*outLeft < length) return Fail(E2BIG);
    if (length == 2) *(*out)++ = static_cast<char>(encoding[1] >> 8);
    *(*out)++ = static_cast<char>(encoding[1] & 0xFF);
    *outLeft -= length, *in += 4, *inLeft -= 4;
  }
  return 0;
}

}  // namespace

extern "C" iconv_t iconv_open(const char* to, const char* from) {
  if (Named(to, "UTF-32LE") && Named(from, "CP932")) return kDecoder;
  if (Named(to, "CP932") && Named(from, "UTF-32LE")) return kEncoder;
  errno = EINVAL;
  return reinterpret_cast<iconv_t>(-1);
}

extern "C" std::size_t iconv(iconv_t converter, char** __restrict in, std::size_t* __restrict inLeft,
                             char** __restrict out, std::size_t* __restrict outLeft) {
  if (!in || !*in) return 0;  // a reset: these conversions keep no state
  if (converter == kDecoder) return Decode(in, inLeft, out, outLeft);
  if (converter == kEncoder) return Encode(in, inLeft, out, outLeft);
  return Fail(EBADF);
}

extern "C" int iconv_close(iconv_t) { return 0; }
