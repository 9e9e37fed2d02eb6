// Capture to a finished video: the show at 800 x 600 and 60 frames a second to an MP4 in
// one step (lumivex-capture --out bench.mp4), against two paths measured in the same run:
//   two-step  the way the capture made an MP4 before it encoded itself: a Y4M + WAV
//             capture, then the ffmpeg program with the command it printed (libx264 CRF
//             18 at x264's default preset, AAC)
//   floor     the same frames drawn and finished, nothing read back or written (--dry-run)
// Each path is timed from start to finished file (start-up included), and the disk its
// folder takes is sampled every 50 ms for its peak. The MP4s' quality is their PSNR
// (Y, Cb and Cr samples together) against the lossless frames, the Y4M, both decoded by
// the ffmpeg program.
//
// Usage: capture_bench [seconds of show (default: all of it)]
// Run from the repository root (the show reads data/); needs the ffmpeg program.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 800, kHeight = 600;

std::string Quote(const std::string& word) {
  return "'" + word + "'";
}

// Bytes of the files in `folder`, and the most seen since the sampling began.
class DiskSampler {
 public:
  explicit DiskSampler(std::string folder) : folder_(std::move(folder)) {
    thread_ = std::thread([this] {
      while (!done_) {
        Sample();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    });
  }
  ~DiskSampler() { Stop(); }
  uint64_t Stop() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
    Sample();
    return peak_;
  }

 private:
  void Sample() {
    uint64_t total = 0;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(folder_, code)) {
      const uintmax_t size = entry.file_size(code);
      if (!code) total += size;
    }
    if (total > peak_) peak_ = total;
  }
  std::string folder_;
  std::atomic<bool> done_{false};
  uint64_t peak_ = 0;
  std::thread thread_;
};

// Seconds the command took; negative when it failed.
double Timed(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  const int status = std::system(command.c_str());
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return status == 0 ? seconds : -1.0;
}

// PSNR of every sample of `video` against `reference`, as yuv420p frames decoded by the
// ffmpeg program; 0 when they cannot be read or their frame counts differ.
double Psnr(const std::string& video, const std::string& reference) {
  const auto decode = [](const std::string& file) {
    return popen(("ffmpeg -v error -i " + Quote(file) +
                  " -fps_mode passthrough -f rawvideo -pix_fmt yuv420p -")
                     .c_str(),
                 "r");
  };
  FILE* a = decode(video);
  FILE* b = decode(reference);
  if (!a || !b) return 0.0;
  const size_t frameBytes = kWidth * kHeight * 3 / 2;
  std::vector<uint8_t> x(frameBytes), y(frameBytes);
  double squares = 0.0;
  uint64_t samples = 0;
  size_t gotA = 0, gotB = 0;
  for (;;) {
    gotA = std::fread(x.data(), 1, frameBytes, a);
    gotB = std::fread(y.data(), 1, frameBytes, b);
    if (gotA != frameBytes || gotB != frameBytes) break;
    for (size_t i = 0; i < frameBytes; ++i) {
      const double d = static_cast<double>(x[i]) - y[i];
      squares += d * d;
    }
    samples += frameBytes;
  }
  pclose(a);
  pclose(b);
  if (gotA != gotB || samples == 0) return 0.0;
  return squares > 0 ? 10.0 * std::log10(255.0 * 255.0 * samples / squares) : 99.0;
}

std::string Size(uint64_t bytes) {
  char text[32];
  if (bytes >= 1000000000) {
    std::snprintf(text, sizeof text, "%.2f GB", bytes / 1e9);
  } else {
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string seconds = argc > 1 ? std::string(" --seconds ") + argv[1] : "";
  const std::string folder = "/tmp/lumivex_capture_bench_" + std::to_string(getpid());
  const std::string oneStep = folder + "/one", twoStep = folder + "/two";
  fs::create_directories(oneStep);
  fs::create_directories(twoStep);
  const std::string capture = Quote(LUMIVEX_CAPTURE) + " --quiet --size " + std::to_string(kWidth) +
                              "x" + std::to_string(kHeight) + " --fps 60" + seconds;

  const double floor = Timed(capture + " --dry-run >/dev/null");

  const std::string y4m = twoStep + "/bench.y4m", wav = twoStep + "/bench.wav",
                    twoMp4 = twoStep + "/bench.mp4";
  DiskSampler twoDisk(twoStep);
  const double twoCapture = Timed(capture + " --out " + Quote(y4m) + " >/dev/null");
  // The command the capture printed after a Y4M capture.
  const double twoEncode =
      Timed("ffmpeg -y -loglevel error -nostdin -i " + Quote("file:" + y4m) + " -i " +
            Quote("file:" + wav) +
            " -c:v libx264 -pix_fmt yuv420p -crf 18 -c:a aac -b:a 192k -movflags +faststart " +
            Quote("file:" + twoMp4));
  const uint64_t twoPeak = twoDisk.Stop();

  const std::string oneMp4 = oneStep + "/bench.mp4";
  DiskSampler oneDisk(oneStep);
  const double one = Timed(capture + " --out " + Quote(oneMp4) + " >/dev/null");
  const uint64_t onePeak = oneDisk.Stop();

  if (floor < 0 || twoCapture < 0 || twoEncode < 0 || one < 0) {
    std::fprintf(stderr,
                 "capture_bench: a run failed (run from the repository root, with the "
                 "ffmpeg program installed)\n");
    fs::remove_all(folder);
    return 1;
  }
  const double onePsnr = Psnr(oneMp4, y4m), twoPsnr = Psnr(twoMp4, y4m);
  const uint64_t oneSize = fs::file_size(oneMp4), twoSize = fs::file_size(twoMp4);
  fs::remove_all(folder);

  const double two = twoCapture + twoEncode;
  std::printf("floor (draw only)              %7.1f s\n", floor);
  std::printf("two-step: Y4M + WAV, ffmpeg    %7.1f s  (%.1f s + %.1f s)  peak disk %s\n", two,
              twoCapture, twoEncode, Size(twoPeak).c_str());
  std::printf("one-step MP4                   %7.1f s                    peak disk %s\n", one,
              Size(onePeak).c_str());
  std::printf("one-step / two-step            %7.2f   (target 0.70 at most)\n", one / two);
  std::printf("one-step / floor               %7.2f\n", one / floor);
  std::printf("PSNR against the lossless frames: one-step %.1f dB (%s), two-step %.1f dB (%s)\n",
              onePsnr, Size(oneSize).c_str(), twoPsnr, Size(twoSize).c_str());
  return 0;
}
