// The module player on libopenmpt: the module renders inside an SDL audio callback (or on
// demand, offline), and position queries report what is being heard.
//
// libopenmpt objects are not thread-safe: the callback touches the player only while SDL
// holds the device lock, and every call here takes that lock before touching it.
#include "platform/module_player.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <libopenmpt/libopenmpt.hpp>
#include <memory>
#include <vector>

#include "platform/platform.h"

namespace {

constexpr int kChannels = 2;
constexpr uint16_t kDeviceBufferFrames = 1024;  // about 23 ms at 44100 Hz
// The callback renders in slices of this many frames and notes the position at the start
// of each, so the heard position is exact to about 6 ms even for fast modules.
constexpr size_t kSliceFrames = 256;
constexpr int kMarkCount = 64;

// The position the module reached at one frame of the output stream.
struct Mark {
  uint64_t frame;
  uint32_t position;
};

struct Player {
  SDL_AudioDeviceID device = 0;
  bool offline = false;
  uint32_t frequency = 0;
  uint32_t bufferFrames = 0;
  // The module and a copy of its file, for a clean restart at position 0.
  std::unique_ptr<openmpt::module> module;
  std::vector<uint8_t> moduleBytes;
  uint32_t flags = 0;
  bool playing = false;
  // The output stream: every frame the device has been given, silence included.
  uint64_t outputFrames = 0;
  uint64_t callbackStartFrame = 0;  // outputFrames when the last callback began
  uint64_t callbackTicks = 0;       // SDL performance counter at that moment
  bool callbackSeen = false;
  // Position changes along the output stream, oldest first (a ring).
  Mark marks[kMarkCount];
  int markFirst = 0;
  int markTotal = 0;
};

Player player;
// Chosen before start-up and kept across ModuleDeviceFree (which resets `player`).
bool offlineSelected = false;

// Holds the device lock for a scope (nothing to lock offline or without a device).
class AudioLock {
 public:
  AudioLock() : device_(player.device) {
    if (device_) SDL_LockAudioDevice(device_);
  }
  ~AudioLock() {
    if (device_) SDL_UnlockAudioDevice(device_);
  }
  AudioLock(const AudioLock&) = delete;
  AudioLock& operator=(const AudioLock&) = delete;

 private:
  SDL_AudioDeviceID device_;
};

uint32_t Pack(int32_t order, int32_t row) {
  return (static_cast<uint32_t>(row) << 16) | (static_cast<uint32_t>(order) & 0xFFFFu);
}

// Where the renderer stands: the next frame rendered belongs to this order and row.
uint32_t RenderPosition() {
  return Pack(player.module->get_current_order(), player.module->get_current_row());
}

void ClearMarks() {
  player.markFirst = 0;
  player.markTotal = 0;
}

void AddMark(uint64_t frame, uint32_t position) {
  if (player.markTotal > 0) {
    const Mark& last = player.marks[(player.markFirst + player.markTotal - 1) % kMarkCount];
    if (last.position == position) return;
  }
  if (player.markTotal == kMarkCount) {
    player.markFirst = (player.markFirst + 1) % kMarkCount;
    --player.markTotal;
  }
  player.marks[(player.markFirst + player.markTotal) % kMarkCount] = {frame, position};
  ++player.markTotal;
}

// Fills `frames` stereo frames from the module (silence without one, while paused, after
// its end or after a render failure) and notes where each slice began.
void Render(int16_t* out, size_t frames) {
  size_t done = 0;
  while (done < frames) {
    const size_t slice = std::min(kSliceFrames, frames - done);
    size_t got = 0;
    if (player.module && player.playing) {
      AddMark(player.outputFrames + done, RenderPosition());
      try {
        got = player.module->read_interleaved_stereo(static_cast<int32_t>(player.frequency), slice,
                                                     out + done * kChannels);
      } catch (const std::exception&) {
        got = 0;
      }
    }
    if (got < slice) {
      std::memset(out + (done + got) * kChannels, 0, (slice - got) * kChannels * sizeof(int16_t));
    }
    done += slice;
  }
  player.outputFrames += frames;
}

void AudioCallback(void*, Uint8* stream, int length) {
  const size_t frames = static_cast<size_t>(length) / (kChannels * sizeof(int16_t));
  player.callbackStartFrame = player.outputFrames;
  player.callbackTicks = SDL_GetPerformanceCounter();
  player.callbackSeen = true;
  Render(reinterpret_cast<int16_t*>(stream), frames);
}

// The frame of the output stream being heard now. When the device asks for a buffer, the
// one it was given before starts to play; the wall clock since then says how far into it
// the listener is.
int64_t HeardFrame() {
  if (!player.callbackSeen) return 0;
  const uint64_t ticks = SDL_GetPerformanceCounter() - player.callbackTicks;
  const uint64_t elapsed = ticks * player.frequency / SDL_GetPerformanceFrequency();
  const int64_t heard = static_cast<int64_t>(player.callbackStartFrame) -
                        static_cast<int64_t>(player.bufferFrames) +
                        static_cast<int64_t>(std::min<uint64_t>(elapsed, player.bufferFrames));
  return std::min<int64_t>(heard, static_cast<int64_t>(player.outputFrames));
}

uint32_t HeardPosition() {
  if (!player.module) return kModuleNoPosition;
  // Offline, what has been rendered is what is heard.
  if (player.offline || player.markTotal == 0) return RenderPosition();
  const int64_t heard = HeardFrame();
  for (int i = player.markTotal - 1; i >= 0; --i) {
    const Mark& mark = player.marks[(player.markFirst + i) % kMarkCount];
    if (static_cast<int64_t>(mark.frame) <= heard) return mark.position;
  }
  // Older than the history (or from before a position change): the oldest known.
  return player.marks[player.markFirst].position;
}

std::unique_ptr<openmpt::module> MakeModule(const std::vector<uint8_t>& bytes, uint32_t flags) {
  try {
    auto module = std::make_unique<openmpt::module>(bytes, std::clog);
    module->set_repeat_count((flags & kModuleLoop) ? -1 : 0);
    // No dither: the same module renders the same samples on every run.
    module->ctl_set_integer("dither", 0);
    // Ramping on: the library's default strength; off: hard volume steps.
    module->set_render_param(openmpt::module::RENDER_VOLUMERAMPING_STRENGTH,
                             (flags & kModuleRamp) ? -1 : 0);
    return module;
  } catch (const std::exception&) {
    // openmpt::exception for a file that is not a module; bad_alloc alike.
    return nullptr;
  }
}

bool ReadFile(const char* fileName, std::vector<uint8_t>* bytes) {
  FILE* file = PlatformOpenFile(fileName, "rb");
  if (!file) return false;
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes->insert(bytes->end(), buffer, buffer + n);
  }
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

// Puts `next` in place of the playing module; the old one is returned so it is destroyed
// outside the lock.
std::unique_ptr<openmpt::module> SwapModule(std::unique_ptr<openmpt::module> next) {
  AudioLock lock;
  std::swap(player.module, next);
  ClearMarks();
  if (player.module && !player.offline) AddMark(player.outputFrames, RenderPosition());
  return next;
}

bool Initialised() {
  return player.device != 0 || player.offline;
}

}  // namespace

