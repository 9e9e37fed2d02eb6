// The capture's parts without GL: options, key scripts, the sound clock, and the PNG,
// Y4M and WAVE writers checked byte by byte.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/capture/png_decode.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/frame_pipeline.h"
#include "tools/capture/key_script.h"
#include "tools/capture/png_writer.h"
#include "tools/capture/wav_writer.h"
#include "tools/capture/y4m_writer.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

std::string TempPath(const char* name) {
  return "/tmp/lumivex_capture_core_" + std::to_string(getpid()) + "_" + name;
}

bool Parse(std::vector<std::string> args, CaptureOptions* options, std::string* error) {
  return ParseCaptureOptions(args, options, error);
}

TEST(CaptureOptions, DefaultsAndOutputKinds) {
  CaptureOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--out", "frames/"}, &o, &error)) << error;
  EXPECT_EQ(o.fps, 60);
  EXPECT_EQ(o.width, 800);
  EXPECT_EQ(o.height, 600);
  EXPECT_EQ(o.frames, -1);
  EXPECT_FALSE(o.video);
  const CapturePaths dir = PathsFor(o);
  EXPECT_EQ(FramePath(dir, 0), "frames/frame_000000.png");
  EXPECT_EQ(FramePath(dir, 1234567), "frames/frame_1234567.png");
  EXPECT_EQ(dir.wav, "frames/audio.wav");

  ASSERT_TRUE(Parse({"--out", "out/Show.Y4M", "--fps", "30", "--size", "640x360"}, &o, &error));
  EXPECT_TRUE(o.video);
  EXPECT_EQ(o.fps, 30);
  EXPECT_EQ(o.width, 640);
  EXPECT_EQ(o.height, 360);
  const CapturePaths video = PathsFor(o);
  EXPECT_EQ(video.wav, "out/Show.wav");
  EXPECT_EQ(video.mp4, "out/Show.mp4");
}

TEST(CaptureOptions, SecondsBecomeWholeFramesAtTheChosenRate) {
  CaptureOptions o;
  std::string error;
  // The rate may come after the length.
  ASSERT_TRUE(Parse({"--seconds", "2.5", "--out", "a.y4m", "--fps", "24"}, &o, &error));
  EXPECT_EQ(o.frames, 60);
  ASSERT_TRUE(Parse({"--out", "a.y4m", "--seconds", "0.001"}, &o, &error));
  EXPECT_EQ(o.frames, 1);  // never zero frames
}

TEST(CaptureOptions, RefusesBadArguments) {
  CaptureOptions o;
  std::string error;
  const std::vector<std::vector<std::string>> bad = {
      {},                                       // no output
      {"--out"},                                // value missing
      {"--out", "a.y4m", "--fps", "0"},         // too slow
      {"--out", "a.y4m", "--fps", "241"},       // too fast
      {"--out", "a.y4m", "--fps", "6O"},        // not a number
      {"--out", "a.y4m", "--size", "801x600"},  // odd width: no 4:2:0
      {"--out", "a.y4m", "--size", "800"},      // no height
      {"--out", "a.y4m", "--size", "8x8"},      // too small
      {"--out", "a.y4m", "--seconds", "-1"},    // negative
      {"--out", "a.y4m", "--seconds", "2s"},    // trailing junk
      {"--out", "a.y4m", "--seconds", "nan"},   // not a length
      {"--out", "a.y4m", "--frobnicate"},       // unknown
  };
  for (const auto& args : bad) {
    error.clear();
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_FALSE(Parse(args, &o, &error)) << joined;
    EXPECT_FALSE(error.empty()) << joined;
  }
}

TEST(CaptureOptions, MuxCommandQuotesPaths) {
  CaptureOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--out", "it's here/v.y4m"}, &o, &error));
  const std::string command = MuxCommand(o, PathsFor(o));
  EXPECT_NE(command.find("-i 'file:it'\\''s here/v.y4m'"), std::string::npos) << command;
  EXPECT_NE(command.find("'file:it'\\''s here/v.mp4'"), std::string::npos) << command;
}

