// The text console that propviewer opens beside its window, so that what the
// program writes to standard output (the model file's text while it loads)
// can be read.
#pragma once

#include <cstdio>

class Console {
 public:
  Console();
  virtual ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

 private:
  FILE* output = nullptr;
  FILE* input = nullptr;
};
