// The capture's run: outputs, the intro's length, the show's start-up with the offline
// music, the frame passes with a read-back swap, progress, and the mux at the end.
#include "tools/capture/capture_run.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gl_api.h"
#include "platform/headless/headless_gl.h"
#include "platform/module_player.h"
#include "resources/music_player.h"
#include "resources/show_files.h"
#include "resources/startup.h"
#include "shell/gl_window.h"
#include "shell/main_loop.h"
#include "shell/show_state.h"
#include "show/intro.h"
#include "tools/capture/frame_pipeline.h"
#include "tools/capture/key_script.h"
#include "tools/capture/png_writer.h"
#include "tools/capture/wav_writer.h"
#include "tools/capture/y4m_writer.h"

namespace {

constexpr uint32_t kSoundRate = 44100;  // the rate the show's music player asks for
// How far the intro's length is looked for: a module that has not reached the gallery
// after this long never will (it is missing, or loops before the gallery's order).
constexpr double kLongestIntroSeconds = 1800.0;

using Clock = std::chrono::steady_clock;

struct Session {
  const CaptureOptions* options = nullptr;
  CapturePaths paths;
  std::unique_ptr<HeadlessGL> gl;
  Y4mWriter video;
  WavWriter sound;
  std::vector<int16_t> soundBuffer;
  std::vector<uint8_t> rgb;                 // a frame as PNG takes it (writer thread only)
  std::unique_ptr<FramePipeline> pipeline;  // null in a dry run; uses the fields above
  int64_t limit = -1;                       // frames to write; -1: until the tour ends
  int64_t tourLength = 0;                   // gallery frames of the key script
  int64_t expected = 0;                     // the total, for progress
  int64_t framesDone = 0;
  int64_t galleryDone = 0;  // gallery frames among them
  bool passBeganInIntro = false;
  int swapsThisPass = 0;
  bool stop = false;
  bool failed = false;
  std::string error;
  Clock::time_point started;
  Clock::time_point lastReport;
  bool terminal = false;
};

Session* session = nullptr;

// Ctrl-C or a kill: the capture stops after the frame in hand and closes its files, so
// what was captured stays a valid video and sound file.
volatile std::sig_atomic_t interrupted = 0;
void OnInterrupt(int) {
  interrupted = 1;
}

// The intro runs until a frame sees the gallery's order. Frame n sees the music after
// SoundFramesBefore(n) sound frames; the same offline player, run ahead, says which
// frame that is. Returns the intro's frame count, or -1 when it never ends.
int64_t IntroFrames(int fps) {
  int64_t frames = -1;
  if (ModuleDeviceInitOffline(kSoundRate) && ModuleMusicLoad(kMusicFile, kMusicLoadFlags) &&
      ModuleMusicPlay()) {
    std::vector<int16_t> buffer;
    const int64_t longest = static_cast<int64_t>(kLongestIntroSeconds * fps);
    for (int64_t n = 0; n < longest; ++n) {
      if ((ModuleMusicGetPosition() & 0xFFFFu) == kGalleryOrder) {
        frames = n + 1;
        break;
      }
      const uint64_t count =
          SoundFramesBefore(n + 1, kSoundRate, fps) - SoundFramesBefore(n, kSoundRate, fps);
      buffer.resize(count * 2);
      ModuleRender(buffer.data(), count);
    }
  }
  ModuleDeviceFree();
  return frames;
}

std::string Clock2(double seconds) {
  if (seconds < 0) seconds = 0;
  const long total = static_cast<long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  return text;
}

void ReportProgress(bool last) {
  Session& s = *session;
  if (!s.options->progress) return;
  const Clock::time_point now = Clock::now();
  const double sinceReport = std::chrono::duration<double>(now - s.lastReport).count();
  // A terminal gets a line that updates in place; a log a line every ten seconds.
  if (!last && sinceReport < (s.terminal ? 0.25 : 10.0)) return;
  s.lastReport = now;
  const double elapsed = std::chrono::duration<double>(now - s.started).count();
  const double fps = elapsed > 0 ? s.framesDone / elapsed : 0.0;
  const int64_t left = s.expected > s.framesDone ? s.expected - s.framesDone : 0;
  std::fprintf(stderr, "%sframe %lld of %lld  %.1f frames/s  %s left%s", s.terminal ? "\r" : "",
               static_cast<long long>(s.framesDone), static_cast<long long>(s.expected), fps,
               Clock2(fps > 0 ? left / fps : 0).c_str(), s.terminal && !last ? "   " : "\n");
  std::fflush(stderr);
}

// Writes one frame as read back (RGBA, bottom row first); runs on the writer thread.
bool WritePixels(Session& s, int64_t index, const std::vector<uint8_t>& pixels,
                 std::string* error) {
  const int width = s.options->width, height = s.options->height;
  // glReadPixels returns the bottom row first; video and pictures start with the top row.
  const ptrdiff_t stride = static_cast<ptrdiff_t>(width) * 4;
  const uint8_t* topRow = pixels.data() + stride * (height - 1);
  if (s.options->video) return s.video.WriteFrame(topRow, -stride, 4, error);
  s.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = topRow - stride * y;
    uint8_t* out = s.rgb.data() + static_cast<size_t>(width) * 3 * y;
    for (int x = 0; x < width; ++x, in += 4, out += 3) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
    }
  }
  return WritePng(FramePath(s.paths, index), s.rgb.data(), width, height, error);
}

