#include "d3d9/VertexDeclaration.h"

#include "d3d9/DrawState.h"

namespace compat::d3d9 {

bool AttributeFormatOf(BYTE declType, AttributeFormat& f) {
  switch (declType) {
    case D3DDECLTYPE_FLOAT1: f = {1, GL_FLOAT, GL_FALSE, 4}; return true;
    case D3DDECLTYPE_FLOAT2: f = {2, GL_FLOAT, GL_FALSE, 8}; return true;
    case D3DDECLTYPE_FLOAT3: f = {3, GL_FLOAT, GL_FALSE, 12}; return true;
    case D3DDECLTYPE_FLOAT4: f = {4, GL_FLOAT, GL_FALSE, 16}; return true;
    // ARGB in a DWORD is B, G, R, A in memory: GL's BGRA order.
    case D3DDECLTYPE_D3DCOLOR: f = {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4}; return true;
    case D3DDECLTYPE_UBYTE4: f = {4, GL_UNSIGNED_BYTE, GL_FALSE, 4}; return true;
    case D3DDECLTYPE_SHORT2: f = {2, GL_SHORT, GL_FALSE, 4}; return true;
    case D3DDECLTYPE_SHORT4: f = {4, GL_SHORT, GL_FALSE, 8}; return true;
    case D3DDECLTYPE_UBYTE4N: f = {4, GL_UNSIGNED_BYTE, GL_TRUE, 4}; return true;
    case D3DDECLTYPE_SHORT2N: f = {2, GL_SHORT, GL_TRUE, 4}; return true;
    case D3DDECLTYPE_SHORT4N: f = {4, GL_SHORT, GL_TRUE, 8}; return true;
    case D3DDECLTYPE_USHORT2N: f = {2, GL_UNSIGNED_SHORT, GL_TRUE, 4}; return true;
    case D3DDECLTYPE_USHORT4N: f = {4, GL_UNSIGNED_SHORT, GL_TRUE, 8}; return true;
    case D3DDECLTYPE_FLOAT16_2: f = {2, GL_HALF_FLOAT, GL_FALSE, 4}; return true;
    case D3DDECLTYPE_FLOAT16_4: f = {4, GL_HALF_FLOAT, GL_FALSE, 8}; return true;
    default: return false;
  }
}

VertexDeclaration* VertexDeclaration::Create(Device& device, const D3DVERTEXELEMENT9* elements,
                                             std::string& error) {
  if (!elements) {
    error = "no element list";
    return nullptr;
  }
  std::vector<D3DVERTEXELEMENT9> list;
  for (UINT i = 0;; ++i) {
    if (i >= MAXD3DDECLLENGTH) {
      error = "no end marker (D3DDECL_END) within " + std::to_string(MAXD3DDECLLENGTH) + " elements";
      return nullptr;
    }
    const D3DVERTEXELEMENT9& e = elements[i];
    if (e.Stream == 0xFF) break;
    AttributeFormat format;
    std::string where = "element " + std::to_string(i) + ": ";
    if (e.Stream >= kMaxStreams) {
      error = where + "stream " + std::to_string(e.Stream) + " is out of range";
      return nullptr;
    }
    if (!AttributeFormatOf(e.Type, format)) {
      error = where + "type " + std::to_string(e.Type) + " is not supported";
      return nullptr;
    }
    if (e.Usage > D3DDECLUSAGE_SAMPLE) {
      error = where + "usage " + std::to_string(e.Usage) + " is unknown";
      return nullptr;
    }
    for (const D3DVERTEXELEMENT9& other : list)
      if (other.Usage == e.Usage && other.UsageIndex == e.UsageIndex) {
        error = where + "usage " + std::to_string(e.Usage) + " index " + std::to_string(e.UsageIndex) +
                " appears twice";
        return nullptr;
      }
    list.push_back(e);
  }
  return new VertexDeclaration(device, std::move(list));
}

HRESULT VertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* numElements) {
  if (!numElements) return D3DERR_INVALIDCALL;
  auto count = static_cast<UINT>(elements_.size() + 1);
  if (elements) {
    for (std::size_t i = 0; i < elements_.size(); ++i) elements[i] = elements_[i];
    elements[elements_.size()] = D3DDECL_END();
  }
  *numElements = count;
  return D3D_OK;
}

}  // namespace compat::d3d9
