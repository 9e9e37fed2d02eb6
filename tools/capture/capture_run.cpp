// The capture's run: the output, the intro's length, the show's start-up with the offline
// music, the frame passes with a read-back swap, progress, and the end of the files.
#include "tools/capture/capture_run.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
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
#include "tools/capture/capture_output.h"
#include "tools/capture/frame_pipeline.h"
#include "tools/capture/key_script.h"

namespace {

constexpr uint32_t kShowSoundRate = 44100;  // the rate the show's music player asks for
// How far the intro's length is looked for: a module that has not reached the gallery
// after this long never will (it is missing, or loops before the gallery's order).
constexpr double kLongestIntroSeconds = 1800.0;

using Clock = std::chrono::steady_clock;

struct Session {
  const CaptureOptions* options = nullptr;
  uint32_t soundRate = kShowSoundRate;  // the output's
  std::unique_ptr<HeadlessGL> gl;
  std::unique_ptr<CaptureOutput> output;    // null in a dry run
  std::unique_ptr<FramePipeline> pipeline;  // writes to `output`; null in a dry run
  std::vector<int16_t> soundBuffer;         // a dry run's sound, rendered and dropped
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

// Ctrl-C or a kill: the capture stops after the frame in hand and finishes its files, so
// what was captured stays a valid video and sound file. Holds the signal's number.
volatile std::sig_atomic_t interrupted = 0;
void OnInterrupt(int signal) {
  interrupted = signal;
}

// The intro runs until a frame sees the gallery's order. Frame n sees the music after
// SoundFramesBefore(n) sound frames; the same offline player, run ahead, says which
// frame that is. Returns the intro's frame count, or -1 when it never ends.
int64_t IntroFrames(FrameRate fps, uint32_t soundRate) {
  int64_t frames = -1;
  if (ModuleDeviceInitOffline(soundRate) && ModuleMusicLoad(kMusicFile, kMusicLoadFlags) &&
      ModuleMusicPlay()) {
    std::vector<int16_t> buffer;
    const int64_t longest = static_cast<int64_t>(kLongestIntroSeconds * fps.value());
    for (int64_t n = 0; n < longest; ++n) {
      if ((ModuleMusicGetPosition() & 0xFFFFu) == kGalleryOrder) {
        frames = n + 1;
        break;
      }
      const uint64_t count =
          SoundFramesBefore(n + 1, soundRate, fps) - SoundFramesBefore(n, soundRate, fps);
      buffer.resize(count * 2);
      ModuleRender(buffer.data(), count);
    }
  }
  ModuleDeviceFree();
  return frames;
}

std::string Megabytes(uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
  return text;
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
  std::string size;
  if (s.output) size = "  " + Megabytes(s.output->bytes());
  std::fprintf(stderr, "%sframe %lld of %lld  %.1f frames/s  %s left%s%s", s.terminal ? "\r" : "",
               static_cast<long long>(s.framesDone), static_cast<long long>(s.expected), fps,
               Clock2(fps > 0 ? left / fps : 0).c_str(), size.c_str(),
               s.terminal && !last ? "   " : "\n");
  std::fflush(stderr);
}

// Renders the music that plays while the frame in hand is shown, so the next frame sees
// the position after it.
void RenderSound(Session& s, std::vector<int16_t>* sound) {
  const FrameRate fps = s.options->rate;
  const uint64_t count = SoundFramesBefore(s.framesDone + 1, s.soundRate, fps) -
                         SoundFramesBefore(s.framesDone, s.soundRate, fps);
  sound->resize(count * 2);
  ModuleRender(sound->data(), count);
}

bool WriteFrame(Session& s) {
  if (!s.pipeline) {
    glFinish();  // a dry run: the frame is drawn in full, as a read-back would wait for
    RenderSound(s, &s.soundBuffer);
    return true;
  }
  const int width = s.options->width, height = s.options->height;
  CapturedFrame frame = s.pipeline->TakeBuffer();
  // RGBA is the framebuffer's own layout: Mesa copies it without converting each pixel.
  frame.pixels.resize(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame.pixels.data());
  RenderSound(s, &frame.sound);
  return s.pipeline->Push(s.framesDone, std::move(frame), &s.error);
}

// The swap of a captured frame: read back, and queued for writing with its sound.
void CaptureSwap() {
  Session& s = *session;
  const bool gallery = !s.passBeganInIntro || s.swapsThisPass > 0;
  ++s.swapsThisPass;
  if (s.stop) return;  // the second frame of a pass that reached the end
  if (!WriteFrame(s)) {
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

std::string RateText(FrameRate rate) {
  return rate.den == 1 ? std::to_string(rate.num)
                       : std::to_string(rate.num) + "/" + std::to_string(rate.den);
}

// What the run ends with: the output finished, or removed where it failed or holds no
// frame. Returns the exit code.
int Finish(Session& s) {
  const CaptureOptions& options = *s.options;
  if (s.pipeline) {
    std::string error;
    if (!s.pipeline->Finish(&error) && !s.failed) {
      s.failed = true;
      s.error = error;
    }
  }
  const int stopped = interrupted ? 128 + interrupted : 0;  // as the shell reports a signal
  if (s.output) {
    if (!s.failed && s.framesDone == 0) {
      s.output->Discard();
      std::fprintf(stderr, "lumivex-capture: stopped before the first frame; nothing written\n");
      return stopped ? stopped : 1;
    }
    if (!s.failed && !s.output->Close(&s.error)) s.failed = true;
    if (s.failed) {
      s.output->Discard();
      std::fprintf(stderr, "lumivex-capture: cannot write %s; nothing kept\n", s.error.c_str());
      return 1;
    }
  }
  // Up to the last byte written.
  const double elapsed = std::chrono::duration<double>(Clock::now() - s.started).count();
  std::printf("lumivex-capture: %lld frames (%.2f s at %s frames/s) in %.1f s, %.1f frames/s\n",
              static_cast<long long>(s.framesDone), s.framesDone / options.rate.value(),
              RateText(options.rate).c_str(), elapsed, elapsed > 0 ? s.framesDone / elapsed : 0.0);
  if (s.output) {
    const CapturePaths paths = PathsFor(options);
    std::printf("  %s (%s)\n", options.out.c_str(), Megabytes(s.output->bytes()).c_str());
    if (!paths.wav.empty()) std::printf("  %s\n", paths.wav.c_str());
  }
  if (stopped) {
    std::fprintf(stderr, "lumivex-capture: interrupted; the files hold the frames above\n");
  }
  return stopped;
}

}  // namespace

int RunCapture(const CaptureOptions& options) {
  Session s;
  session = &s;
  s.options = &options;
  s.terminal = isatty(fileno(stderr)) != 0;
  if (options.format) s.soundRate = options.format->soundRate;
  // From the start: a Ctrl-C during start-up still removes what was begun.
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  // A file size limit (ulimit -f) then fails the write with EFBIG, reported like a full
  // disk, instead of killing the capture halfway through a file.
  std::signal(SIGXFSZ, SIG_IGN);

  KeyScript script;
  if (!LoadScript(options, &script)) return 2;
  s.tourLength = script.Length();
  s.limit = options.frames;

  s.gl = std::make_unique<HeadlessGL>(options.width, options.height);
  if (!s.gl->ok()) {
    std::fprintf(stderr, "lumivex-capture: no headless GL: %s\n", s.gl->error().c_str());
    return 1;
  }
  if (!options.dryRun) {
    s.output = OpenCaptureOutput(options, &s.error);
    if (!s.output) {
      std::fprintf(stderr, "lumivex-capture: cannot write %s\n", s.error.c_str());
      return 1;
    }
    // A few frames of slack: about 8 MB at 800 x 600.
    CaptureOutput* output = s.output.get();
    s.pipeline = std::make_unique<FramePipeline>(
        [output](int64_t index, const CapturedFrame& frame, std::string* error) {
          return output->Write(index, frame, error);
        },
        4);
  }

  const int64_t intro = IntroFrames(options.rate, s.soundRate);
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
  // to the offline player at the output's rate.
  ResetShowState();
  ModuleSelectOffline(true, s.soundRate);
  ResizeView(options.width, options.height);
  InitRenderState();

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
  return Finish(s);
}
