// IDirect3DVertexDeclaration9: the element list, checked at creation; the
// draws turn it into GL vertex attributes by usage.
#pragma once

#include <d3d9.h>
#include <epoxy/gl.h>

#include <string>
#include <vector>

#include "common/LiveObjects.h"
#include "d3d9/DeviceChild.h"

namespace compat::d3d9 {

class VertexDeclaration final : public RefCounted<IDirect3DVertexDeclaration9>, public DeviceChild {
 public:
  // Null with `error` set when the list is malformed (no end marker within
  // MAXD3DDECLLENGTH elements, an unknown type or usage, a stream out of range).
  static VertexDeclaration* Create(Device& device, const D3DVERTEXELEMENT9* elements, std::string& error);

  HRESULT GetDevice(IDirect3DDevice9** device) override { return GetDeviceInterface(device); }
  HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* numElements) override;

  // The elements without the end marker.
  const std::vector<D3DVERTEXELEMENT9>& Elements() const { return elements_; }

 private:
  VertexDeclaration(Device& device, std::vector<D3DVERTEXELEMENT9> elements)
      : DeviceChild(device), elements_(std::move(elements)) {}

  std::vector<D3DVERTEXELEMENT9> elements_;
};

// Components, GL type and normalisation of a declaration type; false for
// types the layer does not feed (UDEC3, DEC3N, UNUSED).
struct AttributeFormat {
  GLint size;
  GLenum type;
  GLboolean normalized;
  UINT bytes;
};
bool AttributeFormatOf(BYTE declType, AttributeFormat& format);

}  // namespace compat::d3d9
