#include <cctype>
#include <cstring>
#include <string>

#include "d3d9/AttributeLocations.h"

namespace compat::d3d9 {

namespace {

// The vertex inputs an effect may read, each at a location of its own, so
// that any program reads any declaration that supplies its inputs.
struct Slot {
  const char* semantic;
  BYTE usage;
  BYTE usageIndex;
};
constexpr Slot kSlots[kAttributeLocations] = {
    {"POSITION", D3DDECLUSAGE_POSITION, 0},         {"BLENDWEIGHT", D3DDECLUSAGE_BLENDWEIGHT, 0},
    {"BLENDINDICES", D3DDECLUSAGE_BLENDINDICES, 0}, {"NORMAL", D3DDECLUSAGE_NORMAL, 0},
    {"COLOR", D3DDECLUSAGE_COLOR, 0},               {"COLOR", D3DDECLUSAGE_COLOR, 1},
    {"TANGENT", D3DDECLUSAGE_TANGENT, 0},           {"TEXCOORD", D3DDECLUSAGE_TEXCOORD, 0},
    {"TEXCOORD", D3DDECLUSAGE_TEXCOORD, 1},         {"TEXCOORD", D3DDECLUSAGE_TEXCOORD, 2},
    {"TEXCOORD", D3DDECLUSAGE_TEXCOORD, 3},         {"TEXCOORD", D3DDECLUSAGE_TEXCOORD, 4},
    {"TEXCOORD", D3DDECLUSAGE_TEXCOORD, 5},         {"TEXCOORD", D3DDECLUSAGE_TEXCOORD, 6},
    {"TEXCOORD", D3DDECLUSAGE_TEXCOORD, 7}};

}  // namespace

int AttributeLocation(BYTE usage, BYTE usageIndex) {
  for (int location = 0; location < kAttributeLocations; ++location)
    if (kSlots[location].usage == usage && kSlots[location].usageIndex == usageIndex) return location;
  return -1;
}

int SemanticAttributeLocation(std::string_view semantic) {
  std::size_t digits = semantic.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(semantic[digits - 1]))) --digits;
  std::string name;
  for (char c : semantic.substr(0, digits)) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::string_view number = semantic.substr(digits);
  if (number.size() > 2) return -1;
  int index = number.empty() ? 0 : std::stoi(std::string(number));
  for (int location = 0; location < kAttributeLocations; ++location)
    if (name == kSlots[location].semantic && index == kSlots[location].usageIndex) return location;
  return -1;
}

}  // namespace compat::d3d9
