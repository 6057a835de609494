// The D3DX 9 subset that the framework calls, for non-Windows builds.
#pragma once

#include <d3d9.h>

#include "compat/d3dx9_math.h"
#include "compat/d3dx9_core.h"
#include "compat/d3dx9_effect.h"
#include "compat/d3dx9_tex.h"
