// D3DX 9: core.
#pragma once

#include <d3d9.h>