// Paths are data, never formats: a '%' names itself in every file, and is doubled only
// where ffmpeg reads a frame-number pattern; a colon or a leading '-' is no protocol or
// option to ffmpeg.
TEST(CaptureOptions, PercentSignsColonsAndDashesInPathsStayLiteral) {
  CaptureOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--out", "runs/100%s%n/"}, &o, &error)) << error;
  const CapturePaths frames = PathsFor(o);
  EXPECT_EQ(FramePath(frames, 3), "runs/100%s%n/frame_000003.png");
  EXPECT_EQ(frames.wav, "runs/100%s%n/audio.wav");
  const std::string command = MuxCommand(o, frames);
  EXPECT_NE(command.find("-i 'file:runs/100%%s%%n/frame_%06d.png'"), std::string::npos)
      << command;
  EXPECT_NE(command.find("-i 'file:runs/100%s%n/audio.wav'"), std::string::npos) << command;
  EXPECT_NE(command.find(" 'file:runs/100%s%n/capture.mp4'"), std::string::npos) << command;

  ASSERT_TRUE(Parse({"--out", "-a:b%d.y4m"}, &o, &error)) << error;
  const std::string video = MuxCommand(o, PathsFor(o));
  EXPECT_NE(video.find("-i 'file:-a:b%d.y4m'"), std::string::npos) << video;
  EXPECT_NE(video.find(" 'file:-a:b%d.mp4'"), std::string::npos) << video;
}

TEST(SoundClock, CarriesTheRemainderSoNoSampleIsLost) {
  // 44100 / 24 = 1837.5: frames alternate 1837 and 1838, and every second of video holds
  // exactly 44100 sound frames.
  EXPECT_EQ(SoundFramesBefore(1, 44100, 24), 1837u);
  EXPECT_EQ(SoundFramesBefore(2, 44100, 24) - SoundFramesBefore(1, 44100, 24), 1838u);
  EXPECT_EQ(SoundFramesBefore(24, 44100, 24), 44100u);
  EXPECT_EQ(SoundFramesBefore(13 * 60, 44100, 13), 44100u * 60);
  // Ten hours at 240 frames per second does not overflow.
  EXPECT_EQ(SoundFramesBefore(240ull * 36000, 44100, 240), 44100ull * 36000);
}

TEST(KeyScript, RangesSingleFramesCommentsAndUnions) {
  KeyScript script;
  std::string error;
  ASSERT_TRUE(
      script.Parse("# a tour\n"
                   "0-9 Right up   # two keys\n"
                   "\n"
                   "5-20 left\n"
                   "30 2\n"
                   "40-44\n",
                   &error))
      << error;
  EXPECT_EQ(script.KeysAt(0), kScriptRight | kScriptUp);
  EXPECT_EQ(script.KeysAt(9), kScriptRight | kScriptUp | kScriptLeft);
  EXPECT_EQ(script.KeysAt(10), kScriptLeft);
  EXPECT_EQ(script.KeysAt(21), 0);
  EXPECT_EQ(script.KeysAt(30), kScriptSet2);
  EXPECT_EQ(script.KeysAt(31), 0);
  EXPECT_EQ(script.KeysAt(42), 0);
  EXPECT_EQ(script.Length(), 45);  // a range without keys still lengthens the tour

  uint8_t table[256] = {};
  table[kVkEscape] = 1;
  HoldScriptKeys(kScriptLeft | kScriptSet3, table);
  EXPECT_EQ(table[kVkLeft], 1);
  EXPECT_EQ(table[kVk3], 1);
  EXPECT_EQ(table[kVkRight], 0);
  EXPECT_EQ(table[kVkEscape], 1);  // not a script key: left alone
  HoldScriptKeys(0, table);
  EXPECT_EQ(table[kVkLeft], 0);
  EXPECT_EQ(table[kVk3], 0);
}

TEST(KeyScript, BadLinesAreNamed) {
  KeyScript script;
  std::string error;
  EXPECT_FALSE(script.Parse("0-9 right\n10-5 left\n", &error));
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  EXPECT_FALSE(script.Parse("0-9 jump\n", &error));
  EXPECT_NE(error.find("jump"), std::string::npos) << error;
  EXPECT_FALSE(script.Parse("x-9 right\n", &error));
  EXPECT_FALSE(script.Parse("-9 right\n", &error));
  EXPECT_FALSE(script.Parse("99999999999999999 right\n", &error));
  EXPECT_FALSE(script.Parse("# only a comment\n\n", &error));
}

