// The thumbnailer's hard limit: a file manager waits for its thumbnails, so a
// model that takes too long (a huge file, a stalled read) ends the process
// rather than the file manager's patience.
#pragma once

#include <string>

// From now on, the process ends after `seconds` with `line` (and a line feed)
// on standard error and exit status 1, removing `output` if it was being
// written then (see WritingOutput).
void LimitRunTime(unsigned seconds, const std::string& line, const std::string& output);

// Between these calls the output file is being written: a half-written file
// is removed when the limit strikes then.
void WritingOutput(bool writing);