bool WriteFrame(Session& s) {
  if (!s.pipeline) {
    glFinish();  // a dry run: the frame is drawn in full, as a read-back would wait for
    return true;
  }
  const int width = s.options->width, height = s.options->height;
  std::vector<uint8_t> pixels = s.pipeline->TakeBuffer();
  // RGBA is the framebuffer's own layout: Mesa copies it without converting each pixel.
  pixels.resize(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return s.pipeline->Push(s.framesDone, std::move(pixels), &s.error);
}

// The swap of a captured frame: read back, write, and render the music that plays
// while this frame is shown, so the next frame sees the position after it.
void CaptureSwap() {
  Session& s = *session;
  const bool gallery = !s.passBeganInIntro || s.swapsThisPass > 0;
  ++s.swapsThisPass;
  if (s.stop) return;  // the second frame of a pass that reached the end
  if (!WriteFrame(s)) {
    s.failed = s.stop = true;
    return;
  }
  const int fps = s.options->fps;
  const uint64_t count = SoundFramesBefore(s.framesDone + 1, kSoundRate, fps) -
                         SoundFramesBefore(s.framesDone, kSoundRate, fps);
  s.soundBuffer.resize(count * 2);
  ModuleRender(s.soundBuffer.data(), count);
  if (!s.options->dryRun && !s.sound.Write(s.soundBuffer.data(), count, &s.error)) {
    s.failed = s.stop = true;
    return;
  }
  ++s.framesDone;
  if (gallery) ++s.galleryDone;
  if (s.limit >= 0 && s.framesDone >= s.limit) s.stop = true;
  if (s.limit < 0 && s.galleryDone >= s.tourLength) s.stop = true;
  ReportProgress(false);
}

bool LoadScript(const CaptureOptions& options, KeyScript* script) {
  std::string text = DefaultTourText();
  if (!options.keysFile.empty()) {
    std::ifstream file(options.keysFile);
    if (!file) {
      std::fprintf(stderr, "lumivex-capture: cannot read the key script %s\n",
                   options.keysFile.c_str());
      return false;
    }
    std::ostringstream all;
    all << file.rdbuf();
    text = all.str();
  }
  std::string error;
  if (!script->Parse(text, &error)) {
    std::fprintf(stderr, "lumivex-capture: %s: %s\n",
                 options.keysFile.empty() ? "the default tour" : options.keysFile.c_str(),
                 error.c_str());
    return false;
  }
  return true;
}

// "frame_" and six or more digits, then ".png": the names this program gives frames.
bool IsFrameName(const std::string& name) {
  constexpr size_t kPrefix = 6, kSuffix = 4;
  if (name.size() < kPrefix + 6 + kSuffix || name.compare(0, kPrefix, "frame_") != 0 ||
      name.compare(name.size() - kSuffix, kSuffix, ".png") != 0) {
    return false;
  }
  for (size_t i = kPrefix; i < name.size() - kSuffix; ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

bool OpenOutputs(Session& s) {
  const CaptureOptions& o = *s.options;
  if (o.dryRun) return true;
  if (!o.video) {
    std::error_code code;
    std::filesystem::create_directories(o.out, code);
    if (code || !std::filesystem::is_directory(o.out)) {
      s.error = o.out + ": cannot make the folder" + (code ? " (" + code.message() + ")" : "");
      return false;
    }
    // Frames of an earlier, longer capture would follow this one's into the video.
    int removed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(o.out, code)) {
      if (IsFrameName(entry.path().filename().string()) &&
          std::filesystem::remove(entry.path(), code)) {
        ++removed;
      }
    }
    if (removed) {
      std::fprintf(stderr, "lumivex-capture: removed %d frames of an earlier capture from %s\n",
                   removed, o.out.c_str());
    }
  } else if (!s.video.Open(s.paths.video, o.width, o.height, o.fps, &s.error)) {
    return false;
  }
  return s.sound.Open(s.paths.wav, kSoundRate, &s.error);
}

bool OnPath(const char* program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::stringstream folders(path);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (folder.empty()) continue;
    const std::string candidate = folder + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
  }
  return false;
}

}  // namespace

