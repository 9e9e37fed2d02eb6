// The module player's waveOut output (platform/openmpt/module_output.h): the module
// renders on a thread that keeps two device buffers queued (double buffering), and the
// heard frame is the sample the device says it is playing.
//
// The render thread touches the module only while it holds the output's critical
// section, which is what module_output::Lock takes.
#include <cstring>
#include <vector>

#include "platform/openmpt/module_output.h"
#include "platform/win32/win32_internal.h"
// After windows.h: the waveOut interface (WIN32_LEAN_AND_MEAN leaves it out).
#include <mmsystem.h>
#include "platform/win32/waveout_player.h"

namespace {

using module_core::kChannels;

constexpr int kBufferCount = 2;

struct Player {
  HWAVEOUT device = nullptr;
  HANDLE bufferDone = nullptr;  // signalled by waveOut whenever a buffer comes back
  HANDLE thread = nullptr;
  volatile LONG stopping = 0;
  WAVEHDR headers[kBufferCount] = {};
  std::vector<int16_t> samples[kBufferCount];
  module_core::ModuleCore core;
};

Player player;

// The one lock between the render thread and the calls of the layer.
CRITICAL_SECTION& Section() {
  static CRITICAL_SECTION section;
  static const bool ready = (InitializeCriticalSection(&section), true);
  (void)ready;
  return section;
}

// Renders into buffer `i` and hands it to the device.
void QueueBuffer(int i) {
  WAVEHDR& header = player.headers[i];
  {
    module_output::Lock lock;
    module_core::Render(player.core, player.samples[i].data(),
                        player.samples[i].size() / kChannels);
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

namespace module_output {

module_core::ModuleCore& Core() {
  return player.core;
}

bool Open(int device, uint32_t frequency) {
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
    Close();
    return false;
  }
  player.device = handle;
  player.core.frequency = frequency;
  const uint32_t frames = waveout_player::BufferFrames(frequency);
  for (int i = 0; i < kBufferCount; ++i) {
    player.samples[i].assign(static_cast<size_t>(frames) * kChannels, 0);
    WAVEHDR& header = player.headers[i];
    std::memset(&header, 0, sizeof header);
    header.lpData = reinterpret_cast<LPSTR>(player.samples[i].data());
    header.dwBufferLength = frames * format.nBlockAlign;
    if (waveOutPrepareHeader(player.device, &header, sizeof header) != MMSYSERR_NOERROR) {
      Close();
      return false;
    }
  }
  // The device runs from now on; it plays silence until a module plays.
  for (int i = 0; i < kBufferCount; ++i) QueueBuffer(i);
  player.thread = CreateThread(nullptr, 0, RenderThread, nullptr, 0, nullptr);
  if (!player.thread) {
    Close();
    return false;
  }
  return true;
}

void Close() {
  CloseDevice();
  player.thread = nullptr;
  player.device = nullptr;
  player.bufferDone = nullptr;
  Lock lock;
  player.stopping = 0;
  for (WAVEHDR& header : player.headers) std::memset(&header, 0, sizeof header);
  for (std::vector<int16_t>& samples : player.samples) samples.clear();
  player.core = module_core::ModuleCore();
}

bool DeviceOpen() {
  return player.device != nullptr;
}

// waveOut plays from the moment the device opens.
bool DeviceFailed() {
  return false;
}

// The frame of the output stream being heard now, as the device counts it. Its sample
// counter is 32 bits: it is widened against the frames written, which it never passes.
int64_t HeardFrame() {
  MMTIME time;
  std::memset(&time, 0, sizeof time);
  time.wType = TIME_SAMPLES;
  if (waveOutGetPosition(player.device, &time, sizeof time) != MMSYSERR_NOERROR ||
      time.wType != TIME_SAMPLES) {
    return static_cast<int64_t>(player.core.outputFrames);
  }
  return waveout_player::WidenSampleCount(player.core.outputFrames, time.u.sample);
}

Lock::Lock() : held_(0) {
  EnterCriticalSection(&Section());
}

Lock::~Lock() {
  LeaveCriticalSection(&Section());
}

}  // namespace module_output
