// Seconds between frames from the high-resolution counter
// (QueryPerformanceCounter), which real-time playback, key repeat and the
// title's frame rate share.
#pragma once

#include <windows.h>

class FrameClock {
 public:
  FrameClock() { Restart(); }

  void Restart() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    frequency_ = frequency.QuadPart > 0 ? static_cast<double>(frequency.QuadPart) : 1.0;
    last_ = now.QuadPart;
  }

  // The seconds since the last call (or since Restart); never negative.
  double Lap() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    double seconds = static_cast<double>(now.QuadPart - last_) / frequency_;
    last_ = now.QuadPart;
    return seconds > 0.0 ? seconds : 0.0;
  }

 private:
  double frequency_ = 1.0;
  LONGLONG last_ = 0;
};
