// The module player on libopenmpt and winmm's waveOut: a render thread keeps two device
// buffers queued (double buffering), and position queries report the module position at
// the sample the device says it is playing.
//
// libopenmpt objects are not thread-safe: the render thread touches the player only
// while it holds `lock`, and every call here takes it before touching it.
#include "platform/module_player.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <libopenmpt/libopenmpt.hpp>
#include <memory>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"
// After windows.h: the waveOut interface (WIN32_LEAN_AND_MEAN leaves it out).
#include <mmsystem.h>
#include "platform/win32/waveout_player.h"

namespace {

constexpr int kChannels = 2;
constexpr int kBufferCount = 2;
// The render thread notes the position at the start of each slice, so the heard
// position is exact to about 6 ms even for fast modules.
constexpr size_t kSliceFrames = 256;
constexpr int kMarkCount = 64;

// The position the module reached at one frame of the output stream.
struct Mark {
  uint64_t frame;
  uint32_t position;
};

struct Player {
  HWAVEOUT device = nullptr;
  HANDLE bufferDone = nullptr;  // signalled by waveOut whenever a buffer comes back
  HANDLE thread = nullptr;
  volatile LONG stopping = 0;
  WAVEHDR headers[kBufferCount] = {};
  std::vector<int16_t> samples[kBufferCount];
  bool offline = false;
  uint32_t frequency = 0;
  // The module and a copy of its file, for a clean restart at position 0.
  std::unique_ptr<openmpt::module> module;
  std::vector<uint8_t> moduleBytes;
  uint32_t flags = 0;
  bool playing = false;
  // The output stream: every frame given to the device, silence included.
  uint64_t outputFrames = 0;
  // Position changes along the output stream, oldest first (a ring).
  Mark marks[kMarkCount];
  int markFirst = 0;
  int markTotal = 0;
};

Player player;

// The one lock between the render thread and the calls of the layer.
CRITICAL_SECTION& Lock() {
  static CRITICAL_SECTION section;
  static const bool ready = (InitializeCriticalSection(&section), true);
  (void)ready;
  return section;
}

class PlayerLock {
 public:
  PlayerLock() { EnterCriticalSection(&Lock()); }
  ~PlayerLock() { LeaveCriticalSection(&Lock()); }
  PlayerLock(const PlayerLock&) = delete;
  PlayerLock& operator=(const PlayerLock&) = delete;
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
// its end or after a render failure) and notes where each slice began. Lock held.
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

// Renders into buffer `i` and hands it to the device.
void QueueBuffer(int i) {
  WAVEHDR& header = player.headers[i];
  {
    PlayerLock lock;
    Render(player.samples[i].data(), player.samples[i].size() / kChannels);
  }
  header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
  waveOutWrite(player.device, &header, sizeof header);
}

// The render thread: each time the device gives a buffer back, refill and requeue it.
DWORD WINAPI RenderThread(void*) {
  while (WaitForSingleObject(player.bufferDone, INFINITE) == WAIT_OBJECT_0) {
    if (InterlockedCompareExchange(&player.stopping, 0, 0)) break;
    for (int i = 0; i < kBufferCount; ++i) {
      if (player.headers[i].dwFlags & WHDR_DONE) QueueBuffer(i);
    }
  }
  return 0;
}

// The frame of the output stream being heard now, as the device counts it. Its sample
// counter is 32 bits: it is widened against the frames written, which it never passes.
int64_t HeardFrame() {
  MMTIME time;
  std::memset(&time, 0, sizeof time);
  time.wType = TIME_SAMPLES;
  if (waveOutGetPosition(player.device, &time, sizeof time) != MMSYSERR_NOERROR ||
      time.wType != TIME_SAMPLES) {
    return static_cast<int64_t>(player.outputFrames);
  }
  return waveout_player::WidenSampleCount(player.outputFrames, time.u.sample);
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
  PlayerLock lock;
  std::swap(player.module, next);
  ClearMarks();
  if (player.module && !player.offline) AddMark(player.outputFrames, RenderPosition());
  return next;
}

bool Initialised() {
  return player.device != nullptr || player.offline;
}

void CloseDevice() {
  if (player.thread) {
    InterlockedExchange(&player.stopping, 1);
    SetEvent(player.bufferDone);
    WaitForSingleObject(player.thread, INFINITE);
    CloseHandle(player.thread);
  }
  if (player.device) {
    // Hands back every queued buffer, so each can be unprepared.
    waveOutReset(player.device);
    for (WAVEHDR& header : player.headers) {
      if (header.dwFlags & WHDR_PREPARED) {
        waveOutUnprepareHeader(player.device, &header, sizeof header);
      }
    }
    waveOutClose(player.device);
  }
  if (player.bufferDone) CloseHandle(player.bufferDone);
}

}  // namespace

namespace waveout_player {

uint32_t BufferFrames(uint32_t frequency) {
  // About 46 ms at 44100 Hz: two of them keep the sound unbroken through a slow frame
  // while the heard position stays within a buffer of the rendered one.
  uint32_t frames = 256;
  while (frames * 1000u < frequency * 40u) frames *= 2;
  return frames;
}

int64_t WidenSampleCount(uint64_t framesWritten, uint32_t deviceSamples) {
  const uint32_t behind = static_cast<uint32_t>(framesWritten) - deviceSamples;
  return static_cast<int64_t>(framesWritten) - static_cast<int64_t>(behind);
}

}  // namespace waveout_player

bool ModuleDeviceInit(int device, uint32_t frequency) {
  ModuleDeviceFree();
  if (frequency == 0) return false;
  WAVEFORMATEX format;
  std::memset(&format, 0, sizeof format);
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kChannels;
  format.nSamplesPerSec = frequency;
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(kChannels * sizeof(int16_t));
  format.nAvgBytesPerSec = frequency * format.nBlockAlign;

  player.bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!player.bufferDone) return false;
  const UINT id = device < 0 ? WAVE_MAPPER : static_cast<UINT>(device);
  HWAVEOUT handle = nullptr;
  if (waveOutOpen(&handle, id, &format, reinterpret_cast<DWORD_PTR>(player.bufferDone), 0,
                  CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    ModuleDeviceFree();
    return false;
  }
  player.device = handle;
  player.frequency = frequency;
  const uint32_t frames = waveout_player::BufferFrames(frequency);
  for (int i = 0; i < kBufferCount; ++i) {
    player.samples[i].assign(static_cast<size_t>(frames) * kChannels, 0);
    WAVEHDR& header = player.headers[i];
    std::memset(&header, 0, sizeof header);
    header.lpData = reinterpret_cast<LPSTR>(player.samples[i].data());
    header.dwBufferLength = frames * format.nBlockAlign;
    if (waveOutPrepareHeader(player.device, &header, sizeof header) != MMSYSERR_NOERROR) {
      ModuleDeviceFree();
      return false;
    }
  }
  // The device runs from now on; it plays silence until a module plays.
  for (int i = 0; i < kBufferCount; ++i) QueueBuffer(i);
  player.thread = CreateThread(nullptr, 0, RenderThread, nullptr, 0, nullptr);
  if (!player.thread) {
    ModuleDeviceFree();
    return false;
  }
  return true;
}

bool ModuleDeviceInitOffline(uint32_t frequency) {
  ModuleDeviceFree();
  if (frequency == 0) return false;
  player.offline = true;
  player.frequency = frequency;
  return true;
}

void ModuleDeviceFree() {
  CloseDevice();
  player.thread = nullptr;
  player.device = nullptr;
  player.bufferDone = nullptr;
  PlayerLock lock;
  std::unique_ptr<openmpt::module> old;
  std::swap(old, player.module);
  player.stopping = 0;
  for (WAVEHDR& header : player.headers) std::memset(&header, 0, sizeof header);
  for (std::vector<int16_t>& samples : player.samples) samples.clear();
  player.offline = false;
  player.frequency = 0;
  player.moduleBytes.clear();
  player.flags = 0;
  player.playing = false;
  player.outputFrames = 0;
  ClearMarks();
}

bool ModuleMusicLoad(const char* fileName, uint32_t flags) {
  if (!Initialised()) return false;
  std::vector<uint8_t> bytes;
  if (!ReadFile(fileName, &bytes)) return false;
  std::unique_ptr<openmpt::module> module = MakeModule(bytes, flags);
  if (!module) return false;
  {
    PlayerLock lock;
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
    PlayerLock lock;
    player.playing = false;
    std::swap(old, player.module);
    ClearMarks();
  }
  player.moduleBytes.clear();
}

bool ModuleMusicPlay() {
  PlayerLock lock;
  if (!player.module) return false;
  player.playing = true;
  return true;
}

bool ModuleMusicPause() {
  PlayerLock lock;
  if (!player.module) return false;
  player.playing = false;
  return true;
}

uint32_t ModuleMusicGetPosition() {
  PlayerLock lock;
  return HeardPosition();
}

bool ModuleMusicSetPosition(uint32_t position) {
  const int32_t order = static_cast<int32_t>(position & 0xFFFFu);
  const int32_t row = static_cast<int32_t>(position >> 16);
  {
    PlayerLock lock;
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
  PlayerLock lock;
  Render(interleaved, frames);
  return frames;
}
