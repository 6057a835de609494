// Output files that are never seen half written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xfileconvert {

// Writes `pieces`, one after another, as the file `path`, whole or not at
// all: they go to a temporary file beside it (its name, ".tmp-", the process
// and a count), which is renamed to `path` once written and closed. False
// with `reason` when anything fails; the temporary file is then gone and
// `path` as it was.
bool WriteWholeFile(const std::string& path, const std::vector<std::string_view>& pieces, std::string& reason);

}  // namespace xfileconvert
