// The libopenmpt module player: positions against the module's own timing, offline and
// through a real (dummy) SDL device; looping, restarts, position moves and bad files.
#include "platform/module_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "resources/music_player.h"
#include "tests/music/test_modules.h"
#include "tests/resources/test_pictures.h"
#include "tools/xm/xm_writer.h"

namespace {

using testmods::Order;
using testmods::Row;

class ModulePlayer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }
  void TearDown() override {
    ModuleSelectOffline(false);
    ModuleDeviceFree();
  }

  std::string Save(const xm::Module& module, const std::string& name = "music.xm") {
    const std::string path = folder_ / name;
    EXPECT_TRUE(xm::SaveXM(module, path));
    return path;
  }

  // Renders `frames` offline; returns the loudest sample.
  static int Render(long frames) {
    std::vector<int16_t> buffer(2 * 1000);
    int peak = 0;
    while (frames > 0) {
      const size_t n = size_t(std::min<long>(frames, 1000));
      EXPECT_EQ(ModuleRender(buffer.data(), n), n);
      for (size_t i = 0; i < 2 * n; ++i) peak = std::max(peak, std::abs(int(buffer[i])));
      frames -= long(n);
    }
    return peak;
  }

  testpics::ScratchFolder folder_;
};

TEST_F(ModulePlayer, NothingLoadedMeansNoPositionAndNothingToDo) {
  ModuleDeviceFree();  // harmless before any init
  ModuleDeviceFree();
  EXPECT_EQ(ModuleMusicGetPosition(), kModuleNoPosition);
  EXPECT_FALSE(ModuleMusicLoad(Save(testmods::Timed(2, 8, 6, 125)).c_str(), kMusicLoadFlags))
      << "no device opened yet";
  ASSERT_TRUE(ModuleDeviceInitOffline(44100));
  EXPECT_EQ(ModuleMusicGetPosition(), kModuleNoPosition);
  EXPECT_FALSE(ModuleMusicPlay());
  EXPECT_FALSE(ModuleMusicPause());
  EXPECT_FALSE(ModuleMusicSetPosition(0));
  int16_t frames[2 * 64] = {1};
  EXPECT_EQ(ModuleRender(frames, 64), 64u);
  for (int16_t sample : frames) ASSERT_EQ(sample, 0);

  ASSERT_TRUE(ModuleMusicLoad(Save(testmods::Timed(2, 8, 6, 125)).c_str(), kMusicLoadFlags));
  EXPECT_EQ(ModuleMusicGetPosition(), 0u);
  ModuleMusicFree();
  EXPECT_EQ(ModuleMusicGetPosition(), kModuleNoPosition);
  ModuleDeviceFree();
  EXPECT_EQ(ModuleMusicGetPosition(), kModuleNoPosition);
  EXPECT_EQ(ModuleRender(frames, 64), 0u) << "no offline mode any more";
}

TEST_F(ModulePlayer, BadFilesAreRefusedAndKeepThePlayerUsable) {
  ASSERT_TRUE(ModuleDeviceInitOffline(44100));
  EXPECT_FALSE(ModuleMusicLoad((folder_ / "missing.xm").c_str(), kMusicLoadFlags));
  ASSERT_TRUE(testpics::WriteBytes(folder_ / "text.xm", {'n', 'o', 't', ' ', 'a', ' ', 'm'}));
  EXPECT_FALSE(ModuleMusicLoad((folder_ / "text.xm").c_str(), kMusicLoadFlags));
  std::vector<uint8_t> cut = xm::WriteXM(testmods::Timed(3, 16, 6, 125));
  cut.resize(70);  // the header only
  ASSERT_TRUE(testpics::WriteBytes(folder_ / "cut.xm", cut));
  EXPECT_FALSE(ModuleMusicLoad((folder_ / "cut.xm").c_str(), kMusicLoadFlags));
  EXPECT_EQ(ModuleMusicGetPosition(), kModuleNoPosition);

  // Windows-style names, as the show gives them, find the file.
  Save(testmods::Timed(2, 8, 6, 125), "Lumivex.XM");
  const std::string windowsName = folder_.path() + "\\lumivex.xm";
  EXPECT_TRUE(ModuleMusicLoad(windowsName.c_str(), kMusicLoadFlags));
  EXPECT_EQ(ModuleMusicGetPosition(), 0u);
}

TEST_F(ModulePlayer, OfflinePositionFollowsTheRenderedSamples) {
  // speed 6 at 125 bpm: 6 ticks of 882 frames, 5292 frames a row.
  const xm::Module module = testmods::Timed(4, 8, 6, 125);
  const long row = testmods::RowFrames(module);
  ASSERT_EQ(row, 5292);
  std::vector<uint32_t> runs[2];
  std::vector<int16_t> sound[2];
  for (int run = 0; run < 2; ++run) {
    std::vector<uint32_t>& seen = runs[run];
    ASSERT_TRUE(ModuleDeviceInitOffline(44100));
    ASSERT_TRUE(ModuleMusicLoad(Save(module).c_str(), kMusicLoadFlags));
    ASSERT_TRUE(ModuleMusicPlay());
    // Check half way through each row, so tick boundaries do not matter.
    Render(row / 2);
    for (int i = 0; i < 40; ++i) {
      const uint32_t position = ModuleMusicGetPosition();
      seen.push_back(position);
      const int expected = i % 32;  // 4 orders x 8 rows, then back to order 0
      ASSERT_EQ(Order(position), uint32_t(expected / 8)) << "row " << i;
      ASSERT_EQ(Row(position), uint32_t(expected % 8)) << "row " << i;
      Render(row);
    }
    sound[run].resize(2 * 3000);
    ModuleRender(sound[run].data(), 3000);
  }
  EXPECT_EQ(runs[0], runs[1]);
  EXPECT_EQ(sound[0], sound[1]) << "the same samples on every run";
}

