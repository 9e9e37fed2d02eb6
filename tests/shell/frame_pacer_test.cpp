// The frame pacer against simulated displays: 10 s of passes on fixed refresh rates with
// vsync, variable refresh, no vsync, slow frames and a stall. Each gives the show's 60
// passes a second and never two passes in a burst.
#include "shell/frame_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int64_t kSecond = 1000000;

// A display and its driver: with vsync a swap returns at the refresh that shows the frame
// (the `interval`-th after the previous one at the earliest); variable refresh shows a
// frame as soon as it is ready, at most `hz` times a second; without vsync a swap
// returns at once.
struct Display {
  double hz = 60;
  bool vsync = true;
  bool variable = false;
  bool honoursInterval = true;  // false: waits for one refresh whatever is asked
  int interval = 1;
  int64_t lastShown = -kSecond;

  bool SetInterval(int k) {
    if (!vsync) return false;
    interval = k;
    return true;
  }
  int64_t Swap(int64_t now) {
    if (!vsync) return lastShown = now + 100;
    const double period = kSecond / hz;
    if (variable) return lastShown = std::max(now, lastShown + static_cast<int64_t>(period));
    const int k = honoursInterval ? interval : 1;
    const double earliest = std::max<double>(now, lastShown + (k - 0.5) * period);
    const double refresh = std::ceil((earliest - 370) / period) * period + 370;
    return lastShown = static_cast<int64_t>(refresh);
  }
};

struct Paced {
  std::vector<int64_t> starts;  // each pass's start within the 10 s
  std::vector<int64_t> shown;   // when each pass's frame reached the screen
  int swapInterval = 0;         // what the probe chose
  bool onVsyncAtEnd = false;
};

// The desktop's loop over 10 s after the probe: wait for the pass's deadline (a wait
// ends up to 60 us late), draw for `drawMicros(pass)`, swap.
Paced Simulate(Display display, const std::function<int64_t(int)>& drawMicros) {
  int64_t clock = 5000;
  Paced run;
  run.swapInterval =
      ProbeRefresh([&](int k) { return display.SetInterval(k); },
                   [&] { clock = display.Swap(clock + 300); }, [&] { return clock; });
  FramePacer pacer;
  pacer.Start(clock, run.swapInterval);
  const int64_t end = clock + 10 * kSecond;
  for (int pass = 0; clock < end; ++pass) {
    const int64_t due = pacer.Due();
    if (clock < due) clock = due + 60;
    if (clock >= end) break;
    run.starts.push_back(clock);
    if (const int k = pacer.PassStarting(clock)) display.SetInterval(k);
    clock += drawMicros(pass);
    clock = display.Swap(clock);
    run.shown.push_back(clock);
  }
  run.onVsyncAtEnd = pacer.OnVsync();
  return run;
}

int64_t ClosestPasses(const Paced& run) {
  int64_t closest = kSecond;
  for (size_t i = 1; i < run.starts.size(); ++i) {
    closest = std::min(closest, run.starts[i] - run.starts[i - 1]);
  }
  return closest;
}

const auto kQuickFrames = [](int) -> int64_t { return 3000; };

struct Case {
  std::string name;
  Display display;
  std::function<int64_t(int)> draw;
  int swapInterval;  // what the probe should choose
};

Display Fixed(double hz) {
  Display display;
  display.hz = hz;
  return display;
}

