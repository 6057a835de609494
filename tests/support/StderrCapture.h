// Keeps what the code under test writes to standard error, from construction
// (or Start) to Take; a capture still running when it goes out of scope gives
// standard error back. Both the C streams and raw writes to descriptor 2 are
// caught, as the layer and the framework use both.
#pragma once

#include <string>

class StderrCapture {
 public:
  StderrCapture() { Start(); }
  ~StderrCapture();
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  // Begins capturing, or begins again after Take.
  void Start();
  // Ends the capture and returns what was written during it.
  std::string Take();

 private:
  int saved_ = -1;  // the descriptor standard error had before
  std::string path_;
};
