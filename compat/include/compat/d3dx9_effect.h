// D3DX 9: effect.
#pragma once

#include <d3d9.h>
