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
  const Clock::time_point played = Clock::now();
  EXPECT_EQ(MusicPlay(), 1);
  EXPECT_EQ(MusicGetOrder(), 0);
  EXPECT_EQ(MusicGetRow(), 0);
  const auto heardRows = [] {  // order and row of one moment
    int order, rows;
    do {
      order = MusicGetOrder();
      rows = order * 4 + MusicGetRow();
    } while (MusicGetOrder() != order);
    return rows;
  };
  // Order 1 begins 0.4 s in, later by however late the device starts; never sooner: no
  // more whole rows can have been heard than have passed since the play began.
  int rows = 0;
  Clock::duration took{};
  while (rows < 4 && took < std::chrono::seconds(2)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    rows = heardRows();
    took = Clock::now() - played;
  }
  const double seconds = std::chrono::duration<double>(took).count();
  EXPECT_GE(rows, 4) << "not at order 1 after " << seconds << " s";
  EXPECT_LE(rows, int(seconds / 0.1)) << "row " << rows << " heard after " << seconds << " s";
  EXPECT_EQ(Log(), kBanner);

  // What the device was given before the pause is still heard (a buffer of 1024 frames,
  // 23 ms); from then on the position holds.
  EXPECT_EQ(MusicPause(), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const int paused = heardRows();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(heardRows(), paused);

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
