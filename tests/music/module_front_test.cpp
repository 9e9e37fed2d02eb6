// The module player's front end, the same over every sound output: with the offline mode
// selected (the capture program's set-up), opening a device opens the offline mode
// instead, across releases, until the selection is withdrawn. Built into the SDL output's
// suite and, under Wine, into the waveOut output's.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/module_player.h"
#include "resources/music_player.h"
#include "tests/music/test_modules.h"
#include "tools/xm/xm_writer.h"

namespace {

class ModuleFront : public ::testing::Test {
 protected:
  void TearDown() override {
    ModuleSelectOffline(false);
    ModuleDeviceFree();
    std::remove(path_.c_str());
  }
  std::string path_ = ::testing::TempDir() + "module_front_test.xm";
};

}  // namespace

TEST_F(ModuleFront, SelectedOfflineModeStandsInForTheDevice) {
  const xm::Module module = testmods::Timed(3, 4, 6, 125);
  ASSERT_TRUE(xm::SaveXM(module, path_));
  const long row = testmods::RowFrames(module);
  std::vector<int16_t> buffer(4 * static_cast<size_t>(row));
  ModuleSelectOffline(true);
  EXPECT_FALSE(ModuleDeviceInit(kModuleDefaultDevice, 0)) << "no rate, no offline mode";
  for (int open = 0; open < 2; ++open) {
    ASSERT_TRUE(ModuleDeviceInit(4000, 44100)) << "a device that does not exist is not asked for";
    ASSERT_TRUE(ModuleMusicLoad(path_.c_str(), kMusicLoadFlags));
    ASSERT_TRUE(ModuleMusicPlay());
    const size_t frames = static_cast<size_t>(row + row / 2);
    ASSERT_EQ(ModuleRender(buffer.data(), frames), frames) << "open " << open;
    EXPECT_EQ(ModuleMusicGetPosition(), 1u << 16) << "order 0, row 1 after a row and a half";
    ModuleDeviceFree();
  }
  ModuleSelectOffline(false);
  EXPECT_FALSE(ModuleDeviceInit(4000, 44100)) << "devices are asked for again";
  EXPECT_EQ(ModuleRender(buffer.data(), 4), 0u);
}
