// .x output: a model file written again in another of the .x formats.
#pragma once

#include <string>

#include "ConvertOptions.h"

namespace xfileconvert {

// Writes the model file `job.input` (any format the reader takes) as
// `job.output` in the .x format and float size of `options`: the same tokens,
// so the same records, with templates and records the reader does not use
// kept. A file the reader refuses writes nothing; its warnings are said and
// what the file holds up to any damage is written. False, having said why,
// when nothing was written.
bool RecodeModelFile(const ConversionJob& job, const ConvertOptions& options);

}  // namespace xfileconvert
