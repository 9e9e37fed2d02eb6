// The libopenmpt side of the module player, shared by its sound outputs (an SDL audio
// callback, winmm's waveOut): the loaded module, the marks that tie frames of the output
// stream to module positions, and the render step. An output keeps only its device: it
// calls Render from its audio thread and says which frame of the stream is being heard.
//
// libopenmpt objects are not thread-safe. `Lock` is the output's lock against its audio
// thread, an RAII type whose constructor takes it: the functions that take it as a
// template argument lock exactly around what the audio thread touches; Render and
// HeardPosition are called with it held. Header-only: the front end
// (platform/openmpt/module_player.cpp) instantiates it with the output's lock
// (platform/openmpt/module_output.h).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <libopenmpt/libopenmpt.hpp>
#include <memory>
#include <utility>
#include <vector>

#include "platform/module_player.h"
#include "platform/platform.h"

namespace module_core {

constexpr int kChannels = 2;
// Render notes the position at the start of each slice of this many frames. A new row
// shows at the first slice that starts after it began, so the heard position changes at
// most this late: 0.7 ms at 44100 Hz, well inside a frame of the picture, and the picture
// never changes before the sound.
constexpr size_t kSliceFrames = 32;
constexpr int kMarkCount = 64;

// The position the module reached at one frame of the output stream.
struct Mark {
  uint64_t frame;
  uint32_t position;
};

// One output's module and its record. A default-constructed one is the closed state.
struct ModuleCore {
  bool offline = false;  // no device: sound only through RenderOffline
  uint32_t frequency = 0;
  // The module and a copy of its file, for a clean restart at position 0.
  std::unique_ptr<openmpt::module> module;
  std::vector<uint8_t> moduleBytes;
  uint32_t flags = 0;
  bool playing = false;
  // The output stream: every frame handed out, silence included.
  uint64_t outputFrames = 0;
  // Position changes along the output stream, oldest first (a ring).
  Mark marks[kMarkCount];
  int markFirst = 0;
  int markTotal = 0;
};

inline uint32_t Pack(int32_t order, int32_t row) {
  return (static_cast<uint32_t>(row) << 16) | (static_cast<uint32_t>(order) & 0xFFFFu);
}

// Where the renderer stands: the next frame rendered belongs to this order and row.
inline uint32_t RenderPosition(const ModuleCore& core) {
  return Pack(core.module->get_current_order(), core.module->get_current_row());
}

inline void ClearMarks(ModuleCore& core) {
  core.markFirst = 0;
  core.markTotal = 0;
}

inline void AddMark(ModuleCore& core, uint64_t frame, uint32_t position) {
  if (core.markTotal > 0) {
    const Mark& last = core.marks[(core.markFirst + core.markTotal - 1) % kMarkCount];
    if (last.position == position) return;
  }
  if (core.markTotal == kMarkCount) {
    core.markFirst = (core.markFirst + 1) % kMarkCount;
    --core.markTotal;
  }
  core.marks[(core.markFirst + core.markTotal) % kMarkCount] = {frame, position};
  ++core.markTotal;
}

// After a jump the stream continues from the new position at once (offline the rendered
// position is the heard one, so no mark is needed).
inline void RestartMarks(ModuleCore& core) {
  ClearMarks(core);
  if (core.module && !core.offline) AddMark(core, core.outputFrames, RenderPosition(core));
}

// Fills `frames` stereo frames of 16-bit samples from the module (silence without one,
// while paused, after its end or after a render failure) and notes where each slice
// began. Lock held.
inline void Render(ModuleCore& core, int16_t* out, size_t frames) {
  size_t done = 0;
  while (done < frames) {
    const size_t slice = std::min(kSliceFrames, frames - done);
    size_t got = 0;
    if (core.module && core.playing) {
      AddMark(core, core.outputFrames + done, RenderPosition(core));
      try {
        got = core.module->read_interleaved_stereo(static_cast<int32_t>(core.frequency), slice,
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
  core.outputFrames += frames;
}

// The position at the frame `heardFrame()` says is being heard (asked only with a device
// and a history). Lock held.
template <typename HeardFrame>
uint32_t HeardPosition(const ModuleCore& core, HeardFrame heardFrame) {
  if (!core.module) return kModuleNoPosition;
  // Offline, what has been rendered is what is heard.
  if (core.offline || core.markTotal == 0) return RenderPosition(core);
  const int64_t heard = heardFrame();
  for (int i = core.markTotal - 1; i >= 0; --i) {
    const Mark& mark = core.marks[(core.markFirst + i) % kMarkCount];
    if (static_cast<int64_t>(mark.frame) <= heard) return mark.position;
  }
  // Older than the history (or from before a position change): the oldest known.
  return core.marks[core.markFirst].position;
}

inline std::unique_ptr<openmpt::module> MakeModule(const std::vector<uint8_t>& bytes,
                                                   uint32_t flags) {
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

inline bool ReadFile(const char* fileName, std::vector<uint8_t>* bytes) {
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
template <typename Lock>
std::unique_ptr<openmpt::module> SwapModule(ModuleCore& core,
                                            std::unique_ptr<openmpt::module> next) {
  Lock lock;
  std::swap(core.module, next);
  RestartMarks(core);
  return next;
}

// Enters the offline mode on a closed core.
inline bool OpenOffline(ModuleCore& core, uint32_t frequency) {
  if (frequency == 0) return false;
  core.offline = true;
  core.frequency = frequency;
  return true;
}

// Loads a module file in place of the current one, paused. The file is read and parsed
// outside the lock so the sound never stalls.
template <typename Lock>
bool Load(ModuleCore& core, const char* fileName, uint32_t flags) {
  std::vector<uint8_t> bytes;
  if (!ReadFile(fileName, &bytes)) return false;
  std::unique_ptr<openmpt::module> module = MakeModule(bytes, flags);
  if (!module) return false;
  {
    Lock lock;
    core.playing = false;
    core.flags = flags;
  }
  SwapModule<Lock>(core, std::move(module));
  core.moduleBytes = std::move(bytes);
  return true;
}

template <typename Lock>
void Free(ModuleCore& core) {
  std::unique_ptr<openmpt::module> old;
  {
    Lock lock;
    core.playing = false;
    std::swap(old, core.module);
    ClearMarks(core);
  }
  core.moduleBytes.clear();
}

// Play (true) or pause (false); false without a module.
template <typename Lock>
bool SetPlaying(ModuleCore& core, bool playing) {
  Lock lock;
  if (!core.module) return false;
  core.playing = playing;
  return true;
}

template <typename Lock>
bool SetPosition(ModuleCore& core, uint32_t position) {
  const int32_t order = static_cast<int32_t>(position & 0xFFFFu);
  const int32_t row = static_cast<int32_t>(position >> 16);
  {
    Lock lock;
    if (!core.module) return false;
    openmpt::module& module = *core.module;
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
      RestartMarks(core);
      return true;
    }
  }
  // Position 0 is a restart: speed, tempo and global volume as at the start, which a
  // fresh copy of the module has for certain. Parsed outside the lock so the sound never
  // stalls.
  std::unique_ptr<openmpt::module> module = MakeModule(core.moduleBytes, core.flags);
  if (!module) return false;
  SwapModule<Lock>(core, std::move(module));
  return true;
}

// Offline mode only: renders on demand; 0 frames otherwise.
template <typename Lock>
size_t RenderOffline(ModuleCore& core, int16_t* interleaved, size_t frames) {
  if (!core.offline || !interleaved) return 0;
  Lock lock;
  Render(core, interleaved, frames);
  return frames;
}

}  // namespace module_core
