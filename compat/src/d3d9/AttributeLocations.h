// Vertex attribute locations by declaration usage and index, shared by the
// effect translator (which places each shader input by its semantic) and the
// draws (which feed them): POSITION, BLENDWEIGHT, BLENDINDICES, NORMAL,
// COLOR0-1, TANGENT, TEXCOORD0-7. Needs no GL.
#pragma once

#include <d3d9.h>

#include <string_view>

namespace compat::d3d9 {

// -1 for a usage and index that no shader input can have.
int AttributeLocation(BYTE usage, BYTE usageIndex);
// The same location for a semantic as HLSL writes it ("TEXCOORD1", "normal").
int SemanticAttributeLocation(std::string_view semantic);
inline constexpr int kAttributeLocations = 15;

}  // namespace compat::d3d9
