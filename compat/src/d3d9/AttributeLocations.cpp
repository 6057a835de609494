#include "d3d9/DeviceGL.h"

namespace compat::d3d9 {

namespace {
// Index = location. Locations 0 to 13 are the usages with index 0 (their
// D3DDECLUSAGE values); 14 and 15 are the second and third texture coordinates.
constexpr const char* kNames[kAttributeLocations] = {
    "inPosition", "inBlendWeight", "inBlendIndices", "inNormal",    "inPSize", "inTexCoord",
    "inTangent",  "inBinormal",    "inTessFactor",   "inPositionT", "inColor", "inFog",
    "inDepth",    "inSample",      "inTexCoord1",    "inTexCoord2"};
}  // namespace

int AttributeLocation(BYTE usage, BYTE usageIndex) {
  if (usage > D3DDECLUSAGE_SAMPLE) return -1;
  if (usageIndex == 0) return usage;
  if (usage == D3DDECLUSAGE_TEXCOORD && usageIndex <= 2) return 13 + usageIndex;
  return -1;
}

const char* AttributeName(int location) {
  return location >= 0 && location < kAttributeLocations ? kNames[location] : nullptr;
}

}  // namespace compat::d3d9
