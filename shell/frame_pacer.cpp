// The frame pacer: the vsync of a display that runs at a whole multiple of 60 Hz, or a
// deadline every 1/60 s on a monotonic clock.
#include "shell/frame_pacer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int64_t kSecond = 1000000;  // microseconds
// A pass more than this behind its deadline (a stall, a dragged window) starts the
// schedule afresh instead of making the lost passes up.
constexpr int64_t kLateLimit = 100000;
// Passes catching up on a late one come no closer than this: a slow frame is made up
// over the next few passes, never in a burst.
constexpr int64_t kCatchUpGap = 10000;
// On vsync the swap itself paces; this floor only keeps a swap that returns early (a
// driver settling, a skipped refresh) from starting two passes in one frame's time.
constexpr int64_t kVsyncGap = kSecond / kPassesPerSecond / 2;
// A swap interval is trusted while 60 passes take at least this long.
constexpr int64_t kVsyncCheck = kSecond * 95 / 100;

// How far a refresh rate may be from a whole multiple of 60 Hz and still count as one:
// 59.94 and 119.88 Hz do (0.1 %), 144 Hz (2.4 x 60) does not.
constexpr double kMultipleTolerance = 0.015;

}  // namespace

int RefreshMultiple(const std::vector<int64_t>& presents) {
  // The first swap after the window appears often waits longer: leave its interval out.
  if (presents.size() < 6) return 0;
  std::vector<int64_t> intervals;
  for (size_t i = 2; i < presents.size(); ++i) intervals.push_back(presents[i] - presents[i - 1]);
  std::vector<int64_t> sorted = intervals;
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  const int64_t median = sorted[sorted.size() / 2];
  // Faster than 500 Hz: the swaps do not wait for a refresh at all.
  if (median < 2000) return 0;
  // A fixed refresh gives nearly equal intervals, give or take the moment each swap
  // returns; variable refresh and a busy machine do not, and then the deadline paces.
  const int64_t tolerance = std::max<int64_t>(median / 10, 1000);
  int64_t sum = 0;
  size_t steady = 0;
  for (const int64_t interval : intervals) {
    if (std::llabs(interval - median) <= tolerance) {
      sum += interval;
      ++steady;
    }
  }
  if (steady * 4 < intervals.size() * 3) return 0;
  const double hz =
      static_cast<double>(kSecond) * static_cast<double>(steady) / static_cast<double>(sum);
  const double multiple = hz / kPassesPerSecond;
  const int k = static_cast<int>(std::lround(multiple));
  if (k < 1 || k > 8 || std::fabs(multiple - k) > kMultipleTolerance * k) return 0;
  return k;
}

namespace {

std::vector<int64_t> SwapTimes(int frames, const std::function<void()>& swapBlank,
                               const std::function<int64_t()>& clock) {
  std::vector<int64_t> presents;
  for (int i = 0; i < frames; ++i) {
    swapBlank();
    presents.push_back(clock());
  }
  return presents;
}

}  // namespace

int ProbeRefresh(const std::function<bool(int)>& setInterval,
                 const std::function<void()>& swapBlank, const std::function<int64_t()>& clock) {
  if (!setInterval(1)) return 0;
  const int multiple = RefreshMultiple(SwapTimes(kProbeFrames, swapBlank, clock));
  if (multiple <= 1) return multiple;
  // Some drivers accept any interval and wait for one refresh all the same: frames must
  // now come 60 a second.
  if (setInterval(multiple) && RefreshMultiple(SwapTimes(kCheckFrames, swapBlank, clock)) == 1) {
    return multiple;
  }
  setInterval(1);
  return 0;
}

void FramePacer::Start(int64_t now, int swapInterval) {
  swapInterval_ = swapInterval;
  base_ = now;
  passes_ = 0;
  previous_ = now - kSecond;  // the first pass is due at once
  checkStart_ = now;
  checkPasses_ = -1;  // the first pass opens the check
}

// Pass n of the schedule: exact to the microsecond at every pass, with no drift.
int64_t FramePacer::Deadline(int64_t pass) const {
  return base_ + pass * kSecond / kPassesPerSecond;
}

int64_t FramePacer::Due() const {
  if (swapInterval_ != 0) return previous_ + kVsyncGap;
  return std::max(Deadline(passes_), previous_ + kCatchUpGap);
}

int FramePacer::PassStarting(int64_t now) {
  previous_ = now;
  if (swapInterval_ != 0) {
    if (++checkPasses_ == 0) checkStart_ = now;
    if (checkPasses_ < kPassesPerSecond) return 0;
    const bool honoured = now - checkStart_ >= kVsyncCheck;
    checkStart_ = now;
    checkPasses_ = 0;
    if (honoured) return 0;
    // The driver shows frames faster than the interval asked for: the deadline paces
    // from here, with vsync at every refresh so that frames still do not tear.
    swapInterval_ = 0;
    base_ = now;
    passes_ = 1;
    return 1;
  }
  if (now - Deadline(passes_) > kLateLimit) {
    base_ = now;
    passes_ = 0;
  }
  ++passes_;
  return 0;
}
