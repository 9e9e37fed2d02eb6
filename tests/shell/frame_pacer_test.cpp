// The frame pacer against simulated displays: 10 s of passes at fixed refresh rates with
// vsync, variable refresh, without vsync, with slow frames and a stall. Each gives the
// show's 60 passes a second, never two passes in a burst.
#include "shell/frame_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int64_t kSecond = 1000000;

// With vsync a swap returns at the refresh that shows the frame, the `interval`-th after
// the previous one at the earliest; variable refresh shows a frame as soon as it is
// ready, at most `hz` times a second; without vsync a swap returns at once.
struct Display {
  double hz = 60;
  bool vsync = true;
  bool variable = false;
  bool honoursInterval = true;  // false: waits for one refresh whatever is asked
  int interval = 1;
  int64_t shown = -kSecond;

  int64_t Swap(int64_t now) {
    const double period = kSecond / hz;
    if (!vsync) return shown = now + 100;
    if (variable) return shown = std::max(now, shown + static_cast<int64_t>(period));
    const int k = honoursInterval ? interval : 1;
    const double earliest = std::max<double>(now, shown + (k - 0.5) * period);
    return shown = static_cast<int64_t>(std::ceil((earliest - 370) / period) * period + 370);
  }
};

struct Paced {
  int swapInterval = 0;         // what the probe chose
  std::vector<int64_t> starts;  // each pass's start within the 10 s
  std::vector<int64_t> shown;   // when each pass's frame reached the screen
};

// The desktop's loop for 10 s after the probe: wait for the pass's time (a wait ends up to
// 60 us late), draw for `drawMicros(pass)`, swap.
Paced Simulate(Display display, const std::function<int64_t(int)>& drawMicros) {
  int64_t clock = 5000;
  Paced run;
  const auto setInterval = [&](int k) { return display.vsync && (display.interval = k) > 0; };
  run.swapInterval = ProbeRefresh(
      setInterval, [&] { clock = display.Swap(clock + 300); }, [&] { return clock; });
  FramePacer pacer;
  pacer.Start(clock, run.swapInterval);
  const int64_t end = clock + 10 * kSecond;
  for (int pass = 0;; ++pass) {
    clock = std::max(clock, pacer.Due() + 60);
    if (clock >= end) return run;
    run.starts.push_back(clock);
    if (const int k = pacer.PassStarting(clock)) setInterval(k);
    run.shown.push_back(clock = display.Swap(clock + drawMicros(pass)));
  }
}

Display Fixed(double hz, bool vsync = true) {
  Display display;
  display.hz = hz;
  display.vsync = vsync;
  return display;
}

TEST(FramePacerTest, SixtyPassesASecondOnEveryDisplayWithoutBursts) {
  Display variable = Fixed(144);
  variable.variable = true;
  Display ignoresInterval = Fixed(120);
  ignoresInterval.honoursInterval = false;
  const auto quick = [](int) -> int64_t { return 3000; };
  const auto everyTenthSlow = [](int pass) -> int64_t { return pass % 10 == 9 ? 25000 : 3000; };
  struct Case {
    std::string name;
    Display display;
    std::function<int64_t(int)> draw;
    int swapInterval;  // what the probe should choose: 0 for the deadline
  };
  for (const Case& c : std::vector<Case>{
           {"60 Hz", Fixed(60), quick, 1},
           {"59.94 Hz", Fixed(59.94), quick, 1},
           {"75 Hz", Fixed(75), quick, 0},
           {"120 Hz", Fixed(120), quick, 2},
           {"144 Hz", Fixed(144), quick, 0},
           {"165 Hz", Fixed(165), quick, 0},
           {"240 Hz", Fixed(240), quick, 4},
           {"variable refresh up to 144 Hz", variable, quick, 0},
           {"no vsync", Fixed(60, false), quick, 0},
           {"a driver that ignores the interval at 120 Hz", ignoresInterval, quick, 0},
           {"no vsync, every tenth frame 25 ms", Fixed(60, false), everyTenthSlow, 0},
           {"144 Hz, every tenth frame 25 ms", Fixed(144), everyTenthSlow, 0},
       }) {
    SCOPED_TRACE(c.name);
    const Paced run = Simulate(c.display, c.draw);
    EXPECT_EQ(run.swapInterval, c.swapInterval);
    EXPECT_NEAR(static_cast<double>(run.starts.size()), 600.0, 1.0);  // 599.4 at 59.94 Hz
    for (size_t i = 1; i < run.starts.size(); ++i) {
      ASSERT_GE(run.starts[i] - run.starts[i - 1], 10000) << "pass " << i;
    }
    if (c.draw(9) != 3000 || !c.display.vsync || c.display.variable) continue;
    // Each frame stays up for whole refreshes: 2 or 3 at 144 Hz (2.4 on average, so the
    // speed is exact), the same number everywhere else.
    const double period = kSecond / c.display.hz;
    std::vector<long> refreshes;
    for (size_t i = 1; i < run.shown.size(); ++i) {
      refreshes.push_back(std::lround((run.shown[i] - run.shown[i - 1]) / period));
    }
    const auto [fewest, most] = std::minmax_element(refreshes.begin(), refreshes.end());
    const double mean = c.display.hz / 60;  // 0.999 at 59.94 Hz is 1
    EXPECT_EQ(*fewest, static_cast<long>(std::floor(mean + 0.01)));
    EXPECT_EQ(*most, static_cast<long>(std::ceil(mean - 0.01)));
  }
}

// A stall (a dragged window, a swapped-out process) is not made up: the schedule starts
// afresh after it, with the passes evenly spaced again.
TEST(FramePacerTest, AStallIsNotMadeUpWithABurst) {
  const Paced run =
      Simulate(Fixed(60, false), [](int pass) -> int64_t { return pass == 100 ? 300000 : 3000; });
  for (size_t i = 1; i < run.starts.size(); ++i) {
    ASSERT_GE(run.starts[i] - run.starts[i - 1], 16000) << "pass " << i;
  }
  // 17 passes lost: the 0.3 s held 18, one of which drew it.
  EXPECT_NEAR(static_cast<double>(run.starts.size()), 600.0 - 17.0, 1.0);
}

}  // namespace
