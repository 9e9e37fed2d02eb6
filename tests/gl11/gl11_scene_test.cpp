// Every scene of the show, and the toolkit's lights, model and font, drawn through the GL
// layer on Mesa's ES 2 and compared with the same frames drawn through Mesa's desktop GL
// (gl11_reference_frames, a separate program: one process holds one of the two builds of
// the show). Both frames of each scene are kept as PPM files in the build folder.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gl_api.h"
#include "tests/gl11/frame_file.h"
#include "platform/headless/headless_gl.h"
#include "tests/gl11/scenes.h"

namespace {

using namespace gl11test;

// llvmpipe rasterises both, so with the same transforms and the same quad splits the
// frames come out equal but for rounding (measured here: no pixel more than 8 apart, at
// most 0.02 mean difference per channel). A wrong quad split, a lost texel offset or a
// missing lighting term moves whole areas, far past these bounds.
constexpr int kChannelTolerance = 8;
constexpr double kMaxDifferingShare = 0.001;  // of the frame's pixels
constexpr double kMaxMeanDifference = 0.25;   // per channel, over the whole frame
constexpr size_t kMinLitPixels = kWidth * kHeight / 200;

struct Comparison {
  double differingShare = 0.0;
  double meanDifference = 0.0;
  size_t litPixels = 0;  // desktop pixels that are not black
};

Comparison Compare(const std::vector<uint8_t>& desktop, const std::vector<uint8_t>& layer) {
  Comparison c;
  size_t differing = 0;
  uint64_t total = 0;
  const size_t pixels = desktop.size() / 3;
  for (size_t i = 0; i < pixels; ++i) {
    int worst = 0;
    for (int k = 0; k < 3; ++k) {
      const int d = std::abs(desktop[3 * i + k] - layer[3 * i + k]);
      total += static_cast<uint64_t>(d);
      if (d > worst) worst = d;
    }
    if (worst > kChannelTolerance) ++differing;
    if (desktop[3 * i] | desktop[3 * i + 1] | desktop[3 * i + 2]) ++c.litPixels;
  }
  c.differingShare = static_cast<double>(differing) / pixels;
  c.meanDifference = static_cast<double>(total) / (3.0 * pixels);
  return c;
}

TEST(Gl11Scenes, EveryFrameMatchesDesktopGL) {
  const std::string folder = LUMIVEX_GL11_FRAMES;
  const std::string desktopFolder = folder + "/desktop";
  const std::string layerFolder = folder + "/layer";
  mkdir(folder.c_str(), 0755);
  mkdir(desktopFolder.c_str(), 0755);
  mkdir(layerFolder.c_str(), 0755);
  const std::string command =
      std::string("'") + LUMIVEX_GL11_REFERENCE + "' '" + desktopFolder + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  // Never destroyed, as the desktop fixture: Mesa must not be torn down at exit.
  static HeadlessGL* gles = new HeadlessGL(kWidth, kHeight, HeadlessGL::Api::kGles2);
  ASSERT_TRUE(gles->ok()) << gles->error();
  StartShow();
  ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  const auto& names = SceneNames();
  for (size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    DrawScene(static_cast<int>(i));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const std::vector<uint8_t> layer = gles->ReadFrameTopDown();
    EXPECT_TRUE(WriteFrame(layerFolder + "/" + names[i] + ".ppm", kWidth, kHeight, layer));
    std::vector<uint8_t> desktop;
    ASSERT_TRUE(ReadFrame(desktopFolder + "/" + names[i] + ".ppm", kWidth, kHeight, &desktop));
    const Comparison c = Compare(desktop, layer);
    // A blank reference would make any blank layer frame pass.
    EXPECT_GT(c.litPixels, kMinLitPixels);
    EXPECT_LE(c.differingShare, kMaxDifferingShare);
    EXPECT_LE(c.meanDifference, kMaxMeanDifference);
    std::printf("%-20s differing %.4f%%  mean %.3f\n", names[i], 100.0 * c.differingShare,
                c.meanDifference);
  }
}

}  // namespace