bool ModuleDeviceInit(int device, uint32_t frequency) {
  if (offlineSelected) return ModuleDeviceInitOffline(frequency);
  ModuleDeviceFree();
  if (frequency == 0) return false;
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
  player.frequency = frequency;
  player.bufferFrames = obtained.samples;
  player.device = id;
  // The device runs from now on; it plays silence until a module plays.
  SDL_PauseAudioDevice(id, 0);
  return true;
}

bool ModuleDeviceInitOffline(uint32_t frequency) {
  ModuleDeviceFree();
  if (frequency == 0) return false;
  player.offline = true;
  player.frequency = frequency;
  return true;
}

void ModuleSelectOffline(bool offline) {
  offlineSelected = offline;
}

void ModuleDeviceFree() {
  if (player.device) {
    // Waits for a callback in progress; none runs afterwards.
    SDL_CloseAudioDevice(player.device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  player = Player();
}

bool ModuleMusicLoad(const char* fileName, uint32_t flags) {
  if (!Initialised()) return false;
  std::vector<uint8_t> bytes;
  if (!ReadFile(fileName, &bytes)) return false;
  std::unique_ptr<openmpt::module> module = MakeModule(bytes, flags);
  if (!module) return false;
  {
    AudioLock lock;
    player.playing = false;
    player.flags = flags;
  }
  SwapModule(std::move(module));
  player.moduleBytes = std::move(bytes);
  return true;
}

void ModuleMusicFree() {
  std::unique_ptr<openmpt::module> old;
  {
    AudioLock lock;
    player.playing = false;
    std::swap(old, player.module);
    ClearMarks();
  }
  player.moduleBytes.clear();
}

bool ModuleMusicPlay() {
  AudioLock lock;
  if (!player.module) return false;
  player.playing = true;
  return true;
}

bool ModuleMusicPause() {
  AudioLock lock;
  if (!player.module) return false;
  player.playing = false;
  return true;
}

uint32_t ModuleMusicGetPosition() {
  AudioLock lock;
  return HeardPosition();
}

bool ModuleMusicSetPosition(uint32_t position) {
  const int32_t order = static_cast<int32_t>(position & 0xFFFFu);
  const int32_t row = static_cast<int32_t>(position >> 16);
  {
    AudioLock lock;
    if (!player.module) return false;
    openmpt::module& module = *player.module;
    if (order >= module.get_num_orders()) return false;
    const int32_t pattern = module.get_order_pattern(order);
    if (pattern < 0 || pattern >= module.get_num_patterns() ||
        row >= module.get_pattern_num_rows(pattern)) {
      return false;
    }
    // libopenmpt's seek silences every channel and works out the speed and tempo in
    // effect at the target, so notes stop whatever the flags.
    if (position != 0) {
      module.set_position_order_row(order, row);
      ClearMarks();
      if (!player.offline) AddMark(player.outputFrames, RenderPosition());
      return true;
    }
  }
  // Position 0 is a restart: speed, tempo and global volume as at the start, which a
  // fresh copy of the module has for certain. Parsed outside the lock so the sound never
  // stalls.
  std::unique_ptr<openmpt::module> module = MakeModule(player.moduleBytes, player.flags);
  if (!module) return false;
  SwapModule(std::move(module));
  return true;
}
size_t ModuleRender(int16_t* interleaved, size_t frames) {
  if (!player.offline || !interleaved) return 0;
  Render(interleaved, frames);
  return frames;
}