TEST_F(ModulePlayer, LoopReturnsToTheRestartOrder) {
  const xm::Module module = testmods::Timed(5, 4, 3, 150, /*restart=*/2);
  const long row = testmods::RowFrames(module);
  ASSERT_TRUE(ModuleDeviceInitOffline(44100));
  ASSERT_TRUE(ModuleMusicLoad(Save(module).c_str(), kMusicLoadFlags));
  ASSERT_TRUE(ModuleMusicPlay());
  Render(row / 2);
  std::vector<uint32_t> orders;
  for (int i = 0; i < 4 * 11; ++i) {
    const uint32_t position = ModuleMusicGetPosition();
    if (Row(position) == 0) orders.push_back(Order(position));
    Render(row);
  }
  EXPECT_EQ(orders, (std::vector<uint32_t>{0, 1, 2, 3, 4, 2, 3, 4, 2, 3, 4}));
}

TEST_F(ModulePlayer, WithoutLoopTheMusicEndsInSilence) {
  const xm::Module module = testmods::Timed(2, 4, 3, 150);
  const long row = testmods::RowFrames(module);
  ASSERT_TRUE(ModuleDeviceInitOffline(44100));
  ASSERT_TRUE(ModuleMusicLoad(Save(module).c_str(), kModuleRamp));
  ASSERT_TRUE(ModuleMusicPlay());
  EXPECT_GT(Render(4 * row), 1000);
  Render(6 * row);
  EXPECT_EQ(Render(row), 0);
}

TEST_F(ModulePlayer, PositionZeroRestartsWithTheStartingSpeedAndVolume) {
  // Order 1 doubles the speed (F03) and silences everything (global volume G00).
  xm::Module module = testmods::Timed(4, 8, 6, 125);
  module.patterns[1].at(0, 1) = {0, 0, 0, 0x0F, 3};
  module.patterns[1].at(1, 1) = {0, 0, 0, 0x10, 0};
  const long row = testmods::RowFrames(module);
  ASSERT_TRUE(ModuleDeviceInitOffline(44100));
  ASSERT_TRUE(ModuleMusicLoad(Save(module).c_str(), kMusicLoadFlags));
  ASSERT_TRUE(ModuleMusicPlay());
  EXPECT_GT(Render(8 * row), 1000) << "order 0 is audible";
  Render(4 * row / 2);  // into order 1 at double speed
  EXPECT_EQ(Render(row), 0) << "global volume 0 from order 1 row 1";
  const uint32_t before = ModuleMusicGetPosition();
  EXPECT_GE(Order(before), 1u);

  ASSERT_TRUE(ModuleMusicSetPosition(0));
  EXPECT_EQ(ModuleMusicGetPosition(), 0u) << "at once, before anything is rendered";
  EXPECT_GT(Render(row / 2), 1000) << "global volume back to full";
  // Speed 6 again: half way through the fourth row after the restart, still on row 3.
  Render(3 * row);
  EXPECT_EQ(ModuleMusicGetPosition(), 3u << 16);
}

TEST_F(ModulePlayer, MovingThePositionStopsAllNotes) {
  // Order 0 holds a looped note; order 1 is empty.
  xm::Module module = testmods::Timed(2, 16, 6, 125);
  module.patterns[1].at(0, 0) = {};
  const long row = testmods::RowFrames(module);
  ASSERT_TRUE(ModuleDeviceInitOffline(44100));
  ASSERT_TRUE(ModuleMusicLoad(Save(module).c_str(), kMusicLoadFlags));
  ASSERT_TRUE(ModuleMusicPlay());
  EXPECT_GT(Render(2 * row), 1000);
  ASSERT_TRUE(ModuleMusicSetPosition(1u | (4u << 16)));
  EXPECT_EQ(ModuleMusicGetPosition(), 1u | (4u << 16));
  Render(256);  // the volume ramp
  EXPECT_EQ(Render(row), 0);
  EXPECT_EQ(ModuleMusicGetPosition(), 1u | (5u << 16));
  // Back into order 0 mid-pattern: its note is not retriggered there either.
  ASSERT_TRUE(ModuleMusicSetPosition(0u | (3u << 16)));
  Render(256);
  EXPECT_EQ(Render(row / 2), 0);
}

