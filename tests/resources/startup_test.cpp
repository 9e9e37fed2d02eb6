// Start-up loading in a scratch working directory: the texture table in order, one
// report per missing file, the music's reports after every picture, and the GL state.
#include "resources/startup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resources/music_player.h"
#include "shell/error_log.h"
#include "shell/show_state.h"
#include "show/particle_field.h"
#include "tests/resources/test_pictures.h"
#include "tests/support/fake_platform.h"
#include "tests/support/headless_suite.h"

using testpics::Rgb;

namespace {

constexpr char kBanner[] = " .:Vorlen Engine Errors File:.\n\n\n";

// A colour per slot, so each texture can be matched to its file.
Rgb SlotColour(int slot) {
  return Rgb{uint8_t(10 * slot + 20), uint8_t(240 - 10 * slot), 128};
}

std::string PictureReport(const char* file) {
  return std::string("qenLoadJPEGTexture -> Texture ' ") + file +
         " ' Loading Error (file don't exist)   [0]\n";
}

class Startup : public HeadlessSuite {
 protected:
  void SetUp() override {
    HeadlessSuite::SetUp();
    if (HasFatalFailure()) return;
    ResetShowState();
    ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
    ASSERT_FALSE(folder_.path().empty());
    ASSERT_EQ(chdir(folder_.path().c_str()), 0);
    // The show's data folder, as shipped: every picture, each in its own colour.
    ASSERT_EQ(mkdir("data", 0755), 0);
    for (int i = 0; i < kTextureCount; ++i) {
      std::string name = kTextureFiles[i];
      name.replace(name.find('\\'), 1, "/");
      const Rgb colour = SlotColour(i);
      ASSERT_TRUE(testpics::WriteJPEG(name, 8, 8, 3, [&](int, int) { return colour; }));
    }
  }

  void TearDown() override { ASSERT_EQ(chdir(previous_), 0); }

  // The error log as written so far.
  static std::string Log() {
    if (logFile) std::fflush(logFile);
    const std::vector<uint8_t> bytes = testpics::ReadBytes("data/VorlErrors.txt");
    return std::string(bytes.begin(), bytes.end());
  }

  static void Remove(const char* file) {
    std::string name = file;
    name.replace(name.find('\\'), 1, "/");
    ASSERT_EQ(std::remove(name.c_str()), 0);
  }

  testpics::ScratchFolder folder_;
  char previous_[4096];
};

TEST_F(Startup, EverythingPresentLogsOnlyTheBannerAndSetsTheShowUp) {
  glDisable(GL_TEXTURE_2D);
  InitRenderState();  // its result is always true; what it did is checked below
  EXPECT_EQ(Log(), kBanner);
  EXPECT_TRUE(fake::state.boxes.empty());

  // Each slot holds its own file's picture.
  for (int i = 0; i < kTextureCount; ++i) {
    SCOPED_TRACE(kTextureFiles[i]);
    ASSERT_NE(showTextures[i], 0u);
    glBindTexture(GL_TEXTURE_2D, showTextures[i]);
    uint8_t texels[8 * 8 * 3];
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    const Rgb colour = SlotColour(i);
    EXPECT_NEAR(texels[0], colour.r, 4);
    EXPECT_NEAR(texels[1], colour.g, 4);
  }

  // The music: loaded and started, then set back to its start and played.
  const std::vector<std::string> music = {
      "ModuleDeviceInit 44100", "ModuleMusicFree",          "ModuleMusicLoad data\\lumivex.xm 261",
      "ModuleMusicPlay",        "ModuleMusicSetPosition 0", "ModuleMusicPlay"};
  std::vector<std::string> calls;
  for (const std::string& call : fake::state.calls) {
    if (call.compare(0, 6, "Module") == 0) calls.push_back(call);
  }
  EXPECT_EQ(calls, music);

  EXPECT_NE(quadric, nullptr);
  ASSERT_NE(particleField, nullptr);
  EXPECT_EQ(particleField->count, 40u);
  EXPECT_NE(particleField->particles, nullptr);

  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_POLYGON_SMOOTH));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  GLint value = 0;
  glGetIntegerv(GL_DEPTH_FUNC, &value);
  EXPECT_EQ(value, GL_LEQUAL);
  glGetIntegerv(GL_SHADE_MODEL, &value);
  EXPECT_EQ(value, GL_SMOOTH);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
  EXPECT_EQ(value, GL_NICEST);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[0], 0.0f);
  EXPECT_EQ(clear[3], 0.5f);
  GLfloat depth = 0;
  glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth);
  EXPECT_EQ(depth, 1.0f);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Startup, AMissingPictureIsReportedOnceAndLoadingGoesOn) {
  Remove(kTextureFiles[kTexStars]);
  LoadShowResources();
  EXPECT_EQ(Log(), std::string(kBanner) + PictureReport("data\\stars.jpg"));
  ASSERT_EQ(fake::state.boxes.size(), 1u);
  EXPECT_EQ(fake::state.boxes[0].text, PictureReport("data\\stars.jpg"));
  EXPECT_EQ(showTextures[kTexStars], 0u);
  EXPECT_NE(showTextures[kTexDolmane2], 0u);
  EXPECT_NE(showTextures[kTexKavra3], 0u);
}

