// .x output from .x: a model file written again in another of the .x
// formats, every data object kept (those of kinds no reader of ours knows
// too), each value typed by its template.
#pragma once

#include <cstdio>
#include <string>

#include "XFileOutput.h"

namespace xfileconvert {

// The data objects and templates of the open model file `file` (at its
// start; named `shownName` in messages) written in `format`. The reader's
// tokens are read after the header; messages go to standard error. Used by
// RecodeModelFile and by whatever makes twins of model text.
std::string RecodedModel(std::FILE* file, const std::string& shownName, const XFileFormat& format,
                         bool declareTemplates);

}  // namespace xfileconvert
