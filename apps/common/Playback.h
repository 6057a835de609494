// How the character's animation tick moves: one key tick per frame unless
// the user changes it (pause, single steps through the key times, faster or
// slower, or real time at the file's ticks per second).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/DirectInput.h"

// Down now, whether freshly or for a while.
inline bool IsDown(InputState state) { return state == InputState::Pressed || state == InputState::Held; }

// What playback needs of the animation set that plays.
struct PlaybackClip {
  bool hasSet = false;               // without a set the tick counts on, wrapping at 2^32
  double lastKeyTime = 0.0;          // past it the animation starts again at tick 0
  std::vector<std::uint32_t> keyTimes;  // ascending, distinct
  double ticksPerSecond = 60.0;      // the file's AnimTicksPerSecond
};

class Playback {
 public:
  static constexpr double kSlowest = 1.0 / 64.0;  // ticks per frame
  static constexpr double kFastest = 4096.0;
  static constexpr double kStepRepeatDelay = 0.4;  // seconds a step key is held before it repeats

  // `rate` ticks per frame, or in real time that factor on the clock.
  explicit Playback(double rate = 1.0) : rate_(rate) {}

  // The tick after a frame of `seconds`: unchanged while paused; else the
  // rate (or, in real time, ticksPerSecond x rate x seconds) further, starting
  // again at 0 after the clip's last key time.
  double Advance(double tick, double seconds, const PlaybackClip& clip) const;

  // The next (direction > 0) or previous key time from `tick`, wrapping at
  // the ends; `tick` itself when the clip has no keys.
  static double Step(double tick, int direction, const PlaybackClip& clip);

  // Steps to take this frame for a step key pressed `presses` times since
  // the last frame and now in `state`: one per press, then, while it stays
  // down, one per frame once it has been held for kStepRepeatDelay.
  int StepsFor(int presses, InputState state, double seconds);

  void TogglePause() { paused_ = !paused_; }
  void ToggleRealTime() { realTime_ = !realTime_; }
  // Twice / half as fast, within kSlowest and kFastest.
  void Faster();
  void Slower();

  bool Paused() const { return paused_; }
  bool RealTime() const { return realTime_; }
  void SetRealTime(bool on) { realTime_ = on; }
  double Rate() const { return rate_; }
  // "2x", "0.5x", "real time 2x": what the title shows.
  std::wstring RateText() const;

 private:
  double rate_;
  bool paused_ = false;
  bool realTime_ = false;
  double stepHeld_ = 0.0;  // seconds the step key has been down
};
