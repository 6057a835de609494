// Where the last sampling of one key channel stood. Ticks advance one per
// frame, so the key pair around a tick is nearly always the last one or the
// one after it: a tick that moves forward walks on from where the last one
// stopped, one that moves back (the animation starting again) searches
// afresh. Either way the pair is the one a walk from the first key finds.
// The keys of a loaded model do not change; a cursor relies on that.
#pragma once

#include <cstdint>
#include <iterator>
#include <map>

template <class Value>
class KeyCursor {
 public:
  using Keys = std::map<std::uint32_t, Value>;
  using Position = typename Keys::const_iterator;

  // Places the cursor for `tick` in `keys`: Previous() is the last key at or
  // before the tick, Next() the first key after it; either may be keys.end().
  void Seek(const Keys& keys, std::uint32_t tick) {
    if (keys_ != &keys || tick < tick_) {
      next_ = keys.upper_bound(tick);
      previous_ = next_ == keys.begin() ? keys.end() : std::prev(next_);
    } else {
      while (next_ != keys.end() && next_->first <= tick) previous_ = next_++;
    }
    keys_ = &keys;
    tick_ = tick;
  }

  Position Previous() const { return previous_; }
  Position Next() const { return next_; }

 private:
  const Keys* keys_ = nullptr;  // the channel the positions belong to
  std::uint32_t tick_ = 0;
  Position previous_{}, next_{};
};
