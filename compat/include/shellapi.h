// shell32: declared with the kernel32 subset (CommandLineToArgvW).
#pragma once

#include <windows.h>
