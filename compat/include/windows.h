// The Win32 subset that the framework calls, for non-Windows builds.
#pragma once

#include "compat/win32_base.h"
#include "compat/win32_kernel.h"
#include "compat/win32_user.h"
#include "compat/crt.h"
