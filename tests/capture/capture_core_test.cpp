// The capture's parts without GL: options, key scripts, the sound clock, the PNG, Y4M and
// WAVE writers checked byte by byte, and the encoded output's refusals.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "platform/platform.h"
#include "tests/capture/png_decode.h"
#include "tools/capture/capture_options.h"
#ifdef LUMIVEX_CAPTURE_ENCODE
#include "tools/capture/encoded_output.h"
#endif
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
  EXPECT_EQ(o.rate.num, 60);
  EXPECT_EQ(o.rate.den, 1);
  EXPECT_EQ(o.width, 800);
  EXPECT_EQ(o.height, 600);
  EXPECT_EQ(o.frames, -1);
  EXPECT_EQ(o.format->kind, OutputKind::kFrames);
  const CapturePaths dir = PathsFor(o);
  EXPECT_EQ(FramePath(dir, 0), "frames/frame_000000.png");
  EXPECT_EQ(FramePath(dir, 1234567), "frames/frame_1234567.png");
  EXPECT_EQ(dir.wav, "frames/audio.wav");

  ASSERT_TRUE(Parse({"--out", "out/Show.Y4M", "--fps", "30", "--size", "640x360"}, &o, &error));
  EXPECT_EQ(o.format->kind, OutputKind::kY4m);
  EXPECT_EQ(o.rate.num, 30);
  EXPECT_EQ(o.width, 640);
  EXPECT_EQ(o.height, 360);
  EXPECT_EQ(PathsFor(o).wav, "out/Show.wav");
}

// The output's name says what it is: a folder, or a file by its extension in any case.
TEST(CaptureOptions, OutputsByTheirNames) {
  const std::vector<std::pair<std::string, std::string>> named = {
      {"show.mp4", ".mp4"}, {"Show.MP4", ".mp4"}, {"a/b.webm", ".webm"},
      {"clip.mkv", ".mkv"}, {"v.y4m", ".y4m"},    {"frames", "/"},
      {"runs/v1.2/", "/"},  {".hidden", "/"},     {"x.y/frames", "/"},
  };
  for (const auto& [path, extension] : named) {
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--out", path}, &o, &error)) << path << ": " << error;
    EXPECT_EQ(o.format->extension, extension) << path;
  }
  CaptureOptions o;
  std::string error;
  // Encoded outputs sound at 48 kHz (800 sound frames a frame at 60), the lossless at the
  // show's 44.1 kHz.
  ASSERT_TRUE(Parse({"--out", "a.webm"}, &o, &error));
  EXPECT_EQ(o.format->soundRate, 48000u);
  EXPECT_EQ(PathsFor(o).video, "a.webm");
  EXPECT_EQ(PathsFor(o).wav, "");  // the sound is inside
  for (const char* unknown : {"show.avi", "show.mp4.bak", "runs/v1.2"}) {
    EXPECT_FALSE(Parse({"--out", unknown}, &o, &error)) << unknown;
    EXPECT_NE(error.find(unknown), std::string::npos) << error;
  }
  // A folder that exists takes frames, dot or not (mktemp -d names them "tmp.XXXXXXXXXX").
  const std::string folder = TempPath("frames.d");
  std::filesystem::create_directory(folder);
  EXPECT_TRUE(Parse({"--out", folder}, &o, &error)) << error;
  EXPECT_EQ(o.format->kind, OutputKind::kFrames);
  std::filesystem::remove(folder);
  // The usage the program prints with that error lists every format.
  for (const OutputFormat& format : kOutputFormats) {
    EXPECT_NE(CaptureUsage().find(format.codecs), std::string::npos) << format.codecs;
  }
}

TEST(CaptureOptions, RatesWholeOrAsFractions) {
  CaptureOptions o;
  std::string error;
  const std::vector<std::tuple<std::string, int, int>> rates = {
      {"24", 24, 1}, {"60000/1001", 60000, 1001}, {"30000/1001", 30000, 1001}, {"120/2", 60, 1},
      {"1", 1, 1},   {"240/1", 240, 1},
  };
  for (const auto& [text, num, den] : rates) {
    ASSERT_TRUE(Parse({"--out", "a.mp4", "--fps", text}, &o, &error)) << text << ": " << error;
    EXPECT_EQ(o.rate.num, num) << text;
    EXPECT_EQ(o.rate.den, den) << text;
  }
  for (const char* bad : {"0", "241", "6O", "29.97", "1/2", "60/0", "/1001", "60/", "1000/1",
                          "60000/-1001", "1234567/1", "60 "}) {
    EXPECT_FALSE(Parse({"--out", "a.mp4", "--fps", bad}, &o, &error)) << bad;
  }
}

