// Capture speed: lumivex-capture writing the show at 800 x 600 to Y4M (and its WAV),
// against a floor measured in the same run: the same frames drawn and finished but not
// read back or written (--dry-run). Both figures are the program's own frames per second
// over its frame loop (start-up loading excluded). Runs alternate, floor first, so a
// change in the machine's load touches both; the best of each is kept.
//
// Usage: capture_bench [seconds of show (default: all of it)] [rounds (default 1)]
// Run from the repository root (the show reads data/).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// The frames per second the capture reports ("... in T s, F frames/s"), or 0.
double RunCapture(const std::string& args, const std::string& outputFile) {
  const std::string command =
      std::string("'") + LUMIVEX_CAPTURE + "' --quiet --no-mux " + args + " > '" + outputFile + "'";
  if (std::system(command.c_str()) != 0) return 0.0;
  std::ifstream file(outputFile);
  std::string line;
  std::getline(file, line);
  const size_t in = line.rfind(", ");
  return in == std::string::npos ? 0.0 : std::atof(line.c_str() + in + 2);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string seconds = argc > 1 ? std::string(" --seconds ") + argv[1] : "";
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  const std::string folder = "/tmp/lumivex_capture_bench_" + std::to_string(getpid());
  const std::string video = folder + "/bench.y4m";
  const std::string report = folder + "/report.txt";
  if (std::system(("mkdir -p '" + folder + "'").c_str()) != 0) return 1;

  double floorBest = 0.0, captureBest = 0.0;
  for (int round = 0; round < rounds; ++round) {
    const double floorFps = RunCapture("--dry-run --size 800x600" + seconds, report);
    const double captureFps = RunCapture("--size 800x600 --out '" + video + "'" + seconds, report);
    std::remove(video.c_str());
    if (floorFps <= 0.0 || captureFps <= 0.0) {
      std::fprintf(stderr, "capture_bench: a run failed (run from the repository root)\n");
      return 1;
    }
    std::printf("round %d: floor %.1f frames/s, capture %.1f frames/s\n", round + 1, floorFps,
                captureFps);
    floorBest = std::max(floorBest, floorFps);
    captureBest = std::max(captureBest, captureFps);
  }
  std::remove((folder + "/bench.wav").c_str());
  std::remove(report.c_str());
  rmdir(folder.c_str());

  std::printf("floor (draw only)        %7.1f frames/s\n", floorBest);
  std::printf("capture to Y4M + WAV     %7.1f frames/s\n", captureBest);
  std::printf("capture / floor          %7.2f\n", captureBest / floorBest);
  std::printf("capture / real time (60) %7.2f\n", captureBest / 60.0);
  return 0;
}
