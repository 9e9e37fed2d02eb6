// The music player over the real module player: its reports, its results and the order
// it reads, with SDL's dummy sound driver and without any driver.
#include "resources/music_player.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/module_player.h"
#include "shell/error_log.h"
#include "tests/music/test_modules.h"
#include "tests/resources/test_pictures.h"

namespace {

constexpr char kBanner[] = " .:Vorlen Engine Errors File:.\n\n\n";

class MusicPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DISPLAY");  // message boxes go to standard error only
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
    ASSERT_FALSE(folder_.path().empty());
    ASSERT_EQ(chdir(folder_.path().c_str()), 0);
    ASSERT_EQ(mkdir("data", 0755), 0);
    ErrorLogOpen();
  }
  void TearDown() override {
    MusicShutdown();
    ASSERT_EQ(chdir(previous_), 0);
  }
  static std::string Log() {
    if (logFile) std::fflush(logFile);
    const std::vector<uint8_t> bytes = testpics::ReadBytes("data/VorlErrors.txt");
    return std::string(bytes.begin(), bytes.end());
  }

  testpics::ScratchFolder folder_;
  char previous_[4096];
};

// Times the dummy device against the wall clock: runs alone (CMakeLists.txt, TIMING).
TEST_F(MusicPlayer, TheShowsModulePlaysFromOrderZeroAndAdvances) {
  // 0.1 s a row, 4 rows an order.
  ASSERT_TRUE(xm::SaveXM(testmods::Timed(8, 4, 5, 125), "data/lumivex.xm"));
  EXPECT_EQ(MusicLoad("data\\lumivex.xm"), 1);
  EXPECT_EQ(MusicSetPosition(0), 1);
  using Clock = std::chrono::steady_clock;
  const Clock::time_point beforePlay = Clock::now();
  EXPECT_EQ(MusicPlay(), 1);
  const Clock::time_point played = Clock::now();
  EXPECT_EQ(MusicGetOrder(), 0);
  EXPECT_EQ(MusicGetRow(), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  const Clock::time_point asked = Clock::now();
  int order, heard;
  do {  // order and row of one moment
    order = MusicGetOrder();
    heard = order * 4 + MusicGetRow();
  } while (MusicGetOrder() != order);
  const Clock::time_point answered = Clock::now();
  // Whole rows of 0.1 s: the music started between beforePlay and played and was asked
  // between asked and answered, so no more rows than fit from beforePlay to answered can
  // have been heard, and no fewer than fit from played to asked, less one for the device's
  // latency (its buffers of 1024 frames, some tens of milliseconds), however long the
  // sleep really took.
  const auto rows = [](Clock::duration d) {
    return int(std::chrono::duration<double>(d).count() / 0.1);
  };
  EXPECT_LE(heard, rows(answered - beforePlay)) << "heard ahead of the wall clock";
  EXPECT_GE(heard, rows(asked - played) - 1)
      << "the device played " << heard << " rows in " << rows(asked - played)
      << " rows' time: on a loaded machine its thread fell behind";
  EXPECT_GE(order, 1) << "the music advances";
  EXPECT_EQ(Log(), kBanner);

  EXPECT_EQ(MusicPause(), 1);
  const int paused = MusicGetOrder() * 4 + MusicGetRow();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(MusicGetOrder() * 4 + MusicGetRow(), paused);

  MusicShutdown();
  EXPECT_EQ(MusicGetOrder(), 0);
  EXPECT_EQ(MusicGetRow(), 0);
  MusicShutdown();  // twice is harmless
}

TEST_F(MusicPlayer, AMissingModuleIsReportedAndReadsOrderZero) {
  EXPECT_EQ(MusicLoad("data\\lumivex.xm"), 1);
  EXPECT_EQ(Log(), std::string(kBanner) + "Quenra3D_Music -> Music File Not Found   [0]\n");
  EXPECT_EQ(ModuleMusicGetPosition(), kModuleNoPosition);
  EXPECT_EQ(MusicGetOrder(), 0);
  EXPECT_EQ(MusicGetRow(), 0);
  EXPECT_EQ(MusicSetPosition(0), 0);
  EXPECT_EQ(MusicPlay(), 0);
}

TEST_F(MusicPlayer, NoSoundDeviceIsReportedAndLoadsNothing) {
  ASSERT_TRUE(xm::SaveXM(testmods::Timed(2, 4, 5, 125), "data/lumivex.xm"));
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_EQ(MusicLoad("data\\lumivex.xm"), 0);
  EXPECT_EQ(Log(), std::string(kBanner) + "Quenra3D_Music -> Can't initialize device   [0]\n");
  EXPECT_EQ(MusicPlay(), 0);
  EXPECT_EQ(MusicGetOrder(), 0);
}

}  // namespace
