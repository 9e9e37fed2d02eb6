// lumivex-capture: renders the show offline into a finished video (MP4, WebM, MKV), or
// into PNG frames or a Y4M stream plus a WAV.
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
    std::fprintf(stderr, "lumivex-capture: %s\n%s", error.c_str(), CaptureUsage().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(CaptureUsage().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("lumivex-capture %s\n", LUMIVEX_VERSION);
    return 0;
  }
  if (options.format && options.format->kind == OutputKind::kEncoded && !BuildEncodes()) {
    std::fprintf(stderr,
                 "lumivex-capture: this build writes PNG frames or Y4M; %s needs the build "
                 "with FFmpeg's libraries (the Debian package's), or encode a Y4M capture with "
                 "the ffmpeg program\n",
                 options.out.c_str());
    return 2;
  }
  return RunCapture(options);
}
