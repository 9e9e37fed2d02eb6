// Command-line parsing, output paths and the mux command of the capture program.
#include "tools/capture/capture_options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

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

bool EndsWithY4m(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".y4m";
}

std::string Quote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

// A path for ffmpeg's command line, quoted for the shell. "file:" keeps ffmpeg from taking
// a name with a colon for a protocol, or one that starts with '-' for an option.
std::string FFmpegPath(const std::string& path) {
  return Quote("file:" + path);
}

}  // namespace

const char* CaptureUsage() {
  return "usage: lumivex-capture --out DIR|FILE.y4m [options]\n"
         "Renders the whole show offline, frame-exact, with the music in step.\n"
         "The pictures and the module are read where the show reads them: data/ in the\n"
         "working folder or beside the program, or the installed copy.\n"
         "\n"
         "  --out DIR        numbered PNG frames (frame_000000.png ...) and audio.wav in DIR\n"
         "  --out FILE.y4m   a raw YUV 4:2:0 video stream, and FILE.wav beside it\n"
         "  --fps N          frames per second, 1 to 240 (default 60)\n"
         "  --size WxH       frame size, even numbers from 16 to 4096 (default 800x600)\n"
         "  --seconds S      length of the video (default: until the key tour ends)\n"
         "  --keys FILE      the gallery's key script (default: the built-in tour)\n"
         "  --no-mux         do not run ffmpeg at the end\n"
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
      if (text.empty()) {
        *error = "--out needs a folder or a .y4m file";
        return false;
      }
      parsed.out = text;
      parsed.video = EndsWithY4m(text);
    } else if (arg == "--fps") {
      if (!value(&text)) return false;
      if (!ParseInt(text, 1, kMaxFps, &parsed.fps)) {
        *error = "--fps wants a whole number from 1 to 240, not \"" + text + "\"";
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
      parsed.mux = false;
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
    parsed.frames = std::max<int64_t>(1, std::llround(seconds * parsed.fps));
  }
  *options = parsed;
  return true;
}

CapturePaths PathsFor(const CaptureOptions& options) {
  CapturePaths paths;
  if (options.video) {
    const std::string stem = options.out.substr(0, options.out.size() - 4);
    paths.video = options.out;
    paths.wav = stem + ".wav";
    paths.mp4 = stem + ".mp4";
  } else {
    std::string dir = options.out;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    paths.frameDir = dir;
    paths.wav = dir + "/audio.wav";
    paths.mp4 = dir + "/capture.mp4";
  }
  return paths;
}

std::string FramePath(const CapturePaths& paths, int64_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(index));
  return paths.frameDir + name;
}

std::string MuxCommand(const CaptureOptions& options, const CapturePaths& paths) {
  std::string command = "ffmpeg -y -loglevel error -nostdin ";
  if (options.video) {
    command += "-i " + FFmpegPath(paths.video);
  } else {
    // The image sequence is a pattern to ffmpeg: a '%' of the folder's own is written %%.
    std::string folder;
    for (char c : paths.frameDir) folder += c == '%' ? std::string("%%") : std::string(1, c);
    command += "-framerate " + std::to_string(options.fps) + " -i " +
               FFmpegPath(folder + "/frame_%06d.png");
  }
  command += " -i " + FFmpegPath(paths.wav) +
             " -c:v libx264 -pix_fmt yuv420p -crf 18 -c:a aac -b:a 192k -movflags +faststart " +
             FFmpegPath(paths.mp4);
  return command;
}

uint64_t SoundFramesBefore(uint64_t frame, uint32_t rate, int fps) {
  return frame * rate / static_cast<uint64_t>(fps);
}
