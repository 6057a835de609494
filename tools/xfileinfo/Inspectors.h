// One printer per record shape. Each parses the file and writes one JSON
// object to standard output; it returns the program's exit code.
#pragma once

#include <cstdint>
#include <string>

namespace xfileinfo {

int InspectCharacter(const std::wstring& path, bool full);
int InspectReduced(const std::wstring& path, bool full);

// What the model holds in words (ModelSummary), as actorviewer and
// propviewer print it for the I key.
int SummarizeCharacter(const std::wstring& path);
int SummarizeReduced(const std::wstring& path);

// The character posed at `tick` of animation set `set` with the identity
// world: every frame's combined matrix by name and each mesh's bone palette.
int InspectPose(const std::wstring& path, std::uint32_t set, std::uint32_t tick);

}  // namespace xfileinfo
