#include "XNames.h"

namespace xfileconvert {

namespace {

bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

std::string XNames::Unique(std::string_view wanted, std::string_view fallback) {
  std::string name;
  for (char c : wanted) name += IsNameCharacter(c) ? c : '_';
  if (name.find_first_not_of('_') == std::string::npos) name = fallback;
  if (name[0] >= '0' && name[0] <= '9') name.insert(0, 1, '_');
  std::string unique = name;
  for (int n = 2; !taken_.insert(unique).second; ++n) unique = name + "_" + std::to_string(n);
  return unique;
}

std::string FileNamePart(std::string_view text) {
  std::string part;
  for (char c : text) part += IsNameCharacter(c) || c == '-' || c == '.' ? c : '_';
  return part;
}

}  // namespace xfileconvert
