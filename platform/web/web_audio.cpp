// The module player's browser output: Web Audio at the asked rate, fed by a script
// processor whose callback renders the module (platform/openmpt/module_core.h) on the
// page's one thread, so no lock is needed. The position reported is the one heard: each
// callback notes which stream frame its buffer starts with and when Web Audio will play
// it (playbackTime), and the query takes the device's output latency off the clock.
#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "platform/openmpt/module_core.h"

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
bool offlineSelected = false;

// One thread: the callback never runs while other code does, so the lock is empty.
struct NoLock {
  NoLock() {}
  ~NoLock() {}
};

// The stream frame being heard now.
int64_t HeardFrame() {
  if (player.bufferPlaysAt < 0.0) return 0;
  const double now = EM_ASM_DOUBLE({ return lumivexAudio.heardTime(); });
  const double since = (now - player.bufferPlaysAt) * player.core.frequency;
  const int64_t heard = static_cast<int64_t>(player.bufferStartFrame) + static_cast<int64_t>(since);
  return std::clamp<int64_t>(heard, 0, static_cast<int64_t>(player.core.outputFrames));
}

bool Initialised() {
  return player.open || player.core.offline;
}

}  // namespace

// Called by the page's audio callback: renders `frames` frames and returns where the
// interleaved 16-bit samples are.
extern "C" EMSCRIPTEN_KEEPALIVE int16_t* lumivex_render_audio(int frames, double playsAt) {
  player.samples.resize(static_cast<size_t>(frames) * kChannels);
  player.bufferStartFrame = player.core.outputFrames;
  player.bufferPlaysAt = playsAt;
  module_core::Render(player.core, player.samples.data(), static_cast<size_t>(frames));
  return player.samples.data();
}

bool ModuleDeviceInit(int, uint32_t frequency) {
  if (offlineSelected) return ModuleDeviceInitOffline(frequency);
  ModuleDeviceFree();
  if (frequency == 0) return false;
  const int ok =
      EM_ASM_INT({ return lumivexAudio.open($0, $1) ? 1 : 0; }, frequency, kBufferFrames);
  if (!ok) return false;
  player.core.frequency = frequency;
  player.open = true;
  return true;
}

bool ModuleDeviceInitOffline(uint32_t frequency) {
  ModuleDeviceFree();
  return module_core::OpenOffline(player.core, frequency);
}

void ModuleSelectOffline(bool offline) {
  offlineSelected = offline;
}

void ModuleDeviceFree() {
  if (player.open) EM_ASM({ lumivexAudio.close(); });
  player = Player();
}

bool ModuleMusicLoad(const char* fileName, uint32_t flags) {
  if (!Initialised()) return false;
  return module_core::Load<NoLock>(player.core, fileName, flags);
}

void ModuleMusicFree() {
  module_core::Free<NoLock>(player.core);
}

bool ModuleMusicPlay() {
  return module_core::SetPlaying<NoLock>(player.core, true);
}

bool ModuleMusicPause() {
  return module_core::SetPlaying<NoLock>(player.core, false);
}

uint32_t ModuleMusicGetPosition() {
  return module_core::HeardPosition(player.core, HeardFrame);
}

bool ModuleMusicSetPosition(uint32_t position) {
  return module_core::SetPosition<NoLock>(player.core, position);
}

size_t ModuleRender(int16_t* interleaved, size_t frames) {
  return module_core::RenderOffline<NoLock>(player.core, interleaved, frames);
}
