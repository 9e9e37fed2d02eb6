// Paces the desktop's frame passes at the show's reference rate, 60 a second, whatever
// the display's refresh rate and whether or not it has vsync: every angle and viewer step
// moves a fixed amount per pass, so the number of passes a second is the show's speed.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

constexpr int kPassesPerSecond = 60;
// Blank frames swapped before the first pass to time the display's refresh with vsync,
// and to check a longer swap interval once it is asked for.
constexpr int kProbeFrames = 12;
constexpr int kCheckFrames = 6;

// The swap interval that shows each frame for the same whole number of refreshes at 60 a
// second, from the times the probe frames' swaps returned (one swap a refresh): 1 at
// 59.94 or 60 Hz, 2 at 120 Hz, 4 at 240 Hz. 0 where no interval fits (75, 144 and 165 Hz,
// variable refresh, a driver that does not wait for the refresh, too few probes).
int RefreshMultiple(const std::vector<int64_t>& presents);

// What paces the show on this display: asks for vsync (`setInterval(1)`, false where the
// driver refuses), times the refresh on blank frames (`swapBlank`, each timed on `clock`
// as its swap returns) and, at a whole multiple of 60 Hz, asks for and checks that
// multiple. Returns the swap interval that paces, or 0: the deadline paces.
int ProbeRefresh(const std::function<bool(int)>& setInterval,
                 const std::function<void()>& swapBlank, const std::function<int64_t()>& clock);

class FramePacer {
 public:
  // Pacing from `now`: on the vsync of `swapInterval` refreshes (RefreshMultiple's answer),
  // or, for 0, on a deadline every 1/60 s on the clock.
  void Start(int64_t now, int swapInterval);
  // When the next pass may start (microseconds, PlatformClock's).
  int64_t Due() const;
  // A pass starts at `now`. Returns a swap interval to ask for from now on, 0 for none:
  // 1 when the vsync interval turned out not to be honoured and the deadline takes over.
  int PassStarting(int64_t now);
  // True while the swap interval paces the passes rather than the deadline.
  bool OnVsync() const { return swapInterval_ != 0; }

 private:
  int64_t Deadline(int64_t pass) const;

  int swapInterval_ = 0;
  int64_t base_ = 0;      // the deadline schedule's start
  int64_t passes_ = 0;    // passes since base_
  int64_t previous_ = 0;  // when the last pass started
  bool started_ = false;
  int64_t checkStart_ = 0;  // vsync: when the current check of 60 passes began
  int checkPasses_ = 0;
};