TEST(KeyScript, DefaultTourTurnsAllRoundWalksAndShowsEverySet) {
  KeyScript script;
  std::string error;
  ASSERT_TRUE(script.Parse(DefaultTourText(), &error)) << error;
  // Replay the tour with the show's steps and limits.
  float yaw = 0.0f, z = 0.0f, maxZ = 0.0f, minZ = 0.0f, maxYaw = 0.0f;
  int set = 1;
  bool seen[4] = {false, true, false, false};
  for (int64_t frame = 0; frame < script.Length(); ++frame) {
    const uint8_t keys = script.KeysAt(frame);
    if (z >= 1.5f) z = 1.499f;
    if (z <= -1.8f) z = -1.799f;
    if (keys & kScriptSet1) set = 1;
    if (keys & kScriptSet2) set = 2;
    if (keys & kScriptSet3) set = 3;
    if (keys & kScriptLeft) yaw -= 0.8f;
    if (keys & kScriptRight) yaw += 0.8f;
    if (keys & kScriptUp) z += 0.1f;
    if (keys & kScriptDown) z -= 0.1f;
    seen[set] = true;
    maxZ = std::max(maxZ, z);
    minZ = std::min(minZ, z);
    maxYaw = std::max(maxYaw, yaw);
  }
  EXPECT_GE(maxYaw, 359.9f);   // all around the room
  EXPECT_GT(maxZ, 1.4f);       // forward to the limit
  EXPECT_LT(minZ, -1.7f);      // and back to the other
  EXPECT_NEAR(z, 0.0f, 0.2f);  // ending near the middle
  EXPECT_TRUE(seen[1] && seen[2] && seen[3]);
  EXPECT_EQ(set, 1);
}

TEST(PngWriter, RoundTripsEveryPixelOfANoisyPicture) {
  // Odd width, values that exercise every filter predictor and byte wrap-around.
  const int width = 37, height = 23;
  std::vector<uint8_t> rgb(width * height * 3);
  uint32_t state = 12345;
  for (auto& v : rgb) {
    state = state * 1103515245u + 12345u;
    v = static_cast<uint8_t>(state >> 16);
  }
  const std::vector<uint8_t> png = EncodePng(rgb.data(), width, height);
  DecodedPng decoded;
  std::string error;
  ASSERT_TRUE(DecodePng(png, &decoded, &error)) << error;
  EXPECT_EQ(decoded.width, width);
  EXPECT_EQ(decoded.height, height);
  EXPECT_EQ(decoded.rgb, rgb);

  const std::string path = TempPath("a.png");
  ASSERT_TRUE(WritePng(path, rgb.data(), width, height, &error)) << error;
  EXPECT_EQ(ReadAll(path), png);
  std::remove(path.c_str());
  EXPECT_FALSE(WritePng("/nonexistent-folder/a.png", rgb.data(), width, height, &error));
  EXPECT_NE(error.find("/nonexistent-folder/a.png"), std::string::npos);
}

TEST(Y4mWriter, ConvertsColoursToStudioRangeAndAveragesChroma) {
  // 4 x 2: a white block and a block of red over blue.
  const uint8_t rgb[] = {255, 255, 255, 255, 255, 255, 255, 0, 0,   255, 0, 0,
                         255, 255, 255, 255, 255, 255, 0,   0, 255, 0,   0, 255};
  uint8_t planes[4 * 2 + 2 + 2];
  RgbToYuv420(rgb, 4, 2, planes);
  EXPECT_EQ(planes[0], 235);  // white luma
  EXPECT_EQ(planes[2], 82);   // red luma
  EXPECT_EQ(planes[6], 41);   // blue luma
  EXPECT_EQ(planes[8], 128);  // white: no chroma
  EXPECT_EQ(planes[10], 128);
  // Red and blue averaged: Cb = 128 + (-38 + 112) * 255 / 2 / 256, Cr alike.
  EXPECT_EQ(planes[9], 165);
  EXPECT_EQ(planes[11], 175);

  const std::string path = TempPath("v.y4m");
  Y4mWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(path, 4, 2, 25, &error)) << error;
  ASSERT_TRUE(writer.WriteFrame(rgb, &error));
  ASSERT_TRUE(writer.WriteFrame(rgb, &error));
  ASSERT_TRUE(writer.Close(&error));
  const std::vector<uint8_t> bytes = ReadAll(path);
  std::remove(path.c_str());
  const std::string header = "YUV4MPEG2 W4 H2 F25:1 Ip A1:1 C420jpeg XCOLORRANGE=LIMITED\n";
  ASSERT_EQ(bytes.size(), header.size() + 2 * (6 + sizeof planes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + header.size()), header);
  const size_t second = header.size() + 6 + sizeof planes;
  EXPECT_EQ(std::string(bytes.begin() + second, bytes.begin() + second + 6), "FRAME\n");
  EXPECT_TRUE(std::equal(planes, planes + sizeof planes, bytes.begin() + second + 6));

  Y4mWriter odd;
  EXPECT_FALSE(odd.Open(path, 5, 2, 25, &error));
  Y4mWriter nowhere;
  EXPECT_FALSE(nowhere.Open("/nonexistent-folder/v.y4m", 4, 2, 25, &error));
}

