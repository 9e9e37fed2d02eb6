// The module player's browser output (platform/openmpt/module_output.h): Web Audio at the
// asked rate, fed by a script processor whose callback renders the module on the page's
// one thread, so the lock holds nothing. The heard frame: each callback notes which
// stream frame its buffer starts with and when Web Audio will play it (playbackTime), and
// the query takes the device's output latency off the page's audio clock
// (lumivexAudio.heardTime in web/index.html).
#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "platform/openmpt/module_output.h"

namespace {

using module_core::kChannels;

constexpr int kBufferFrames = 2048;  // about 46 ms at 44100 Hz

struct Player {
  bool open = false;
  uint64_t bufferStartFrame = 0;  // stream frame at the start of the last buffer
  double bufferPlaysAt = -1.0;    // AudioContext time at which it plays
  std::vector<int16_t> samples;
  module_core::ModuleCore core;
};

Player player;

}  // namespace

// Called by the page's audio callback: renders `frames` frames (silence while no module
// plays) and returns where the interleaved 16-bit samples are.
extern "C" EMSCRIPTEN_KEEPALIVE int16_t* lumivex_render_audio(int frames, double playsAt) {
  if (frames < 0) frames = 0;
  player.samples.resize(static_cast<size_t>(frames) * kChannels);
  player.bufferStartFrame = player.core.outputFrames;
  player.bufferPlaysAt = playsAt;
  module_core::Render(player.core, player.samples.data(), static_cast<size_t>(frames));
  return player.samples.data();
}

namespace module_output {

module_core::ModuleCore& Core() {
  return player.core;
}

// The page has one output; any device number means it.
bool Open(int, uint32_t frequency) {
  const int ok =
      EM_ASM_INT({ return lumivexAudio.open($0, $1) ? 1 : 0; }, frequency, kBufferFrames);
  if (!ok) return false;
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

int64_t HeardFrame() {
  if (player.bufferPlaysAt < 0.0) return 0;
  const double now = EM_ASM_DOUBLE({ return lumivexAudio.heardTime(); });
  const double since = (now - player.bufferPlaysAt) * player.core.frequency;
  const int64_t heard = static_cast<int64_t>(player.bufferStartFrame) + static_cast<int64_t>(since);
  return std::clamp<int64_t>(heard, 0, static_cast<int64_t>(player.core.outputFrames));
}

// One thread: the audio callback never runs while other code does, so nothing is held.
Lock::Lock() : held_(0) {}

Lock::~Lock() {
  static_cast<void>(held_);
}

}  // namespace module_output
