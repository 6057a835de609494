// The thumbnailer's hard limit: a file manager waits for its thumbnails, so a
// model that takes too long (a huge file, a stalled read) ends the process
// rather than the file manager's patience.
#pragma once

#include <string>

// From now on, the process ends after `seconds` with `line` (and a line feed)
// on standard error and exit status 1, removing `output` if it is then
// unfinished (see OutputUnfinished).
void LimitRunTime(unsigned seconds, const std::string& line, const std::string& output);

// Whether the output file exists but is not yet written whole: an unfinished
// file is removed when the limit strikes.
void OutputUnfinished(bool unfinished);