int RunCapture(const CaptureOptions& options) {
  Session s;
  session = &s;
  s.options = &options;
  s.paths = PathsFor(options);
  s.terminal = isatty(fileno(stderr)) != 0;

  KeyScript script;
  if (!LoadScript(options, &script)) return 2;
  s.tourLength = script.Length();
  s.limit = options.frames;

  s.gl = std::make_unique<HeadlessGL>(options.width, options.height);
  if (!s.gl->ok()) {
    std::fprintf(stderr, "lumivex-capture: no headless GL: %s\n", s.gl->error().c_str());
    return 1;
  }
  if (!OpenOutputs(s)) {
    std::fprintf(stderr, "lumivex-capture: cannot write %s\n", s.error.c_str());
    return 1;
  }
  if (!options.dryRun) {
    // A few frames of slack: about 8 MB at 800 x 600.
    s.pipeline = std::make_unique<FramePipeline>(
        [&s](int64_t index, const std::vector<uint8_t>& pixels, std::string* error) {
          return WritePixels(s, index, pixels, error);
        },
        4);
  }

  const int64_t intro = IntroFrames(options.fps);
  if (s.limit >= 0) {
    s.expected = s.limit;
  } else if (intro >= 0) {
    // The pass that hands over shows the intro's last frame and the first gallery frame.
    s.expected = intro + s.tourLength;
  } else {
    // Without the music the intro never ends: stop after as many frames as the tour.
    s.limit = s.expected = s.tourLength;
    std::fprintf(stderr,
                 "lumivex-capture: the music does not reach the gallery; capturing %lld intro "
                 "frames\n",
                 static_cast<long long>(s.limit));
  }

  // The show's own start-up, from the state the program starts in, with the music going
  // to the offline player.
  ResetShowState();
  ModuleSelectOffline(true);
  ResizeView(options.width, options.height);
  InitRenderState();

  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  s.started = s.lastReport = Clock::now();
  // The shell's own loop step; headless, no message ever waits, so each step is one
  // frame pass.
  bool going = true;
  int exitCode = 0;
  while (!s.stop && going && !interrupted) {
    // Keys for the next gallery frame; the intro reads none of them (Escape is not a
    // script key).
    HoldScriptKeys(script.KeysAt(s.galleryDone), keys);
    s.passBeganInIntro = introPhase == 1;
    s.swapsThisPass = 0;
    going = ShowStep(CaptureSwap, &exitCode);
  }
  ReportProgress(true);
  ShowEnd();  // the music first; there is no window to close

  if (s.pipeline) {
    std::string error;
    if (!s.pipeline->Finish(&error) && !s.failed) {
      s.failed = true;
      s.error = error;
    }
  }
  if (!s.failed && !options.dryRun) {
    const bool closed = (!options.video || s.video.Close(&s.error)) && s.sound.Close(&s.error);
    if (!closed) s.failed = true;
  }
  if (s.failed) {
    std::fprintf(stderr, "lumivex-capture: cannot write %s\n", s.error.c_str());
    return 1;
  }
  // Up to the last byte written.
  const double elapsed = std::chrono::duration<double>(Clock::now() - s.started).count();
  std::printf("lumivex-capture: %lld frames (%.2f s at %d frames/s) in %.1f s, %.1f frames/s\n",
              static_cast<long long>(s.framesDone), static_cast<double>(s.framesDone) / options.fps,
              options.fps, elapsed, elapsed > 0 ? s.framesDone / elapsed : 0.0);
  if (interrupted) {
    std::fprintf(stderr, "lumivex-capture: interrupted; the files hold the frames above\n");
  }
  if (options.dryRun) return interrupted ? 130 : 0;
  std::printf("  %s\n  %s\n", options.video ? s.paths.video.c_str() : options.out.c_str(),
              s.paths.wav.c_str());

  const std::string mux = MuxCommand(options, s.paths);
  if (interrupted) return 130;  // the shell's code for a run ended by Ctrl-C
  if (!options.mux || !OnPath("ffmpeg")) {
    std::printf("To make an MP4:\n  %s\n", mux.c_str());
    return 0;
  }
  std::fflush(stdout);
  const int status = std::system(mux.c_str());
  if (status != 0) {
    std::fprintf(stderr, "lumivex-capture: ffmpeg failed (status %d); the command was:\n  %s\n",
                 status, mux.c_str());
    return 1;
  }
  std::printf("  %s\n", s.paths.mp4.c_str());
  return 0;
}