TEST_F(Startup, EveryMissingPictureIsReportedInTableOrder) {
  for (const char* file : kTextureFiles) Remove(file);
  LoadShowResources();
  std::string expected = kBanner;
  ASSERT_EQ(fake::state.boxes.size(), size_t(kTextureCount));
  for (int i = 0; i < kTextureCount; ++i) {
    expected += PictureReport(kTextureFiles[i]);
    EXPECT_EQ(fake::state.boxes[i].text, PictureReport(kTextureFiles[i]));
    EXPECT_EQ(showTextures[i], 0u);
  }
  EXPECT_EQ(Log(), expected);
  EXPECT_EQ(particleField->count, 40u) << "the rest of the start-up still runs";
}

TEST_F(Startup, AMissingModuleIsReportedAfterEveryPicture) {
  Remove(kTextureFiles[kTexKavra3]);  // the last picture of the table
  fake::state.failing.insert("ModuleMusicLoad");
  LoadShowResources();
  EXPECT_EQ(Log(), std::string(kBanner) + PictureReport("data\\kavra#3.jpg") +
                       "Quenra3D_Music -> Music File Not Found   [0]\n");
  EXPECT_EQ(fake::state.boxes.size(), 2u);
  EXPECT_NE(showTextures[kTexKavra5], 0u);
  EXPECT_EQ(MusicGetOrder(), 0);
}

TEST_F(Startup, NoSoundDeviceGivesASilentShow) {
  fake::state.failing.insert("ModuleDeviceInit");
  InitRenderState();  // its result is always true; what it did is checked below
  EXPECT_EQ(Log(), std::string(kBanner) + "Quenra3D_Music -> Can't initialize device   [0]\n");
  EXPECT_EQ(fake::CountCalls("ModuleMusicLoad"), 0);
  EXPECT_EQ(MusicGetOrder(), 0);
  EXPECT_EQ(MusicGetRow(), 0);
  for (uint32_t slot : showTextures) EXPECT_NE(slot, 0u);
  EXPECT_EQ(particleField->count, 40u);
}

// A page's sound that the browser never starts: the start-up goes as with sound, and the
// page's later check gives the missing device's report, once, with the device released.
TEST_F(Startup, ASoundDeviceThatNeverStartsIsReportedAsNoDevice) {
  fake::state.failing.insert("ModuleDeviceStart");
  InitRenderState();
  MusicCheckDevice();
  EXPECT_EQ(Log(), std::string(kBanner) + "Quenra3D_Music -> Can't initialize device   [0]\n");
  ASSERT_EQ(fake::state.boxes.size(), 1u);
  EXPECT_EQ(fake::state.boxes[0].caption, "Vorlen - ERROR");
  EXPECT_EQ(fake::CountCalls("ModuleDeviceFree"), 1);
  MusicCheckDevice();
  EXPECT_EQ(fake::state.boxes.size(), 1u) << "reported once";
  EXPECT_EQ(fake::CountCalls("ModuleDeviceFree"), 1);
}

TEST_F(Startup, ASoundDeviceThatStartsIsLeftAlone) {
  InitRenderState();
  MusicCheckDevice();
  EXPECT_EQ(Log(), kBanner);
  EXPECT_EQ(fake::CountCalls("ModuleDeviceFree"), 0);
}

}  // namespace