TEST(CaptureOptions, SecondsBecomeWholeFramesAtTheChosenRate) {
  CaptureOptions o;
  std::string error;
  // The rate may come after the length.
  ASSERT_TRUE(Parse({"--seconds", "2.5", "--out", "a.y4m", "--fps", "24"}, &o, &error));
  EXPECT_EQ(o.frames, 60);
  ASSERT_TRUE(Parse({"--out", "a.y4m", "--seconds", "0.001"}, &o, &error));
  EXPECT_EQ(o.frames, 1);  // never zero frames
  ASSERT_TRUE(Parse({"--out", "a.mp4", "--seconds", "10", "--fps", "30000/1001"}, &o, &error));
  EXPECT_EQ(o.frames, 300);  // 299.7
}

TEST(CaptureOptions, RefusesBadArguments) {
  CaptureOptions o;
  std::string error;
  const std::vector<std::vector<std::string>> bad = {
      {},                                       // no output
      {"--out"},                                // value missing
      {"--out", "a.y4m", "--size", "801x600"},  // odd width: no 4:2:0
      {"--out", "a.y4m", "--size", "800"},      // no height
      {"--out", "a.y4m", "--size", "8x8"},      // too small
      {"--out", "a.y4m", "--seconds", "-1"},    // negative
      {"--out", "a.y4m", "--seconds", "2s"},    // trailing junk
      {"--out", "a.y4m", "--seconds", "nan"},   // not a length
      {"--out", "a.y4m", "--frobnicate"},       // unknown
      {"--out", ""},                            // no name
  };
  for (const auto& args : bad) {
    error.clear();
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_FALSE(Parse(args, &o, &error)) << joined;
    EXPECT_FALSE(error.empty()) << joined;
  }
}

// Paths are data, never formats: a '%' names itself in every file.
TEST(CaptureOptions, PercentSignsInPathsStayLiteral) {
  CaptureOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--out", "runs/100%s%n/"}, &o, &error)) << error;
  const CapturePaths frames = PathsFor(o);
  EXPECT_EQ(FramePath(frames, 3), "runs/100%s%n/frame_000003.png");
  EXPECT_EQ(frames.wav, "runs/100%s%n/audio.wav");
}

TEST(SoundClock, CarriesTheRemainderSoNoSampleIsLost) {
  // 44100 / 24 = 1837.5: frames alternate 1837 and 1838, and every second of video holds
  // exactly 44100 sound frames.
  EXPECT_EQ(SoundFramesBefore(1, 44100, {24, 1}), 1837u);
  EXPECT_EQ(SoundFramesBefore(2, 44100, {24, 1}) - SoundFramesBefore(1, 44100, {24, 1}), 1838u);
  EXPECT_EQ(SoundFramesBefore(24, 44100, {24, 1}), 44100u);
  EXPECT_EQ(SoundFramesBefore(13 * 60, 44100, {13, 1}), 44100u * 60);
  // 48 kHz at 60: exactly 800 a frame.
  EXPECT_EQ(SoundFramesBefore(1, 48000, {60, 1}), 800u);
  // At 60000/1001 frames are 800.8 sound frames long: 60000 frames last 1001 s.
  const FrameRate ntsc{60000, 1001};
  EXPECT_EQ(SoundFramesBefore(1, 48000, ntsc), 800u);
  EXPECT_EQ(SoundFramesBefore(5, 48000, ntsc), 4004u);
  EXPECT_EQ(SoundFramesBefore(60000, 48000, ntsc), 48000u * 1001);
  // Ten hours at 240 frames per second does not overflow, nor at 30000/1001.
  EXPECT_EQ(SoundFramesBefore(240ull * 36000, 44100, {240, 1}), 44100ull * 36000);
  EXPECT_EQ(SoundFramesBefore(30000ull * 36, 48000, {30000, 1001}), 48000ull * 36 * 1001);
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
  // 16 x 16: the left half white over black, the right half red and blue in alternate
  // rows and, further right, alternate columns.
  constexpr int kSide = 16;
  std::vector<uint8_t> rgb(kSide * kSide * 3);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      uint8_t* p = &rgb[(y * kSide + x) * 3];
      if (x < kSide / 2) {
        p[0] = p[1] = p[2] = y < kSide / 2 ? 255 : 0;
      } else {
        const bool red = x < 12 ? y % 2 == 0 : x % 2 == 0;
        p[0] = red ? 255 : 0;
        p[2] = red ? 0 : 255;
      }
    }
  }
  const std::string path = TempPath("v.y4m");
  Y4mWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(path, kSide, kSide, {25, 1}, 3, &error)) << error;
  ASSERT_TRUE(writer.WriteFrame(rgb.data(), &error));
  // The same frame bottom-up, as the capture reads it back: the planes come out the same.
  std::vector<uint8_t> flipped(rgb.size());
  for (int y = 0; y < kSide; ++y) {
    std::copy_n(&rgb[y * kSide * 3], kSide * 3, &flipped[(kSide - 1 - y) * kSide * 3]);
  }
  ASSERT_TRUE(writer.WriteFrame(&flipped[(kSide - 1) * kSide * 3], -kSide * 3, &error));
  ASSERT_TRUE(writer.Close(&error));
  const std::vector<uint8_t> bytes = ReadAll(path);
  std::remove(path.c_str());
  const std::string header = "YUV4MPEG2 W16 H16 F25:1 Ip A1:1 C420jpeg XCOLORRANGE=LIMITED\n";
  const size_t planes = kSide * kSide * 3 / 2;
  ASSERT_EQ(bytes.size(), header.size() + 2 * (6 + planes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + header.size()), header);
  const uint8_t* first = &bytes[header.size() + 6];
  const uint8_t* second = first + planes + 6;
  EXPECT_EQ(std::string(second - 6, second), "FRAME\n");
  EXPECT_TRUE(std::equal(first, first + planes, second));

  const uint8_t* luma = first;
  const uint8_t* cb = first + kSide * kSide;
  const uint8_t* cr = cb + kSide * kSide / 4;
  EXPECT_EQ(luma[0], 235);                   // white
  EXPECT_EQ(luma[kSide * (kSide - 1)], 16);  // black, bottom left
  EXPECT_NEAR(luma[8], 82, 1);               // red
  EXPECT_NEAR(luma[kSide + 8], 41, 1);       // blue
  // No chroma in grey; red and blue averaged over every 2 x 2 block, down the rows and
  // across the columns alike: Cb = 128 + (-38 + 112) * 255 / 2 / 256, Cr alike.
  for (int y = 0; y < kSide / 2; ++y) {
    for (int x = 0; x < kSide / 2; ++x) {
      const int at = y * kSide / 2 + x;
      EXPECT_EQ(cb[at], x < 4 ? 128 : 165) << x << "," << y;
      EXPECT_EQ(cr[at], x < 4 ? 128 : 175) << x << "," << y;
    }
  }

  Y4mWriter odd;
  EXPECT_FALSE(odd.Open(path, 5, 2, {25, 1}, 3, &error));
  Y4mWriter nowhere;
  EXPECT_FALSE(nowhere.Open("/nonexistent-folder/v.y4m", 4, 2, {25, 1}, 3, &error));
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
  ASSERT_TRUE(video.Open("/dev/full", 320, 240, {60, 1}, 3, &error));
  std::vector<uint8_t> frame(320 * 240 * 3, 99);
  failed = !video.WriteFrame(frame.data(), &error);
  failed = failed || !video.Close(&error);
  EXPECT_TRUE(failed);
  EXPECT_FALSE(WritePng("/dev/full", frame.data(), 320, 240, &error));
}