TEST(WavWriter, HeaderSizesMatchTheSamplesWritten) {
  const std::string path = TempPath("s.wav");
  WavWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(path, 44100, &error)) << error;
  const int16_t first[] = {1, -1, 32767, -32768};
  const int16_t second[] = {0x1234, 0x5678};
  ASSERT_TRUE(writer.Write(first, 2, &error));
  ASSERT_TRUE(writer.Write(second, 1, &error));
  EXPECT_EQ(writer.frames(), 3u);
  ASSERT_TRUE(writer.Close(&error)) << error;
  const std::vector<uint8_t> b = ReadAll(path);
  std::remove(path.c_str());
  ASSERT_EQ(b.size(), 44u + 12u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(Le32(b, 4), b.size() - 8);
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(Le32(b, 24), 44100u);
  EXPECT_EQ(Le32(b, 28), 44100u * 4);
  EXPECT_EQ(b[22], 2);   // stereo
  EXPECT_EQ(b[34], 16);  // bits
  EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
  EXPECT_EQ(Le32(b, 40), 12u);
  // Little-endian samples, in order.
  const std::vector<uint8_t> samples(b.begin() + 44, b.end());
  const std::vector<uint8_t> expected = {1,    0,    0xFF, 0xFF, 0xFF, 0x7F,
                                         0x00, 0x80, 0x34, 0x12, 0x78, 0x56};
  EXPECT_EQ(samples, expected);

  WavWriter nowhere;
  EXPECT_FALSE(nowhere.Open("/nonexistent-folder/s.wav", 44100, &error));
  EXPECT_NE(error.find("/nonexistent-folder/s.wav"), std::string::npos);
}

TEST(Writers, AFullDiskIsAnErrorNotASilentLoss) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  std::string error;
  WavWriter wav;
  ASSERT_TRUE(wav.Open("/dev/full", 44100, &error));  // buffered: the header fits
  std::vector<int16_t> sound(2 * 44100, 7);
  bool failed = !wav.Write(sound.data(), 44100, &error);
  failed = failed || !wav.Close(&error);
  EXPECT_TRUE(failed);
  EXPECT_NE(error.find("/dev/full"), std::string::npos);

  Y4mWriter video;
  ASSERT_TRUE(video.Open("/dev/full", 320, 240, 60, &error));
  std::vector<uint8_t> frame(320 * 240 * 3, 99);
  failed = !video.WriteFrame(frame.data(), &error);
  failed = failed || !video.Close(&error);
  EXPECT_TRUE(failed);
  EXPECT_FALSE(WritePng("/dev/full", frame.data(), 320, 240, &error));
}

TEST(FramePipeline, WritesEveryFrameInOrderAndRecyclesBuffers) {
  std::vector<int64_t> written;
  std::vector<uint8_t> firstBytes;
  FramePipeline pipeline(
      [&](int64_t index, const std::vector<uint8_t>& pixels, std::string*) {
        // A slow disk: the queue fills and Push must wait rather than drop.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        written.push_back(index);
        firstBytes.push_back(pixels.at(0));
        return true;
      },
      2);
  std::string error;
  bool recycled = false;
  for (int64_t i = 0; i < 20; ++i) {
    std::vector<uint8_t> buffer = pipeline.TakeBuffer();
    recycled = recycled || !buffer.empty();
    buffer.assign(16, static_cast<uint8_t>(i));
    ASSERT_TRUE(pipeline.Push(i, std::move(buffer), &error)) << error;
  }
  ASSERT_TRUE(pipeline.Finish(&error)) << error;
  ASSERT_EQ(written.size(), 20u);
  for (int64_t i = 0; i < 20; ++i) {
    EXPECT_EQ(written[i], i);
    EXPECT_EQ(firstBytes[i], i);
  }
  EXPECT_TRUE(recycled);
}

TEST(FramePipeline, AFailedWriteStopsTheRestAndIsReported) {
  std::atomic<int> calls{0};
  FramePipeline pipeline(
      [&](int64_t index, const std::vector<uint8_t>&, std::string* error) {
        ++calls;
        if (index == 3) {
          *error = "disk full at frame 3";
          return false;
        }
        return true;
      },
      1);
  std::string error;
  int refused = 0;
  for (int64_t i = 0; i < 50; ++i) {
    if (!pipeline.Push(i, std::vector<uint8_t>(4), &error)) {
      ++refused;
      EXPECT_EQ(error, "disk full at frame 3");
    }
  }
  EXPECT_GT(refused, 0);
  std::string finishError;
  EXPECT_FALSE(pipeline.Finish(&finishError));
  EXPECT_EQ(finishError, "disk full at frame 3");
  // Nothing after the failed frame was written (at most the queue's one frame was taken).
  EXPECT_LE(calls.load(), 4);
}

}  // namespace
