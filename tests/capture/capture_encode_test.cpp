// lumivex-capture's encoded outputs end to end, as the ffmpeg program decodes them: sound
// and picture in step in MP4, WebM and MKV against a lossless capture of the same show, an
// interrupted capture that plays, and failures that name their cause and leave no file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "tests/capture/capture_support.h"
#include "tests/capture/png_decode.h"
#include "tools/capture/output_formats.h"
#include "tools/xm/xm_writer.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr size_t kFrameBytes = kWidth * kHeight * 3;

// Where the encoded outputs cannot be checked, the test says why; in CI, which installs
// the ffmpeg program, its absence fails.
#define SKIP_WITHOUT_ENCODING()                                                               \
  if (!BuildEncodes()) GTEST_SKIP() << "this build writes PNG and Y4M only";                  \
  if (Shell("command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null") != 0) {          \
    if (std::getenv("CI") && *std::getenv("CI")) FAIL() << "CI is set but no ffmpeg program"; \
    GTEST_SKIP() << "the ffmpeg program is not installed (scripts/install-deps installs it)"; \
  }

// A module silent before order 2, where a loud square wave starts on the first row. Its
// orders of 16 rows at speed 6 and 125 bpm last 1.92 s, so the first sound and the cut to
// the tunnel come at 3.84 s.
std::vector<uint8_t> SilentBeforeOrder2() {
  xm::Module module;
  module.channels = 2;
  xm::Pattern silent(16, 2), note(16, 2);
  note.at(0, 0).note = 49;  // C-4
  note.at(0, 0).instrument = 1;
  module.patterns = {silent, note};
  module.orders = {0, 0, 1, 1, 1, 1, 1};
  xm::Instrument square;
  square.name = "square";
  for (int i = 0; i < 64; ++i) square.samples.push_back(i < 32 ? 24000 : -24000);
  square.loop = true;
  square.loopLength = 64;
  module.instruments = {square};
  return xm::WriteXM(module);
}

// The show's folder with the module above in place of the show's own.
const TempFolder& SyncFolder() {
  static TempFolder folder;
  static bool made = false;
  if (!made) {
    LinkShowData(folder, "lumivex.xm");
    const std::vector<uint8_t> module = SilentBeforeOrder2();
    std::ofstream(folder / "data/lumivex.xm", std::ios::binary)
        .write(reinterpret_cast<const char*>(module.data()), module.size());
    made = true;
  }
  return folder;
}

// Index of the first value whose size reaches a quarter of the loudest; -1 in silence.
int64_t FirstSound(const std::vector<int>& mono) {
  int peak = 0;
  for (int v : mono) peak = std::max(peak, std::abs(v));
  if (peak == 0) return -1;
  for (size_t i = 0; i < mono.size(); ++i) {
    if (4 * std::abs(mono[i]) >= peak) return static_cast<int64_t>(i);
  }
  return -1;
}

double MeanDifference(const uint8_t* a, const uint8_t* b, size_t bytes) {
  double sum = 0;
  for (size_t i = 0; i < bytes; ++i) sum += std::abs(a[i] - b[i]);
  return sum / bytes;
}

// How far one channel (0 red, 1 green, 2 blue) of two RGB frames lies apart: the mean
// absolute difference of their averages over blocks of 20 x 20 pixels. A colour that is
// wrong anywhere counts in full, whichever way it is off, while the encoder's noise from
// pixel to pixel (4:2:0 chroma at every edge; 2.4 to 7 a pixel on average) cancels out.
double BlockColourDifference(const uint8_t* a, const uint8_t* b, int channel) {
  constexpr int kBlock = 20;  // divides the width and the height
  double sum = 0;
  for (int top = 0; top < kHeight; top += kBlock) {
    for (int left = 0; left < kWidth; left += kBlock) {
      int difference = 0;
      for (int y = top; y < top + kBlock; ++y) {
        for (int x = left; x < left + kBlock; ++x) {
          const size_t at = (static_cast<size_t>(y) * kWidth + x) * 3 + channel;
          difference += a[at] - b[at];
        }
      }
      sum += std::abs(difference) / double(kBlock * kBlock);
    }
  }
  return sum / ((kWidth / kBlock) * (kHeight / kBlock));
}

