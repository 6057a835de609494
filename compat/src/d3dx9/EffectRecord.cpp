#include "d3dx9/EffectRecord.h"

#include <cstdint>
#include <cstdio>

namespace compat::d3dx9 {

namespace {

// What the translator is built from; the build names the library versions.
const std::string& TranslatorIdentity() {
  static const std::string identity =
      "xviewer effect translation " + std::to_string(kTranslatorVersion) + " (" XVIEW_EFFECT_LIBRARIES ")\n";
  return identity;
}

std::uint64_t Fnv1a(std::string_view text, std::uint64_t hash = 14695981039346656037ull) {
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::string Hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

void PutString(std::string& out, std::string_view text) {
  out += std::to_string(text.size());
  out += '\n';
  out += text;
}

// Reads what PutString wrote; false on anything malformed.
bool GetString(std::string_view& in, std::string& text) {
  std::size_t newline = in.find('\n');
  if (newline == std::string_view::npos || newline == 0 || newline > 12) return false;
  std::size_t length = 0;
  for (char c : in.substr(0, newline)) {
    if (c < '0' || c > '9') return false;
    length = length * 10 + static_cast<std::size_t>(c - '0');
  }
  in.remove_prefix(newline + 1);
  if (length > in.size()) return false;
  text.assign(in.substr(0, length));
  in.remove_prefix(length);
  return true;
}

bool GetCount(std::string_view& in, std::size_t& count, std::size_t most) {
  std::string text;
  if (!GetString(in, text) || text.empty() || text.size() > 6) return false;
  count = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    count = count * 10 + static_cast<std::size_t>(c - '0');
  }
  return count <= most;
}

}  // namespace

std::string EffectRecordKey(std::string_view text, const Defines& defines, bool mapDepth) {
  std::string material = TranslatorIdentity() + "depth " + (mapDepth ? "-1..1" : "0..1") + "\n";
  for (const auto& [name, value] : defines) material += "define " + name + "=" + value + "\n";
  // Two hashes with different seeds: 128 bits of key.
  std::uint64_t first = Fnv1a(text, Fnv1a(material));
  std::uint64_t second = Fnv1a(text, Fnv1a(material, 0x84222325cbf29ce4ull) ^ 0x9e3779b97f4a7c15ull);
  return Hex(first) + Hex(second);
}

std::string IncludeFolder(std::string_view fileName) {
  std::size_t slash = fileName.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string() : std::string(fileName.substr(0, slash));
}

std::string WriteEffectRecord(const EffectRecord& record) {
  std::string out = TranslatorIdentity();
  PutString(out, record.preprocessed);
  PutString(out, std::to_string(record.includes.size()));
  for (const auto& [name, contents] : record.includes) {
    PutString(out, name);
    PutString(out, contents);
  }
  PutString(out, std::to_string(record.texts.size()));
  for (const auto& technique : record.texts) {
    PutString(out, std::to_string(technique.size()));
    for (const PassText& pass : technique) {
      PutString(out, pass.vertex);
      PutString(out, pass.pixel);
    }
  }
  out += Hex(Fnv1a(out));
  return out;
}

bool ReadEffectRecord(std::string_view in, EffectRecord& record) {
  const std::string_view identity = TranslatorIdentity();
  // The last 16 characters are the hash of the rest.
  if (in.size() < identity.size() + 16 || in.substr(0, identity.size()) != identity) return false;
  std::string_view body = in.substr(0, in.size() - 16);
  if (Hex(Fnv1a(body)) != in.substr(in.size() - 16)) return false;
  body.remove_prefix(identity.size());

  record = EffectRecord{};
  std::size_t includes = 0, techniques = 0;
  if (!GetString(body, record.preprocessed) || !GetCount(body, includes, 1024)) return false;
  for (std::size_t i = 0; i < includes; ++i) {
    std::string name, contents;
    if (!GetString(body, name) || !GetString(body, contents)) return false;
    record.includes.emplace_back(std::move(name), std::move(contents));
  }
  if (!GetCount(body, techniques, 4096)) return false;
  for (std::size_t t = 0; t < techniques; ++t) {
    std::size_t passes = 0;
    if (!GetCount(body, passes, 4096)) return false;
    record.texts.emplace_back();
    for (std::size_t p = 0; p < passes; ++p) {
      PassText text;
      if (!GetString(body, text.vertex) || !GetString(body, text.pixel)) return false;
      record.texts.back().push_back(std::move(text));
    }
  }
  return body.empty();
}

}  // namespace compat::d3dx9
