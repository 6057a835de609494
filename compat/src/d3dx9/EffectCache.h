// The on-disk cache of translated effects, so that a start that finds every
// effect there never initialises glslang. Entries live in
// $XDG_CACHE_HOME/xviewer (else ~/.cache/xviewer), one file per effect
// source, named by a hash of everything the translation depends on: the
// file's text, the defines, the files it #includes, the glslang and
// SPIRV-Cross versions, the translator's version and the depth mapping.
// An entry holds the preprocessed text and the GLSL of every pass.
// A damaged or stale entry is a miss; an entry is written under a temporary
// name and renamed; a cache that cannot be written is no error.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "d3dx9/EffectProgram.h"

namespace compat::d3dx9 {

// Bumped whenever the translation changes what it writes for the same input.
inline constexpr int kTranslatorVersion = 1;

struct CacheEntry {
  std::string preprocessed;
  std::vector<std::pair<std::string, std::string>> includes;  // name, contents as read when translated
  EffectTexts texts;
};

// The key of an effect's text under `defines` with depth mapping `mapDepth`
// (the includes are checked against the entry itself).
std::string EffectCacheKey(const std::string& text, const std::vector<std::pair<std::string, std::string>>& defines,
                           bool mapDepth);

// The entry for `key`, when there is a sound one whose includes (read from
// `folder`) are unchanged.
bool LoadCachedEffect(const std::string& key, const std::string& folder, CacheEntry& entry);

// Stores `entry` under `key`; failures are silent.
void StoreCachedEffect(const std::string& key, const CacheEntry& entry);

// The folder the cache lives in ("" when neither variable says).
std::string EffectCacheFolder();

}  // namespace compat::d3dx9
