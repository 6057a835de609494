// QueryPerformanceCounter and QueryPerformanceFrequency over SDL's
// high-resolution counter; tests replace the clock with one they move by hand
// (compat/testing_win32.h), so that timing runs without sleeping.
// Accepted but ignored: nothing; a null pointer answers FALSE.
#include <SDL.h>
#include <windows.h>

#include "compat/testing_win32.h"

namespace {

struct ManualClock {
  bool inUse = false;
  LONGLONG count = 0;
  LONGLONG frequency = 1;
};

ManualClock& TheManualClock() {
  static ManualClock clock;
  return clock;
}

}  // namespace

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  const ManualClock& manual = TheManualClock();
  count->QuadPart = manual.inUse ? manual.count : static_cast<LONGLONG>(SDL_GetPerformanceCounter());
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  const ManualClock& manual = TheManualClock();
  frequency->QuadPart = manual.inUse ? manual.frequency : static_cast<LONGLONG>(SDL_GetPerformanceFrequency());
  return TRUE;
}

namespace compat::testing {

void UseManualPerformanceCounter(LONGLONG frequency) {
  ManualClock& manual = TheManualClock();
  manual.inUse = true;
  manual.count = 0;
  manual.frequency = frequency > 0 ? frequency : 1;
}

void AdvancePerformanceCounter(LONGLONG counts) { TheManualClock().count += counts; }

void UseSystemPerformanceCounter() { TheManualClock().inUse = false; }

}  // namespace compat::testing
