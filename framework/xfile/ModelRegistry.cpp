#include "xfile/ModelRegistry.h"

XFILE_SHAPE_BEGIN

std::map<std::wstring, XModelContent> g_ModelRegistry;

XFILE_SHAPE_END