TEST_F(ModulePlayer, PositionsThatDoNotExistAreRefused) {
  ASSERT_TRUE(ModuleDeviceInitOffline(44100));
  ASSERT_TRUE(ModuleMusicLoad(Save(testmods::Timed(3, 16, 6, 125)).c_str(), kMusicLoadFlags));
  ASSERT_TRUE(ModuleMusicPlay());
  Render(testmods::RowFrames(testmods::Timed(3, 16, 6, 125)) * 5 / 2);
  const uint32_t before = ModuleMusicGetPosition();
  EXPECT_EQ(before, 2u << 16);
  EXPECT_FALSE(ModuleMusicSetPosition(3));                 // order 3 of 3
  EXPECT_FALSE(ModuleMusicSetPosition(1u | (16u << 16)));  // row 16 of 16
  EXPECT_EQ(ModuleMusicGetPosition(), before);
  EXPECT_TRUE(ModuleMusicSetPosition(2u | (15u << 16)));
  EXPECT_EQ(ModuleMusicGetPosition(), 2u | (15u << 16));
}

TEST_F(ModulePlayer, PausedMusicHoldsItsPosition) {
  const xm::Module module = testmods::Timed(2, 8, 6, 125);
  const long row = testmods::RowFrames(module);
  ASSERT_TRUE(ModuleDeviceInitOffline(44100));
  ASSERT_TRUE(ModuleMusicLoad(Save(module).c_str(), kMusicLoadFlags));
  EXPECT_EQ(Render(row), 0) << "loaded but not yet playing";
  ASSERT_TRUE(ModuleMusicPlay());
  Render(row * 3 / 2);
  ASSERT_TRUE(ModuleMusicPause());
  EXPECT_EQ(Render(4 * row), 0);
  EXPECT_EQ(ModuleMusicGetPosition(), 1u << 16);
  ASSERT_TRUE(ModuleMusicPlay());
  Render(row);
  EXPECT_EQ(ModuleMusicGetPosition(), 2u << 16);
}

// The dummy driver consumes sound in real time, as a sound card would, as long as its
// thread gets the processor when it asks: on a machine starved of CPU it falls behind the
// wall clock, and so does what it plays. So this test runs alone (CMakeLists.txt, TIMING).
TEST_F(ModulePlayer, HeardPositionKeepsTimeWithARealDevice) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  // 0.25 s a row (speed 10 at 100 bpm), 8 rows an order.
  const xm::Module module = testmods::Timed(4, 8, 10, 100);
  ASSERT_TRUE(ModuleDeviceInit(kModuleDefaultDevice, 44100));
  const std::vector<testmods::HeardSample> heard =
      testmods::PlayAndListen(Save(module).c_str(), 24, 8);
  ASSERT_EQ(heard.size(), 24u);
  // The heard row trails the wall clock's by the device's latency: its start (a late
  // thread starts the sound late, and nothing is heard before) and its buffer. Once the
  // device plays, that lag holds. Both sides count whole rows, so the lag seen wobbles by
  // up to one row, and by the heard frame's steps within a buffer: a callback a buffer
  // early or late (1024 frames, 0.09 row each way).
  const double kWobble = 1.0 + 2.0 * 1024 / 44100 / 0.25;
  std::vector<double> lags;  // rows behind the wall clock, once the device plays
  double lastRows = 0;
  for (const testmods::HeardSample& h : heard) {
    // Play began just before the clock started: never a whole row ahead of it.
    EXPECT_LE(h.rows, std::floor(h.seconds / 0.25) + 1.0) << "after " << h.seconds << " s";
    EXPECT_GE(h.rows, lastRows) << "never runs backwards";
    if (h.rows > 0) lags.push_back(h.seconds / 0.25 - h.rows);
    lastRows = h.rows;
  }
  ASSERT_GE(lags.size(), 16u) << "nothing heard past row 0 in the first second";
  const auto [low, high] = std::minmax_element(lags.begin(), lags.end());
  EXPECT_LT(*high - *low, kWobble)
      << "the heard position strays from the wall clock by " << *high - *low << " rows (from "
      << *low << " to " << *high << " behind): the device's thread fell behind";
  EXPECT_GE(Order(heard.back().position), 1u) << "crossed into the next order";

  // A restart is heard at once.
  ASSERT_TRUE(ModuleMusicSetPosition(0));
  EXPECT_EQ(ModuleMusicGetPosition(), 0u);
  ASSERT_TRUE(ModuleMusicPause());
  const uint32_t paused = ModuleMusicGetPosition();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(ModuleMusicGetPosition(), paused);
  ModuleDeviceFree();
  EXPECT_EQ(ModuleMusicGetPosition(), kModuleNoPosition);
}

TEST_F(ModulePlayer, NoDeviceMeansInitFails) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FALSE(ModuleDeviceInit(kModuleDefaultDevice, 44100));
  EXPECT_FALSE(ModuleMusicLoad(Save(testmods::Timed(2, 8, 6, 125)).c_str(), kMusicLoadFlags));
  EXPECT_EQ(ModuleMusicGetPosition(), kModuleNoPosition);
  ModuleDeviceFree();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_TRUE(ModuleDeviceInit(kModuleDefaultDevice, 44100));
}

}  // namespace
