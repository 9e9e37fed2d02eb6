// lumivex-capture end to end: the program is run as the user runs it, and its frames and
// sound are checked against the show drawn in this process through the same headless
// GL, and against the offline module player stepped frame by frame.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/gl_api.h"
#include "platform/headless/headless_gl.h"
#include "platform/module_player.h"
#include "resources/music_player.h"
#include "resources/startup.h"
#include "shell/gl_window.h"
#include "show/intro.h"
#include "tests/capture/capture_support.h"
#include "tests/capture/png_decode.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// Sound frames in a WAVE file written by the capture (16-bit stereo at 44100 Hz).
int64_t WavFrames(const std::string& path) {
  const std::vector<uint8_t> b = ReadAll(path);
  if (b.size() < 44 || Le32(b, 24) != 44100 || b[22] != 2 || b[34] != 16) return -1;
  if (Le32(b, 40) != b.size() - 44) return -2;  // the header must say what the file holds
  return (b.size() - 44) / 4;
}

// Largest difference of one channel between two pictures of the same size, and the
// share of channels that differ by more than `tolerance`.
struct Difference {
  int largest = 0;
  double share = 0.0;
};
Difference Compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tolerance) {
  Difference d;
  if (a.size() != b.size() || a.empty()) return {256, 1.0};
  size_t over = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const int diff = std::abs(a[i] - b[i]);
    d.largest = std::max(d.largest, diff);
    if (diff > tolerance) ++over;
  }
  d.share = static_cast<double>(over) / a.size();
  return d;
}

std::vector<uint8_t> Frame(const std::string& folder, int index) {
  char name[32];
  std::snprintf(name, sizeof name, "frame_%06d.png", index);
  DecodedPng png;
  std::string error;
  EXPECT_TRUE(ReadPngFile(folder + "/" + name, &png, &error)) << error;
  EXPECT_EQ(png.width, kWidth);
  EXPECT_EQ(png.height, kHeight);
  return png.rgb;
}

// What this process knows independently of the capture: the first frame at which the
// offline module (stepped by rate / fps sound frames a frame, remainder carried) reports
// order 2, and the logo and first tunnel frames drawn by the show's code at 320 x 240.
struct Reference {
  int64_t firstTunnelFrame = -1;
  size_t renderedAfterStartUp = 0;  // sound the show's own start-up left to render offline
  std::vector<uint8_t> logo, tunnel;
};

const Reference& Expected(int fps) {
  static std::unique_ptr<Reference> reference;
  if (reference) return *reference;
  reference = std::make_unique<Reference>();
  if (ModuleDeviceInitOffline(44100) && ModuleMusicLoad("data/lumivex.xm", kMusicLoadFlags) &&
      ModuleMusicPlay()) {
    std::vector<int16_t> sound;
    uint64_t rendered = 0;
    for (int64_t frame = 0; frame < 120 * fps; ++frame) {
      if ((ModuleMusicGetPosition() & 0xFFFF) == 2) {
        reference->firstTunnelFrame = frame;
        break;
      }
      const uint64_t upTo = static_cast<uint64_t>(frame + 1) * 44100 / fps;
      sound.resize(2 * (upTo - rendered));
      ModuleRender(sound.data(), upTo - rendered);
      rendered = upTo;
    }
  }
  ModuleDeviceFree();

  // Made once and never destroyed: tearing a Mesa context down from an exit handler,
  // after LLVM's own statics are gone, can spin for ever.
  static HeadlessGL* gl = new HeadlessGL(kWidth, kHeight);
  if (!gl->ok()) return *reference;
  ModuleSelectOffline(true);
  ResizeView(kWidth, kHeight);
  // Start-up writes its error log into the working folder: not the repository's.
  const fs::path previous = fs::current_path();
  fs::current_path(ShowFolder().str());
  InitRenderState();
  fs::current_path(previous);
  DrawIntro();  // order 0: the logo
  reference->logo = gl->ReadFrameTopDown();
  ModuleMusicSetPosition(2);  // order 2, row 0: the tunnel, first drawn here
  DrawIntro();
  reference->tunnel = gl->ReadFrameTopDown();
  std::vector<int16_t> sound(2 * 441);
  reference->renderedAfterStartUp = ModuleRender(sound.data(), 441);
  return *reference;
}

