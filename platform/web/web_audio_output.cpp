// The module player's browser output (platform/openmpt/module_output.h): Web Audio at the
// asked rate. The page (lumivexAudio in web/index.html) renders the module through
// lumivex_render_audio on its one thread, about half a second ahead of what is heard, and
// an AudioWorklet (web/lumivex-sound.js) plays those blocks off that thread, so a slow
// frame never starves the sound; the lock holds nothing. The heard frame: the worklet
// says which stream frame it played at which AudioContext time, and the page takes the
// device's output latency off its audio clock (lumivexAudio.heardFrame).
#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "platform/openmpt/module_output.h"

namespace {

using module_core::kChannels;

struct Player {
  bool open = false;
  std::vector<int16_t> samples;
  module_core::ModuleCore core;
};

Player player;

}  // namespace

// Called by the page to top its queue up: renders `frames` frames (silence while no module
// plays) and returns where the interleaved 16-bit samples are, valid until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE int16_t* lumivex_render_audio(int frames) {
  if (frames < 0) frames = 0;
  player.samples.resize(static_cast<size_t>(frames) * kChannels);
  module_core::Render(player.core, player.samples.data(), static_cast<size_t>(frames));
  return player.samples.data();
}

namespace module_output {

module_core::ModuleCore& Core() {
  return player.core;
}

// The page has one output; any device number means it. Called within the start click,
// where the browser lets a page start its sound.
bool Open(int, uint32_t frequency) {
  if (!EM_ASM_INT({ return lumivexAudio.open($0) ? 1 : 0; }, frequency)) return false;
  player.core.frequency = frequency;
  player.open = true;
  return true;
}

void Close() {
  if (player.open) EM_ASM({ lumivexAudio.close(); });
  player = Player();
}

bool DeviceOpen() {
  return player.open;
}

// The page gives its context two seconds from the click to start playing.
bool DeviceFailed() {
  return EM_ASM_INT({ return lumivexAudio.failed ? 1 : 0; }) != 0;
}

int64_t HeardFrame() {
  const double heard = EM_ASM_DOUBLE({ return lumivexAudio.heardFrame(); });
  if (heard < 0.0) return 0;  // nothing played yet
  return std::min<int64_t>(static_cast<int64_t>(heard),
                           static_cast<int64_t>(player.core.outputFrames));
}

// One thread: the page renders between frames, never while other code runs.
Lock::Lock() : held_(0) {}

Lock::~Lock() {
  static_cast<void>(held_);
}

}  // namespace module_output