TEST(FramePacerTest, SixtyPassesASecondOnEveryDisplayWithoutBursts) {
  Display variable = Fixed(144);
  variable.variable = true;
  Display noVsync;
  noVsync.vsync = false;
  Display ignoresInterval = Fixed(120);
  ignoresInterval.honoursInterval = false;
  const auto everyTenthSlow = [](int pass) -> int64_t { return pass % 10 == 9 ? 25000 : 3000; };
  const std::vector<Case> cases = {
      {"60 Hz", Fixed(60), kQuickFrames, 1},
      {"59.94 Hz", Fixed(59.94), kQuickFrames, 1},
      {"75 Hz", Fixed(75), kQuickFrames, 0},
      {"120 Hz", Fixed(120), kQuickFrames, 2},
      {"144 Hz", Fixed(144), kQuickFrames, 0},
      {"165 Hz", Fixed(165), kQuickFrames, 0},
      {"240 Hz", Fixed(240), kQuickFrames, 4},
      {"variable refresh up to 144 Hz", variable, kQuickFrames, 0},
      {"no vsync", noVsync, kQuickFrames, 0},
      {"a driver that ignores the interval at 120 Hz", ignoresInterval, kQuickFrames, 0},
      {"no vsync, every tenth frame 25 ms", noVsync, everyTenthSlow, 0},
      {"144 Hz, every tenth frame 25 ms", Fixed(144), everyTenthSlow, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Paced run = Simulate(c.display, c.draw);
    EXPECT_EQ(run.swapInterval, c.swapInterval);
    // 59.94 Hz on its own vsync: 599.4 passes in 10 s.
    EXPECT_NEAR(static_cast<double>(run.starts.size()), 600.0, 1.0);
    EXPECT_GE(ClosestPasses(run), 10000);
    EXPECT_EQ(run.onVsyncAtEnd, c.swapInterval != 0);
  }
}

// At 144 Hz each frame stays up for 2 or 3 refreshes, 2.4 on average, so the speed is
// exact; at 120 Hz every frame stays up for exactly 2.
TEST(FramePacerTest, EachFrameStaysUpForWholeRefreshesInAnEvenCadence) {
  for (const double hz : {144.0, 120.0}) {
    SCOPED_TRACE(hz);
    const Paced run = Simulate(Fixed(hz), kQuickFrames);
    const double period = kSecond / hz;
    int twos = 0, threes = 0;
    for (size_t i = 1; i < run.shown.size(); ++i) {
      const long refreshes = std::lround((run.shown[i] - run.shown[i - 1]) / period);
      if (refreshes == 2) ++twos;
      if (refreshes == 3) ++threes;
      ASSERT_TRUE(refreshes == 2 || refreshes == 3) << "frame " << i << ": " << refreshes;
    }
    if (hz == 120.0) {
      EXPECT_EQ(threes, 0);
    } else {
      EXPECT_NEAR(static_cast<double>(twos * 2 + threes * 3) / (twos + threes), 2.4, 0.01);
    }
  }
}

// A stall (a dragged window, a swapped-out process) is not made up: the schedule starts
// afresh after it, with the passes evenly spaced again.
TEST(FramePacerTest, AStallIsNotMadeUpWithABurst) {
  Display noVsync;
  noVsync.vsync = false;
  const Paced run =
      Simulate(noVsync, [](int pass) -> int64_t { return pass == 100 ? 300000 : 3000; });
  EXPECT_GE(ClosestPasses(run), 16000);
  // The passes the 0.3 s took are lost: 18 of them, less the one that drew it.
  EXPECT_NEAR(static_cast<double>(run.starts.size()), 600.0 - 17.0, 1.0);
}

TEST(FramePacerTest, TheRefreshIsMeasuredNotTakenOnTrust) {
  const auto presents = [](double hz, double jitter, int count) {
    std::vector<int64_t> times;
    for (int i = 0; i < count; ++i) {
      times.push_back(static_cast<int64_t>(i * kSecond / hz + (i % 2 ? jitter : -jitter)));
    }
    return times;
  };
  EXPECT_EQ(RefreshMultiple(presents(119.88, 200, 12)), 2);  // swaps returning 0.2 ms early or late
  EXPECT_EQ(RefreshMultiple(presents(180, 200, 12)), 3);
  EXPECT_EQ(RefreshMultiple(presents(50, 0, 12)), 0);    // slower than the show
  EXPECT_EQ(RefreshMultiple(presents(2000, 0, 12)), 0);  // swaps that wait for nothing
  EXPECT_EQ(RefreshMultiple(presents(60, 0, 5)), 0);     // too few to tell
  std::vector<int64_t> uneven = presents(60, 0, 12);
  for (size_t i = 4; i < uneven.size(); ++i) uneven[i] += 9000;  // one long gap: still 60
  EXPECT_EQ(RefreshMultiple(uneven), 1);
  for (size_t i = 6; i < uneven.size(); i += 2) uneven[i] += 7000;  // no steady interval
  EXPECT_EQ(RefreshMultiple(uneven), 0);
}

}  // namespace