TEST(Capture, TwoRunsGiveIdenticalFilesOfTheExpectedSizes) {
  TempFolder folder;
  const RunResult a = Capture("--seconds 2 --out " + Quote(folder / "a.y4m"));
  const RunResult b = Capture("--seconds 2 --out " + Quote(folder / "b.y4m"));
  ASSERT_EQ(a.code, 0) << a.err;
  ASSERT_EQ(b.code, 0) << b.err;
  const std::vector<uint8_t> videoA = ReadAll(folder / "a.y4m");
  const std::string header = "YUV4MPEG2 W800 H600 F60:1 Ip A1:1 C420jpeg XCOLORRANGE=LIMITED\n";
  EXPECT_EQ(videoA.size(), header.size() + 120 * (6 + 800 * 600 * 3 / 2));
  EXPECT_TRUE(videoA == ReadAll(folder / "b.y4m"));
  EXPECT_EQ(WavFrames(folder / "a.wav"), 120 * 735);
  EXPECT_TRUE(ReadAll(folder / "a.wav") == ReadAll(folder / "b.wav"));
}

TEST(Capture, EverySceneIsTheSameOnEveryRun) {
  // At 2 frames a second, 120 frames span the whole intro and the start of the tour.
  TempFolder folder;
  const std::string args = "--fps 2 --size 320x240 --seconds 60 --out ";
  const RunResult a = Capture(args + Quote(folder / "a"));
  const RunResult b = Capture(args + Quote(folder / "b"));
  ASSERT_EQ(a.code, 0) << a.err;
  ASSERT_EQ(b.code, 0) << b.err;
  int differing = 0;
  std::vector<uint8_t> previous;
  int changes = 0;
  for (int i = 0; i < 120; ++i) {
    const std::vector<uint8_t> frame = Frame(folder / "a", i);
    if (frame != Frame(folder / "b", i)) ++differing;
    if (!previous.empty() && frame != previous) ++changes;
    previous = frame;
  }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(changes, 60);  // the frames move: this is not 120 copies of one picture
  EXPECT_TRUE(ReadAll(folder / "a/audio.wav") == ReadAll(folder / "b/audio.wav"));
  EXPECT_EQ(WavFrames(folder / "a/audio.wav"), 60 * 44100);
}

TEST(Capture, ASecondCaptureIntoTheSameFolderLeavesNoFramesOfTheFirst) {
  TempFolder folder;
  ASSERT_EQ(Capture("--size 64x48 --fps 10 --seconds 1 --out " + Quote(folder / "f")).code, 0);
  std::ofstream(folder / "f/notes.txt") << "mine\n";
  ASSERT_EQ(Capture("--size 64x48 --fps 10 --seconds 0.5 --out " + Quote(folder / "f")).code, 0);
  int frames = 0;
  for (const auto& entry : fs::directory_iterator(folder / "f")) {
    if (entry.path().extension() == ".png") ++frames;
  }
  EXPECT_EQ(frames, 5);
  EXPECT_TRUE(fs::exists(folder / "f/notes.txt"));  // only the capture's own frames go
  EXPECT_EQ(WavFrames(folder / "f/audio.wav"), 44100 / 2);
}

TEST(Capture, WritesToPathsWithPercentSignsAsTheyStand) {
  TempFolder folder;
  const RunResult frames =
      Capture("--fps 30 --size 64x48 --seconds 0.1 --out " + Quote(folder / "100%s%n") + "/");
  ASSERT_EQ(frames.code, 0) << frames.err;
  for (const char* name : {"frame_000000.png", "frame_000002.png", "audio.wav"}) {
    EXPECT_TRUE(fs::exists(folder / (std::string("100%s%n/") + name))) << name;
  }
  EXPECT_FALSE(fs::exists(folder / "100%s%n/frame_000003.png"));

  const RunResult video =
      Capture("--fps 30 --size 64x48 --seconds 0.1 --out " + Quote(folder / "50%d%%.y4m"));
  ASSERT_EQ(video.code, 0) << video.err;
  EXPECT_GT(fs::file_size(folder / "50%d%%.y4m"), 0u);
  EXPECT_EQ(WavFrames(folder / "50%d%%.wav"), 3 * 44100 / 30);
}

