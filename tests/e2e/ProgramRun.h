// Runs one of the programs as a user runs it: its own process, a working
// folder, an environment, a command line, and signals from outside.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace e2e {

struct Launch {
  std::string program;  // "actorviewer" or "propviewer"
  std::string executable;  // another program to run, by its path, in place of `program`
  std::vector<std::string> arguments;
  std::string folder;  // working folder; the shipped assets when empty
  std::vector<std::string> unset;                            // variables removed from the environment
  std::vector<std::pair<std::string, std::string>> set;      // and set
  // When non-zero, sent once the program has presented its first frame and
  // run a few frames more.
  int signal = 0;
  bool layerReport = true;  // XVIEW_LAYER_REPORT=1: the layer's report at the end
};

struct Outcome {
  int exitCode = -1;       // -1 unless the program exited
  int signal = 0;          // the signal that ended it, 0 if it exited
  bool timedOut = false;   // killed after running too long
  std::string output;      // standard error and output, interleaved
};

// The program runs with XVIEW_LAYER_REPORT=1 (unless the launch says
// otherwise) and without a controlling terminal, so its console writes to the
// captured output too.
Outcome Run(const Launch& launch);

// The layer's report at the very end of the process.
inline bool ReleasedEverything(const Outcome& outcome) {
  return outcome.output.find("live layer objects at exit: 0\n") != std::string::npos;
}

// A new folder holding copies of the shipped assets, less `leaveOut`.
std::string AssetsCopy(const std::string& leaveOut = "");

}  // namespace e2e
