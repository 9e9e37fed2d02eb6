// The module player's output on Linux (platform/openmpt/module_output.h). Where a
// PulseAudio server plays the show (PipeWire's included), the module plays on a stream of
// its own and the heard frame is the server's (pulse_output.h); elsewhere (ALSA and
// whatever else SDL reaches, SDL_AUDIODRIVER naming another driver, a given device) the
// module renders inside an SDL audio callback, and the heard frame comes from the wall
// clock since the last callback.
//
// The callback touches the module only while SDL holds the device lock, which is what
// module_output::Lock takes; on the PulseAudio stream, the stream's lock.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/openmpt/module_output.h"
#include "platform/sdl/pulse_output.h"

namespace {

using module_core::kChannels;

constexpr uint16_t kDeviceBufferFrames = 1024;  // about 23 ms at 44100 Hz

struct Player {
  SDL_AudioDeviceID device = 0;
  uint32_t bufferFrames = 0;
  uint64_t callbackStartFrame = 0;  // core.outputFrames when the last callback began
  uint64_t callbackTicks = 0;       // SDL performance counter at that moment
  bool callbackSeen = false;
  module_core::ModuleCore core;
};

Player player;

// Lock::held_ while the PulseAudio stream's lock is held (SDL's device ids are small).
constexpr uintptr_t kPulseHeld = UINTPTR_MAX;

// The default device, through PulseAudio unless SDL is told to use another driver. SDL's
// own pulseaudio driver is not asked: it cannot say what the server is playing.
bool PulseWanted(int device) {
  if (device >= 0) return false;
  const char* driver = SDL_getenv("SDL_AUDIODRIVER");
  return !driver || !*driver || std::strncmp(driver, "pulse", 5) == 0;
}

void AudioCallback(void*, Uint8* stream, int length) {
  const size_t frames = static_cast<size_t>(length) / (kChannels * sizeof(int16_t));
  player.callbackStartFrame = player.core.outputFrames;
  player.callbackTicks = SDL_GetPerformanceCounter();
  player.callbackSeen = true;
  module_core::Render(player.core, reinterpret_cast<int16_t*>(stream), frames);
}

}  // namespace

namespace module_output {

module_core::ModuleCore& Core() {
  return player.core;
}

bool Open(int device, uint32_t frequency) {
  if (PulseWanted(device) && pulse_output::Open(&player.core, frequency)) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  const char* name = nullptr;
  if (device >= 0) {
    name = SDL_GetAudioDeviceName(device, 0);
    if (!name) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
  }
  SDL_AudioSpec wanted;
  SDL_zero(wanted);
  wanted.freq = static_cast<int>(frequency);
  wanted.format = AUDIO_S16SYS;
  wanted.channels = kChannels;
  wanted.samples = kDeviceBufferFrames;
  wanted.callback = AudioCallback;
  SDL_AudioSpec obtained;
  // No changes allowed: SDL converts to whatever the device takes.
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(name, 0, &wanted, &obtained, 0);
  if (id == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  player.core.frequency = frequency;
  player.bufferFrames = obtained.samples;
  player.device = id;
  // The device runs from now on; it plays silence until a module plays.
  SDL_PauseAudioDevice(id, 0);
  return true;
}

void Close() {
  pulse_output::Close();
  if (player.device) {
    // Waits for a callback in progress; none runs afterwards.
    SDL_CloseAudioDevice(player.device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  player = Player();
}

bool DeviceOpen() {
  return player.device != 0 || pulse_output::IsOpen();
}

// An SDL device plays from the moment it opens.
bool DeviceFailed() {
  return false;
}

// The frame of the output stream being heard now. When the device asks for a buffer, the
// one it was given before starts to play; the wall clock since then says how far into it
// the listener is.
int64_t HeardFrame() {
  if (pulse_output::IsOpen()) return pulse_output::HeardFrame();
  if (!player.callbackSeen) return 0;
  const uint64_t ticks = SDL_GetPerformanceCounter() - player.callbackTicks;
  const uint64_t elapsed = ticks * player.core.frequency / SDL_GetPerformanceFrequency();
  const int64_t heard = static_cast<int64_t>(player.callbackStartFrame) -
                        static_cast<int64_t>(player.bufferFrames) +
                        static_cast<int64_t>(std::min<uint64_t>(elapsed, player.bufferFrames));
  return std::min<int64_t>(heard, static_cast<int64_t>(player.core.outputFrames));
}

// SDL's device lock or the stream's; nothing to lock offline or without a device.
Lock::Lock() : held_(pulse_output::IsOpen() ? kPulseHeld : player.device) {
  if (held_ == kPulseHeld) {
    pulse_output::Lock();
  } else if (held_) {
    SDL_LockAudioDevice(static_cast<SDL_AudioDeviceID>(held_));
  }
}

Lock::~Lock() {
  if (held_ == kPulseHeld) {
    pulse_output::Unlock();
  } else if (held_) {
    SDL_UnlockAudioDevice(static_cast<SDL_AudioDeviceID>(held_));
  }
}

}  // namespace module_output