TEST(Capture, AnInterruptedCaptureLeavesValidFiles) {
  TempFolder folder;
  // Interrupted somewhere in the intro (at 240 frames a second it runs to over 11000
  // frames), once frames are being written: the capture takes Ctrl-C from its first frame
  // on, and a background job ignores it before that, however slow the start-up.
  const std::string video = Quote(folder / "v.y4m");
  const std::string command = "cd " + Quote(ShowFolder().str()) + " && (" + Quote(LUMIVEX_CAPTURE) +
                              " --quiet --fps 240 --size 64x48 --out " + video +
                              " >/dev/null 2>&1 & pid=$!; for i in $(seq 1 400); do"
                              " [ \"$(stat -c %s " +
                              video +
                              " 2>/dev/null || echo 0)\" -gt 10000 ] && break; sleep 0.05;"
                              " done; kill -INT $pid; wait $pid)";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  const std::string header = "YUV4MPEG2 W64 H48 F240:1 Ip A1:1 C420jpeg XCOLORRANGE=LIMITED\n";
  const uint64_t frameBytes = 6 + 64 * 48 * 3 / 2;
  const uint64_t videoBytes = fs::file_size(folder / "v.y4m") - header.size();
  EXPECT_EQ(videoBytes % frameBytes, 0u);  // whole frames only
  const int64_t frames = static_cast<int64_t>(videoBytes / frameBytes);
  EXPECT_GT(frames, 0);
  EXPECT_LT(frames, 11000);  // it did stop early
  // The sound's header, its data and the video agree.
  EXPECT_EQ(WavFrames(folder / "v.wav"), frames * 44100 / 240);
}

TEST(Capture, SoundKeepsInStepWhenTheRateDoesNotDivide) {
  // 44100 / 13 is not whole: 26 frames must still hold exactly two seconds of sound.
  TempFolder folder;
  const RunResult run =
      Capture("--fps 13 --size 64x48 --seconds 2 --out " + Quote(folder / "v.y4m"));
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(WavFrames(folder / "v.wav"), 2 * 44100);
}

TEST(Capture, StartsWithTheLogoAndCutsToTheTunnelWhenTheMusicReachesOrder2) {
  constexpr int kFps = 30;
  const Reference& expected = Expected(kFps);
  ASSERT_GT(expected.firstTunnelFrame, 1) << "the module never reaches order 2";
  ASSERT_FALSE(expected.logo.empty());
  const int64_t f = expected.firstTunnelFrame;

  TempFolder folder;
  const std::string seconds = std::to_string((f + 2.5) / kFps);
  const RunResult run = Capture("--fps 30 --size 320x240 --seconds " + seconds + " --out " +
                                Quote(folder / "frames"));
  ASSERT_EQ(run.code, 0) << run.err;
  const std::string frames = folder / "frames";
  EXPECT_TRUE(fs::exists(frames + "/frame_" + std::string(6 - std::to_string(f + 1).size(), '0') +
                         std::to_string(f + 1) + ".png"));

  // The first frame, and the last before the cut, are the logo as drawn here.
  const Difference first = Compare(Frame(frames, 0), expected.logo, 2);
  EXPECT_LE(first.share, 0.001) << "largest channel difference " << first.largest;
  const Difference beforeCut = Compare(Frame(frames, static_cast<int>(f - 1)), expected.logo, 2);
  EXPECT_LE(beforeCut.share, 0.001) << "frame " << f - 1 << " is not the logo";
  // The frame at which the module reaches order 2 is the first tunnel frame.
  const Difference cut = Compare(Frame(frames, static_cast<int>(f)), expected.tunnel, 2);
  EXPECT_LE(cut.share, 0.001) << "frame " << f << " is not the first tunnel frame";
  EXPECT_GT(Compare(expected.tunnel, expected.logo, 2).share, 0.5);  // the two truly differ
  // The show's start-up (MusicLoad) opened the offline player, not a sound device.
  EXPECT_EQ(expected.renderedAfterStartUp, 441u);
}

