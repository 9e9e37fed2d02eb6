// Command-line parsing and output paths of the capture program.
#include "tools/capture/capture_options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>

namespace {

constexpr int kMaxFps = 240;
constexpr int kMinSide = 16;
constexpr int kMaxSide = 4096;
// Ten hours of video: longer is a typing mistake, and the sound would not fit a WAVE.
constexpr double kMaxSeconds = 36000.0;

bool ParseInt(const std::string& text, int low, int high, int* value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  *value = std::atoi(text.c_str());
  return *value >= low && *value <= high;
}

// "N" or "N/D", from 1 to kMaxFps frames a second, kept in lowest terms. Six digits at
// most on either side, so the sound clock's products stay far inside 64 bits.
bool ParseRate(const std::string& text, FrameRate* rate) {
  constexpr int kMaxTerm = 999999;
  const size_t slash = text.find('/');
  int num = 0, den = 1;
  if (!ParseInt(text.substr(0, slash), 1, kMaxTerm, &num)) return false;
  if (slash != std::string::npos && !ParseInt(text.substr(slash + 1), 1, kMaxTerm, &den)) {
    return false;
  }
  if (num < den || num > static_cast<int64_t>(kMaxFps) * den) return false;
  const int common = std::gcd(num, den);
  *rate = {num / common, den / common};
  return true;
}

}  // namespace

std::string CaptureUsage() {
  return "usage: lumivex-capture --out show.mp4|FILE|DIR/ [options]\n"
         "Renders the whole show offline, frame-exact, with the music in step.\n"
         "The pictures and the module are read where the show reads them: data/ in the\n"
         "working folder or beside the program, or the installed copy.\n"
         "\n"
         "  --out OUTPUT     what to write, by its name:\n" +
         FormatList() +
         "  --fps RATE       frames per second: 1 to 240, whole or N/D (60000/1001); default 60\n"
         "  --size WxH       frame size, even numbers from 16 to 4096 (default 800x600)\n"
         "  --seconds S      length of the video (default: until the key tour ends)\n"
         "  --keys FILE      the gallery's key script (default: the built-in tour)\n"
         "  --quiet          no progress on the terminal\n"
         "  --dry-run        draw every frame but write nothing (a timing floor)\n"
         "  --help           this text\n"
         "  --version        the version\n"
         "\n"
         "Key script: one line per frame range, frames counted from the first gallery frame:\n"
         "  FIRST-LAST key...   or   FRAME key...     keys: left right up down 1 2 3\n"
         "A range without keys holds none; '#' starts a comment. The tour ends after the\n"
         "last frame named. Turning and walking move a fixed step per frame, as in the show.\n";
}

bool ParseCaptureOptions(const std::vector<std::string>& args, CaptureOptions* options,
                         std::string* error) {
  CaptureOptions parsed;
  double seconds = 0.0;  // 0: not given
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= args.size()) {
        *error = arg + " needs a value";
        return false;
      }
      *out = args[++i];
      return true;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
    } else if (arg == "--version") {
      parsed.version = true;
    } else if (arg == "--out") {
      if (!value(&text)) return false;
      // An existing folder takes frames whatever its name (mktemp -d gives "tmp.XXXX").
      std::error_code ignored;
      parsed.format =
          std::filesystem::is_directory(text, ignored) ? &kOutputFormats[0] : FormatForPath(text);
      if (text.empty() || !parsed.format) {
        *error = "--out \"" + text + "\": no format of that name; --out takes one of the " +
                 "formats listed below (end a folder's name with / where it holds a dot)";
        return false;
      }
      parsed.out = text;
    } else if (arg == "--fps") {
      if (!value(&text)) return false;
      if (!ParseRate(text, &parsed.rate)) {
        *error = "--fps wants a rate from 1 to 240, whole or N/D (30000/1001 for 29.97), not \"" +
                 text + "\"";
        return false;
      }
    } else if (arg == "--size") {
      if (!value(&text)) return false;
      const size_t x = text.find_first_of("xX");
      if (x == std::string::npos ||
          !ParseInt(text.substr(0, x), kMinSide, kMaxSide, &parsed.width) ||
          !ParseInt(text.substr(x + 1), kMinSide, kMaxSide, &parsed.height) || parsed.width % 2 ||
          parsed.height % 2) {
        *error = "--size wants WxH, even numbers from 16 to 4096, not \"" + text + "\"";
        return false;
      }
    } else if (arg == "--seconds") {
      if (!value(&text)) return false;
      char* end = nullptr;
      const double given = std::strtod(text.c_str(), &end);
      if (text.empty() || *end || !(given > 0.0) || given > kMaxSeconds) {
        *error = "--seconds wants a length from 0 to 36000, not \"" + text + "\"";
        return false;
      }
      seconds = given;
    } else if (arg == "--keys") {
      if (!value(&parsed.keysFile)) return false;
    } else if (arg == "--no-mux") {
      // Older scripts ask not to run ffmpeg after a Y4M capture; nothing runs it any more.
    } else if (arg == "--quiet") {
      parsed.progress = false;
    } else if (arg == "--dry-run") {
      parsed.dryRun = true;
    } else {
      *error = "unknown argument \"" + arg + "\"";
      return false;
    }
  }
  if (parsed.help || parsed.version) {
    *options = parsed;
    return true;
  }
  if (parsed.out.empty() && !parsed.dryRun) {
    *error = "--out is required";
    return false;
  }
  if (seconds > 0.0) {
    // Whole frames, now that the frame rate is known; at least one.
    parsed.frames = std::max<int64_t>(1, std::llround(seconds * parsed.rate.value()));
  }
  *options = parsed;
  return true;
}

CapturePaths PathsFor(const CaptureOptions& options) {
  CapturePaths paths;
  if (!options.format) return paths;
  if (options.format->kind == OutputKind::kFrames) {
    std::string dir = options.out;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    paths.frameDir = dir;
    paths.wav = dir + "/audio.wav";
  } else {
    paths.video = options.out;
    if (options.format->kind == OutputKind::kY4m) {
      paths.wav = options.out.substr(0, options.out.size() - 4) + ".wav";
    }
  }
  return paths;
}

std::string FramePath(const CapturePaths& paths, int64_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(index));
  return paths.frameDir + name;
}

uint64_t SoundFramesBefore(uint64_t frame, uint32_t rate, FrameRate fps) {
  return frame * rate * static_cast<uint64_t>(fps.den) / static_cast<uint64_t>(fps.num);
}