TEST(FramePipeline, WritesEveryFrameInOrderAndRecyclesBuffers) {
  std::vector<int64_t> written;
  std::vector<uint8_t> firstBytes;
  std::vector<int16_t> firstSamples;
  FramePipeline pipeline(
      [&](int64_t index, const CapturedFrame& frame, std::string*) {
        // A slow disk: the queue fills and Push must wait rather than drop.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        written.push_back(index);
        firstBytes.push_back(frame.pixels.at(0));
        firstSamples.push_back(frame.sound.at(0));
        return true;
      },
      2);
  std::string error;
  bool recycled = false;
  for (int64_t i = 0; i < 20; ++i) {
    CapturedFrame frame = pipeline.TakeBuffer();
    recycled = recycled || !frame.pixels.empty();
    frame.pixels.assign(16, static_cast<uint8_t>(i));
    frame.sound.assign(8, static_cast<int16_t>(-i));
    ASSERT_TRUE(pipeline.Push(i, std::move(frame), &error)) << error;
  }
  ASSERT_TRUE(pipeline.Finish(&error)) << error;
  ASSERT_EQ(written.size(), 20u);
  for (int64_t i = 0; i < 20; ++i) {
    EXPECT_EQ(written[i], i);
    EXPECT_EQ(firstBytes[i], i);
    EXPECT_EQ(firstSamples[i], -i);  // each frame's sound travels with it
  }
  EXPECT_TRUE(recycled);
}

TEST(FramePipeline, AFailedWriteStopsTheRestAndIsReported) {
  std::atomic<int> calls{0};
  FramePipeline pipeline(
      [&](int64_t index, const CapturedFrame&, std::string* error) {
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
    if (!pipeline.Push(i, CapturedFrame{std::vector<uint8_t>(4), {}}, &error)) {
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

#ifdef LUMIVEX_CAPTURE_ENCODE
// A build of FFmpeg without one of the encoders: the error names it and what can be
// written instead, and no file is begun.
TEST(EncodedOutput, AnEncoderThisBuildLacksIsNamedWithWhatItCanWrite) {
  OutputFormat format = kOutputFormats[2];
  ASSERT_STREQ(format.extension, ".mp4");
  format.videoEncoder = "libnonesuch264";
  const std::string path = TempPath("lacking.mp4");
  std::string error;
  EXPECT_EQ(OpenEncodedOutput(format, path, 64, 48, {60, 1}, &error), nullptr);
  EXPECT_NE(error.find("no libnonesuch264 encoder"), std::string::npos) << error;
  EXPECT_NE(error.find("it can write DIR/, FILE.y4m"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}
#endif

}  // namespace
