// Every parsed model of the process, by the file name it was loaded under.
#pragma once

#include <map>
#include <string>

#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

extern std::map<std::wstring, XModelContent> g_ModelRegistry;

XFILE_SHAPE_END
