// Where the layer finds translated effects without running the translator:
// the records translated when the project was built, installed read-only
// with the programs' files (share/xviewer/effect-cache beside the program's
// bin/), then the user's cache, $XDG_CACHE_HOME/xviewer (else
// ~/.cache/xviewer), where the records of every other effect are kept after
// their first translation. Records are named by their key (EffectRecordKey).
// A damaged record, or one whose #included files changed since, is a miss;
// a record is written under a temporary name and renamed; a cache that
// cannot be written is no error.
#pragma once

#include <string>

#include "d3dx9/EffectRecord.h"

namespace compat::d3dx9 {

// The record under `key` in the bundled records or else the user's cache,
// when there is a sound one whose includes (read from `folder`, the
// effect's own) are unchanged.
bool LoadCachedEffect(const std::string& key, const std::string& folder, EffectRecord& record);

// Keeps `bytes`, a record as WriteEffectRecord wrote it, in the user's
// cache under `key`; failures are silent.
void StoreCachedEffect(const std::string& key, const std::string& bytes);

// The user's cache ("" when neither variable says).
std::string EffectCacheFolder();

}  // namespace compat::d3dx9
