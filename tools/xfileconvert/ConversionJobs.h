// Converting many files at once, one per core.
#pragma once

#include <cstddef>
#include <vector>

#include "ConvertOptions.h"

namespace xfileconvert {

// Converts one file as `options` ask; false, having said why, when its output
// was not written.
bool ConvertOne(const ConversionJob& job, const ConvertOptions& options);

// Converts every job, options.jobs at once (one per core when 0); returns how
// many failed. Each failure has been said on standard error.
std::size_t RunConversions(const std::vector<ConversionJob>& jobs, const ConvertOptions& options);

}  // namespace xfileconvert
