// The Direct3D 9 subset that the framework calls, for non-Windows builds.
#pragma once

#include <windows.h>

#include "compat/d3d9_types.h"
#include "compat/d3d9_interfaces.h"
