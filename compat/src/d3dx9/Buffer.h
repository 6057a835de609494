// ID3DXBuffer: a reference-counted block of bytes, made by D3DXCreateBuffer
// (zero-filled; a size of 0 gives a null GetBufferPointer) and by the layer
// for compiler messages.
#pragma once

#include <d3dx9.h>

#include <string_view>

namespace compat::d3dx9 {

// A buffer holding `text` and a terminating zero, as D3DX hands out messages.
ID3DXBuffer* CreateTextBuffer(std::string_view text);

}  // namespace compat::d3dx9
