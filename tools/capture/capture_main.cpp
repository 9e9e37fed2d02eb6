// lumivex-capture: renders the show offline into PNG frames or a Y4M stream plus a WAV.
#include <cstdio>
#include <string>
#include <vector>

#include "lumivex/build_info.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/capture_run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  CaptureOptions options;
  std::string error;
  if (!ParseCaptureOptions(args, &options, &error)) {
    std::fprintf(stderr, "lumivex-capture: %s\n%s", error.c_str(), CaptureUsage());
    return 2;
  }
  if (options.help) {
    std::fputs(CaptureUsage(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("lumivex-capture %s\n", LUMIVEX_VERSION);
    return 0;
  }
  return RunCapture(options);
}
