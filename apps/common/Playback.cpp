#include "common/Playback.h"

#include <algorithm>
#include <cstdio>

namespace {
// The tick of a file without animation sets wraps as the 32-bit tick of the
// key times does.
constexpr double kTickRange = 4294967296.0;
}  // namespace

double Playback::Advance(double tick, double seconds, const PlaybackClip& clip) const {
  if (paused_) return tick;
  double ticksPerSecond = clip.ticksPerSecond > 0.0 ? clip.ticksPerSecond : 60.0;
  tick += realTime_ ? ticksPerSecond * rate_ * seconds : rate_;
  if (clip.hasSet) {
    if (tick > clip.lastKeyTime) tick = 0.0;
  } else if (tick >= kTickRange) {
    tick -= kTickRange;
  }
  return tick;
}

double Playback::Step(double tick, int direction, const PlaybackClip& clip) {
  const std::vector<std::uint32_t>& keys = clip.keyTimes;
  if (keys.empty() || direction == 0) return tick;
  if (direction > 0) {
    auto next = std::upper_bound(keys.begin(), keys.end(), tick,
                                 [](double t, std::uint32_t key) { return t < static_cast<double>(key); });
    return static_cast<double>(next == keys.end() ? keys.front() : *next);
  }
  auto before = std::lower_bound(keys.begin(), keys.end(), tick,
                                 [](std::uint32_t key, double t) { return static_cast<double>(key) < t; });
  return static_cast<double>(before == keys.begin() ? keys.back() : *std::prev(before));
}

int Playback::StepsFor(int presses, InputState state, double seconds) {
  if (presses > 0) {
    stepHeld_ = 0.0;
    return presses;
  }
  // A press the buffer gave last frame may reach the snapshots only now.
  if (!IsDown(state)) return 0;
  stepHeld_ += seconds;
  // Frame times add up with rounding: a hold of 4 x 0.1 s counts as 0.4 s.
  return stepHeld_ >= kStepRepeatDelay - 1e-9 ? 1 : 0;
}

// A rate that --speed put outside the keys' range stays where it is rather
// than jumping into it.
void Playback::Faster() {
  if (rate_ < kFastest) rate_ = std::min(rate_ * 2.0, kFastest);
}
void Playback::Slower() {
  if (rate_ > kSlowest) rate_ = std::max(rate_ * 0.5, kSlowest);
}

std::wstring Playback::RateText() const {
  wchar_t text[64];
  std::swprintf(text, 64, realTime_ ? L"real time %gx" : L"%gx", rate_);
  return text;
}