// The first frame that is not the logo: frames before the cut all show it, unmoving.
int FirstChange(const std::vector<uint8_t>& frames) {
  for (size_t i = 1; i * kFrameBytes < frames.size(); ++i) {
    if (MeanDifference(&frames[i * kFrameBytes], frames.data(), kFrameBytes) > 8) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// A lossless capture: its frames (RGB, one after the other), where the picture cuts to
// the tunnel, and the time of the first sound in its WAV.
struct Lossless {
  std::vector<uint8_t> frames;
  int cut = -1;
  double firstSound = -1;
};

const Lossless& Reference(const std::string& fps) {
  static std::map<std::string, Lossless> made;
  if (made.count(fps)) return made[fps];
  Lossless& reference = made[fps];
  TempFolder out;
  const RunResult run =
      Capture("--fps " + fps + " --size 160x120 --seconds 4.5 --out " + Quote(out / "frames/"),
              SyncFolder().str());
  EXPECT_EQ(run.code, 0) << run.err;
  for (int i = 0;; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "frames/frame_%06d.png", i);
    DecodedPng png;
    std::string error;
    if (!ReadPngFile(out / name, &png, &error)) break;
    reference.frames.insert(reference.frames.end(), png.rgb.begin(), png.rgb.end());
  }
  reference.cut = FirstChange(reference.frames);
  // 16-bit stereo at 44100 Hz after a 44-byte header.
  const std::vector<uint8_t> wav = ReadAll(out / "frames/audio.wav");
  std::vector<int> mono;
  for (size_t at = 44; at + 4 <= wav.size(); at += 4) {
    const int left = static_cast<int16_t>(wav[at] | wav[at + 1] << 8);
    const int right = static_cast<int16_t>(wav[at + 2] | wav[at + 3] << 8);
    mono.push_back((left + right) / 2);
  }
  const int64_t first = FirstSound(mono);
  if (first >= 0) reference.firstSound = first / 44100.0;
  return reference;
}

// When the first decoded frame of a stream ("v" or "a") is presented, in seconds. A probe
// that fails, or a time it cannot give ("N/A"), is a failure, never 0 s.
testing::AssertionResult FirstFrameTime(const std::string& file, const char* stream,
                                        double* seconds) {
  std::string out;
  const int code = Shell(std::string("ffprobe -v error -select_streams ") + stream +
                             ":0 -show_entries frame=pts_time -of csv=p=0 " + Quote(file),
                         &out);
  const std::string first = out.substr(0, out.find_first_of(",\n"));
  char* end = nullptr;
  *seconds = std::strtod(first.c_str(), &end);
  if (code != 0 || first.empty() || *end != '\0') {
    return testing::AssertionFailure()
           << "ffprobe (exit code " << code << ") gave \"" << first << "\" for the first frame of "
           << stream << ":0 in " << file;
  }
  return testing::AssertionSuccess();
}

// The file's top-level MP4 boxes, in order.
std::vector<std::string> Mp4Boxes(const std::string& file) {
  const std::vector<uint8_t> b = ReadAll(file);
  std::vector<std::string> boxes;
  for (size_t at = 0; at + 8 <= b.size();) {
    const uint64_t size =
        static_cast<uint64_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
    boxes.emplace_back(b.begin() + at + 4, b.begin() + at + 8);
    if (size < 8) break;
    at += size;
  }
  return boxes;
}

struct SyncCase {
  const char* extension;
  const char* fps;
};

void PrintTo(const SyncCase& c, std::ostream* out) {
  *out << c.extension << " at " << c.fps;
}

class EncodedSync : public testing::TestWithParam<SyncCase> {};

TEST_P(EncodedSync, SoundAndTheCutLandWhereTheyLieInALosslessCapture) {
  SKIP_WITHOUT_ENCODING();
  const SyncCase c = GetParam();
  const Lossless& reference = Reference(c.fps);
  ASSERT_GT(reference.cut, 100) << "the lossless capture never cuts to the tunnel";
  ASSERT_GT(reference.firstSound, 3.0) << "the lossless capture has no sound";

  TempFolder out;
  const std::string file = out / (std::string("show") + c.extension);
  const RunResult run =
      Capture(std::string("--fps ") + c.fps + " --size 160x120 --seconds 4.5 --out " + Quote(file),
              SyncFolder().str());
  ASSERT_EQ(run.code, 0) << run.err;
  // Nothing but the finished file.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(out.str())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{std::string("show") + c.extension});

  // The picture starts at 0, frame i at i / fps, like the lossless frames. Decoded at the
  // file's own rate on its own timeline (-copyts: by default ffmpeg moves the file's
  // earliest time to 0, and in WebM and MKV that is the sound's priming before 0), a
  // picture that starts late repeats its first frame: a file one frame too long.
  double videoStart = -1, soundStart = -1;
  ASSERT_TRUE(FirstFrameTime(file, "v", &videoStart));
  ASSERT_TRUE(FirstFrameTime(file, "a", &soundStart));
  EXPECT_EQ(videoStart, 0.0) << "the picture starts late";
  std::string pictures, sound;
  ASSERT_EQ(Shell("ffmpeg -v error -copyts -i " + Quote(file) +
                      " -map 0:v:0 -fps_mode cfr -f rawvideo -pix_fmt rgb24 -",
                  &pictures),
            0);
  ASSERT_EQ(Shell("ffmpeg -v error -i " + Quote(file) + " -map 0:a:0 -ac 1 -f s16le -", &sound), 0);
  const std::vector<uint8_t> frames(pictures.begin(), pictures.end());
  ASSERT_EQ(frames.size() / kFrameBytes, reference.frames.size() / kFrameBytes)
      << "frames decoded at the file's own rate";
  const int cut = FirstChange(frames);
  EXPECT_EQ(cut, reference.cut);
  // The decoded cut is the tunnel as the show drew it: the right way up (closer to it than
  // to it upside down, pixel by pixel) and in its colours (measured 0.9 to 1.6 in
  // BlockColourDifference; read with the BT.709 matrix, green is 2.8 off, and with the full
  // range, red and green are 10 off).
  if (cut > 0) {
    const uint8_t* decoded = &frames[cut * kFrameBytes];
    const uint8_t* drawn = &reference.frames[cut * kFrameBytes];
    std::vector<uint8_t> flipped(kFrameBytes);
    for (int y = 0; y < kHeight; ++y) {
      std::copy_n(drawn + y * kWidth * 3, kWidth * 3, &flipped[(kHeight - 1 - y) * kWidth * 3]);
    }
    EXPECT_LT(2 * MeanDifference(decoded, drawn, kFrameBytes),
              MeanDifference(decoded, flipped.data(), kFrameBytes));
    for (int channel = 0; channel < 3; ++channel) {
      EXPECT_LT(BlockColourDifference(decoded, drawn, channel), 2.2) << "channel " << channel;
    }
  }

  // 48 kHz mono; its first sample is presented at the audio stream's first frame time
  // (before 0 where the priming is), the picture's first at 0.
  std::vector<int> mono;
  for (size_t at = 0; at + 2 <= sound.size(); at += 2) {
    mono.push_back(static_cast<int16_t>(static_cast<uint8_t>(sound[at]) |
                                        static_cast<uint8_t>(sound[at + 1]) << 8));
  }
  const int64_t first = FirstSound(mono);
  ASSERT_GE(first, 0) << "no sound decoded";
  const double heard = soundStart + first / 48000.0 - videoStart;
  EXPECT_NEAR(heard, reference.firstSound, 0.005)
      << c.extension << " at " << c.fps << " frames/s: first sound at " << heard
      << " s against the picture, " << reference.firstSound << " s in the lossless WAV";
  std::printf(
      "%s at %s frames/s: picture from %.3f s, sound from %.3f s, first sound %+.2f ms "
      "from the lossless capture's\n",
      c.extension, c.fps, videoStart, soundStart, 1000 * (heard - reference.firstSound));

  if (std::string(c.extension) == ".mp4") {
    // Fast start: the index ahead of the media, so a browser plays it while it loads.
    const std::vector<std::string> boxes = Mp4Boxes(file);
    const auto moov = std::find(boxes.begin(), boxes.end(), "moov");
    EXPECT_LT(moov, std::find(boxes.begin(), boxes.end(), "mdat"));
  }
}

INSTANTIATE_TEST_SUITE_P(Containers, EncodedSync,
                         testing::Values(SyncCase{".mp4", "60"}, SyncCase{".webm", "60"},
                                         SyncCase{".mkv", "60"}, SyncCase{".mp4", "30000/1001"},
                                         SyncCase{".webm", "30000/1001"},
                                         SyncCase{".mkv", "30000/1001"}),
                         [](const testing::TestParamInfo<SyncCase>& info) {
                           std::string name =
                               std::string(info.param.extension + 1) + "_" + info.param.fps;
                           std::replace(name.begin(), name.end(), '/', '_');
                           return name;
                         });

TEST(EncodedCapture, TwoRunsGiveTheSameBytes) {
  SKIP_WITHOUT_ENCODING();
  TempFolder out;
  for (const char* extension : {".mp4", ".webm", ".mkv"}) {
    for (const char* run : {"a", "b"}) {
      ASSERT_EQ(
          Capture("--size 64x48 --seconds 0.5 --out " + Quote(out / (std::string(run) + extension)))
              .code,
          0);
    }
    EXPECT_TRUE(ReadAll(out / (std::string("a") + extension)) ==
                ReadAll(out / (std::string("b") + extension)))
        << extension;
  }
}

TEST(EncodedCapture, AnInterruptedCaptureIsAFinishedVideoOfTheFramesWritten) {
  SKIP_WITHOUT_ENCODING();
  TempFolder out, notes;
  const std::string video = out / "v.mp4";
  // Interrupted somewhere in the intro (at 240 frames a second it runs to over 11000
  // frames), once encoded frames are in the file; what the folder holds meanwhile is noted.
  const std::string part = Quote(video + ".part");
  const int code = Shell(
      "cd " + Quote(ShowFolder().str()) + " && (" + Quote(LUMIVEX_CAPTURE) +
      " --quiet --fps 240 --size 160x120 --out " + Quote(video) + " >" + Quote(notes / "stdout") +
      " 2>/dev/null & pid=$!; for i in $(seq 1 400); do" + " [ \"$(stat -c %s " + part +
      " 2>/dev/null || echo 0)\" -gt 40000 ]" + " && break; sleep 0.05; done; ls " +
      Quote(out.str()) + " >" + Quote(notes / "during") + "; kill -INT $pid; wait $pid)");
  EXPECT_EQ(code, 130);
  const std::vector<uint8_t> during = ReadAll(notes / "during");
  EXPECT_EQ(std::string(during.begin(), during.end()), "v.mp4.part\n");
  EXPECT_TRUE(fs::exists(video));
  EXPECT_FALSE(fs::exists(video + ".part"));

  // The frames the capture says it wrote, every one decodable, lasting as long as they do.
  const std::vector<uint8_t> said = ReadAll(notes / "stdout");
  const long long written =
      std::atoll(std::string(said.begin(), said.end()).substr(sizeof("lumivex-capture:")).c_str());
  std::string count, duration, errors;
  Shell(
      "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
      "stream=nb_read_frames -of csv=p=0 " +
          Quote(video),
      &count);
  Shell("ffprobe -v error -show_entries format=duration -of csv=p=0 " + Quote(video), &duration);
  EXPECT_EQ(Shell("ffmpeg -v error -i " + Quote(video) + " -f null - 2>&1", &errors), 0);
  EXPECT_EQ(errors, "");
  EXPECT_GT(written, 0);
  EXPECT_LT(written, 11000);  // it did stop early
  EXPECT_EQ(std::atoll(count.c_str()), written);
  // The sound's last block may reach past the last frame by less than one AAC frame.
  EXPECT_NEAR(std::atof(duration.c_str()), written / 240.0, 1024 / 48000.0 + 1 / 240.0);
}

TEST(EncodedCapture, AFullDiskIsReportedAndLeavesNoFile) {
  SKIP_WITHOUT_ENCODING();
  // A file size limit (64 blocks) stands in for a full disk: the write fails (EFBIG) as it
  // would with ENOSPC. Six seconds of sound alone are over 100 KB. The lossless outputs
  // are held to the same; an 800 x 600 frame fails half written as a PNG.
  for (const char* name : {"x.mp4", "x.y4m", "frames/"}) {
    TempFolder out, notes;
    const std::string size = name[0] == 'f' ? "800x600" : "160x120";
    const int code =
        Shell("cd " + Quote(ShowFolder().str()) + " && ulimit -f 64 && " + Quote(LUMIVEX_CAPTURE) +
              " --quiet --size " + size + " --seconds 6 --out " + Quote(out / name) +
              " >/dev/null 2>" + Quote(notes / "err"));
    const std::vector<uint8_t> bytes = ReadAll(notes / "err");
    const std::string err(bytes.begin(), bytes.end());
    EXPECT_EQ(code, 1) << name;
    EXPECT_NE(err.find(out.str()), std::string::npos) << err;
    EXPECT_NE(err.find("File too large"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_empty(out.str())) << name;
  }
}

TEST(EncodedCapture, AnOutputThatCannotBeMadeIsNamedAndNothingIsDrawn) {
  SKIP_WITHOUT_ENCODING();
  TempFolder out;
  const RunResult missing = Capture("--seconds 1 --out /nonexistent-folder/x.webm");
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("/nonexistent-folder/x.webm: No such file or directory"),
            std::string::npos)
      << missing.err;
  std::ofstream(out / "file") << "in the way\n";
  const RunResult notFolder = Capture("--seconds 1 --out " + Quote(out / "file/x.mkv"));
  EXPECT_EQ(notFolder.code, 1);
  EXPECT_NE(notFolder.err.find("Not a directory"), std::string::npos) << notFolder.err;
  EXPECT_EQ(notFolder.out, "");  // refused before the first frame
  if (geteuid() != 0) {          // root writes anywhere
    fs::create_directories(out / "locked");
    fs::permissions(out / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    const RunResult locked = Capture("--seconds 1 --out " + Quote(out / "locked/x.mp4"));
    EXPECT_EQ(locked.code, 1);
    EXPECT_NE(locked.err.find("Permission denied"), std::string::npos) << locked.err;
    fs::permissions(out / "locked", fs::perms::owner_all);
  }
  EXPECT_EQ(std::vector<std::string>({"file"}), [&] {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(out.str())) {
      names.push_back(e.path().filename().string());
    }
    return names;
  }());
}

TEST(EncodedCapture, ABuildWithoutFFmpegSaysWhatItWritesInOneLine) {
  if (BuildEncodes()) GTEST_SKIP() << "this build encodes (the tests above check it)";
  TempFolder out;
  const RunResult run = Capture("--seconds 1 --out " + Quote(out / "x.mp4"));
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.err.find("lumivex-capture: this build writes PNG frames or Y4M; "), 0u) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_TRUE(fs::is_empty(out.str()));
}

}  // namespace
