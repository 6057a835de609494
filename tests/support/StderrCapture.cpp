#include "support/StderrCapture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

StderrCapture::~StderrCapture() {
  if (saved_ >= 0) Take();
}

void StderrCapture::Start() {
  if (saved_ >= 0) return;
  std::fflush(stderr);
  char pattern[] = "/tmp/stderr_capture_XXXXXX";
  int file = ::mkstemp(pattern);
  if (file < 0) return;
  path_ = pattern;
  saved_ = ::dup(2);
  ::dup2(file, 2);
  ::close(file);
}

std::string StderrCapture::Take() {
  if (saved_ < 0) return std::string();
  std::fflush(stderr);
  ::dup2(saved_, 2);
  ::close(saved_);
  saved_ = -1;
  std::ifstream in(path_, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  std::remove(path_.c_str());
  return text;
}
