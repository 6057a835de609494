// D3DX 9: math.
#pragma once

#include <d3d9.h>