TEST(Capture, AMissingPictureIsLoggedAsTheShowLogsItAndTheCaptureGoesOn) {
  TempFolder folder;
  LinkShowData(folder, "stars.jpg");
  const RunResult run = Capture("--size 64x48 --seconds 0.5 --out out.y4m", folder.str());
  EXPECT_EQ(run.code, 0) << run.err;
  const std::string line =
      "qenLoadJPEGTexture -> Texture ' data\\stars.jpg ' Loading Error (file don't exist)   [0]";
  EXPECT_NE(run.err.find("Vorlen - ERROR: " + line), std::string::npos) << run.err;
  const std::vector<uint8_t> log = ReadAll(folder / "data/VorlErrors.txt");
  EXPECT_NE(std::string(log.begin(), log.end()).find(line), std::string::npos);
  EXPECT_EQ(WavFrames(folder / "out.wav"), 44100 / 2);
  EXPECT_GT(fs::file_size(folder / "out.y4m"), 30u * 64 * 48);
}

TEST(Capture, WithoutTheMusicTheIntroHoldsAndTheCaptureStillEnds) {
  TempFolder folder;
  LinkShowData(folder, "lumivex.xm");
  // No length given: without music the intro never ends, so the tour's length is taken.
  const RunResult run =
      Capture("--fps 10 --size 64x48 --keys " + Quote(folder / "keys.txt") + " --out out.y4m",
              folder.str());
  // The script is missing: a usage error, before anything is rendered.
  EXPECT_EQ(run.code, 2);
  std::ofstream(folder / "keys.txt") << "0-19 right\n";
  const RunResult second =
      Capture("--fps 10 --size 64x48 --keys " + Quote(folder / "keys.txt") + " --out out.y4m",
              folder.str());
  EXPECT_EQ(second.code, 0) << second.err;
  EXPECT_NE(second.err.find("Quenra3D_Music -> Music File Not Found"), std::string::npos)
      << second.err;
  EXPECT_EQ(WavFrames(folder / "out.wav"), 20 * 4410);  // 20 frames, silent
}

TEST(Capture, BadArgumentsAndUnwritableOutputsFail) {
  for (const char* args : {"", "--fps 0 --out x.y4m", "--size 800x601 --out x.y4m",
                           "--seconds soon --out x.y4m", "--out x.y4m --wobble"}) {
    const RunResult run = Capture(args);
    EXPECT_EQ(run.code, 2) << args;
    EXPECT_NE(run.err.find("usage: lumivex-capture"), std::string::npos) << args;
  }
  TempFolder folder;
  std::ofstream(folder / "bad_keys.txt") << "0-10 right\n11-20 sideways\n";
  const RunResult badScript =
      Capture("--keys " + Quote(folder / "bad_keys.txt") + " --out " + Quote(folder / "x.y4m"));
  EXPECT_EQ(badScript.code, 2);
  EXPECT_NE(badScript.err.find("line 2"), std::string::npos) << badScript.err;

  const RunResult noFolder = Capture("--seconds 0.1 --out /nonexistent-folder/x.y4m");
  EXPECT_EQ(noFolder.code, 1);
  EXPECT_NE(noFolder.err.find("/nonexistent-folder/x.y4m"), std::string::npos) << noFolder.err;
  std::ofstream(folder / "file") << "in the way\n";
  const RunResult notAFolder = Capture("--seconds 0.1 --out " + Quote(folder / "file/frames"));
  EXPECT_EQ(notAFolder.code, 1) << notAFolder.err;
  if (access("/dev/full", W_OK) == 0) {
    // A disk that fills up mid-capture is an error, not a short file reported as done.
    fs::create_symlink("/dev/full", folder / "full.y4m");
    const RunResult full = Capture("--size 64x48 --seconds 1 --out " + Quote(folder / "full.y4m"));
    EXPECT_EQ(full.code, 1);
  }
}

}  // namespace
