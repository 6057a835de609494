// One printer per record shape. Each parses the file and writes one JSON
// object to standard output; it returns the program's exit code.
#pragma once

#include <string>

namespace xfileinfo {

int InspectCharacter(const std::wstring& path, bool full);
int InspectReduced(const std::wstring& path, bool full);

}  // namespace xfileinfo
