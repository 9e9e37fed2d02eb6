// The module player's PulseAudio stream (pulse_output.h), on libpulse's threaded main loop.
// The main loop's lock is the one lock: its thread runs the write and state callbacks
// holding it, the front end takes it through module_output::Lock, and the clock thread of a
// lost server takes it to render.
//
// libpulse is loaded at run time, as SDL loads it: a system without it (or the portable
// build on one) starts all the same and plays through SDL.
#include "platform/sdl/pulse_output.h"

#include <dlfcn.h>
#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// Every libpulse function used here, called through a pointer of the same name.
// clang-format off
#define PULSE_FUNCTIONS(X) \
  X(pa_threaded_mainloop_new) \
  X(pa_threaded_mainloop_free) \
  X(pa_threaded_mainloop_start) \
  X(pa_threaded_mainloop_stop) \
  X(pa_threaded_mainloop_lock) \
  X(pa_threaded_mainloop_unlock) \
  X(pa_threaded_mainloop_wait) \
  X(pa_threaded_mainloop_signal) \
  X(pa_threaded_mainloop_get_api) \
  X(pa_context_new) \
  X(pa_context_set_state_callback) \
  X(pa_context_connect) \
  X(pa_context_get_state) \
  X(pa_context_disconnect) \
  X(pa_context_unref) \
  X(pa_stream_new) \
  X(pa_stream_set_state_callback) \
  X(pa_stream_set_write_callback) \
  X(pa_stream_connect_playback) \
  X(pa_stream_get_state) \
  X(pa_stream_begin_write) \
  X(pa_stream_cancel_write) \
  X(pa_stream_write) \
  X(pa_stream_get_time) \
  X(pa_stream_disconnect) \
  X(pa_stream_unref) \
  X(pa_usec_to_bytes)
// clang-format on

struct Library {
#define PULSE_POINTER(name) decltype(&::name) name = nullptr;
  PULSE_FUNCTIONS(PULSE_POINTER)
#undef PULSE_POINTER
};

Library pulse;

// Loads libpulse once; false when the system has none (or an incomplete one).
bool LoadLibrary() {
  static void* handle = dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL);
  static bool loaded = [] {
    if (!handle) return false;
    bool all = true;
#define PULSE_LOAD(name)                                                  \
  pulse.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name)); \
  all = all && pulse.name;
    PULSE_FUNCTIONS(PULSE_LOAD)
#undef PULSE_LOAD
    return all;
  }();
  return loaded;
}

using module_core::kChannels;

constexpr size_t kFrameBytes = kChannels * sizeof(int16_t);
// What the server is asked to hold, sink included: enough for a frame of the show that
// takes a while, little enough that a position set is heard soon.
constexpr pa_usec_t kTargetLatencyUs = 40000;
// While the server is gone: how far the silent stream renders ahead of the clock, and how
// often it wakes.
constexpr int64_t kLostAheadFrames = 1024;
constexpr auto kLostTick = std::chrono::milliseconds(5);

struct Output {
  pa_threaded_mainloop* loop = nullptr;
  pa_context* context = nullptr;
  pa_stream* stream = nullptr;
  module_core::ModuleCore* core = nullptr;
  bool ready = false;     // the stream played; a failure from now on is a lost server
  int64_t lastHeard = 0;  // the last heard frame the server's timing gave
  bool lost = false;      // the server went away: the clock thread renders
  std::chrono::steady_clock::time_point lostAt;
  int64_t lostHeard = 0;  // lastHeard when the server went away
  bool stopping = false;  // Close asks the clock thread to end
  std::thread clock;
  std::vector<int16_t> silent;  // where the clock thread renders
};

Output output;

int64_t FramesOfTime(pa_usec_t us) {
  return static_cast<int64_t>(us * output.core->frequency / 1000000u);
}

// Lock held. The server's playback time of the stream: the frame at the speaker, sink
// latency included, interpolated on the local clock since the last timing update.
void ReadServerTime() {
  pa_usec_t us = 0;
  if (!output.stream || pulse.pa_stream_get_time(output.stream, &us) != 0) return;
  const int64_t heard = std::min(FramesOfTime(us), static_cast<int64_t>(output.core->outputFrames));
  output.lastHeard = std::max(output.lastHeard, heard);
}

int64_t LostHeardFrame() {
  const auto elapsed = std::chrono::steady_clock::now() - output.lostAt;
  const int64_t us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  return output.lostHeard + us * static_cast<int64_t>(output.core->frequency) / 1000000;
}

// The silent stream of a lost server: renders on the wall clock, a little ahead of it, so
// the module's position goes on as if it were heard.
void ClockThread() {
  pulse.pa_threaded_mainloop_lock(output.loop);
  while (!output.stopping) {
    const int64_t target = LostHeardFrame() + kLostAheadFrames;
    while (static_cast<int64_t>(output.core->outputFrames) < target) {
      const size_t frames = output.silent.size() / kChannels;
      module_core::Render(*output.core, output.silent.data(), frames);
    }
    pulse.pa_threaded_mainloop_unlock(output.loop);
    std::this_thread::sleep_for(kLostTick);
    pulse.pa_threaded_mainloop_lock(output.loop);
  }
  pulse.pa_threaded_mainloop_unlock(output.loop);
}

// Lock held (a callback of the main loop).
void BecomeLost() {
  if (output.lost) return;
  ReadServerTime();
  output.lost = true;
  output.lostAt = std::chrono::steady_clock::now();
  output.lostHeard = output.lastHeard;
  output.silent.assign(256 * kChannels, 0);
  output.clock = std::thread(ClockThread);
}

void ContextState(pa_context* context, void*) {
  const pa_context_state_t state = pulse.pa_context_get_state(context);
  if (!PA_CONTEXT_IS_GOOD(state) && output.ready) BecomeLost();
  pulse.pa_threaded_mainloop_signal(output.loop, 0);
}

void StreamState(pa_stream* stream, void*) {
  const pa_stream_state_t state = pulse.pa_stream_get_state(stream);
  if (!PA_STREAM_IS_GOOD(state) && output.ready) BecomeLost();
  pulse.pa_threaded_mainloop_signal(output.loop, 0);
}

// The server asks for `bytes` more: the module renders straight into its buffers.
void StreamWrite(pa_stream* stream, size_t bytes, void*) {
  if (output.lost) return;
  while (bytes >= kFrameBytes) {
    void* data = nullptr;
    size_t length = bytes;
    if (pulse.pa_stream_begin_write(stream, &data, &length) < 0 || !data) return;
    length = std::min(length, bytes) / kFrameBytes * kFrameBytes;
    if (length == 0) {
      pulse.pa_stream_cancel_write(stream);
      return;
    }
    module_core::Render(*output.core, static_cast<int16_t*>(data), length / kFrameBytes);
    if (pulse.pa_stream_write(stream, data, length, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
    bytes -= length;
  }
}

// Lock held: waits until `settled` gives 1 (ready) or -1 (failed); true when ready.
template <typename Settled>
bool WaitFor(Settled settled) {
  for (;;) {
    const int result = settled();
    if (result != 0) return result > 0;
    pulse.pa_threaded_mainloop_wait(output.loop);
  }
}

bool Connect(uint32_t frequency) {
  output.context = pulse.pa_context_new(pulse.pa_threaded_mainloop_get_api(output.loop), "Lumivex");
  if (!output.context) return false;
  pulse.pa_context_set_state_callback(output.context, ContextState, nullptr);
  if (pulse.pa_context_connect(output.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    return false;
  }
  const bool connected = WaitFor([] {
    const pa_context_state_t state = pulse.pa_context_get_state(output.context);
    if (state == PA_CONTEXT_READY) return 1;
    return PA_CONTEXT_IS_GOOD(state) ? 0 : -1;
  });
  if (!connected) return false;

  pa_sample_spec spec;
  spec.format = PA_SAMPLE_S16NE;
  spec.rate = frequency;
  spec.channels = kChannels;
  output.stream = pulse.pa_stream_new(output.context, "Music", &spec, nullptr);
  if (!output.stream) return false;
  pulse.pa_stream_set_state_callback(output.stream, StreamState, nullptr);
  pulse.pa_stream_set_write_callback(output.stream, StreamWrite, nullptr);
  pa_buffer_attr attributes;
  attributes.maxlength = static_cast<uint32_t>(-1);
  attributes.tlength = static_cast<uint32_t>(pulse.pa_usec_to_bytes(kTargetLatencyUs, &spec));
  attributes.prebuf = static_cast<uint32_t>(-1);
  attributes.minreq = static_cast<uint32_t>(-1);
  attributes.fragsize = static_cast<uint32_t>(-1);
  const auto flags = static_cast<pa_stream_flags_t>(
      PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
  if (pulse.pa_stream_connect_playback(output.stream, nullptr, &attributes, flags, nullptr,
                                       nullptr) < 0) {
    return false;
  }
  return WaitFor([] {
    const pa_stream_state_t state = pulse.pa_stream_get_state(output.stream);
    if (state == PA_STREAM_READY) return 1;
    return PA_STREAM_IS_GOOD(state) ? 0 : -1;
  });
}

// Lock held, or the main loop stopped.
void Disconnect() {
  if (output.stream) {
    pulse.pa_stream_set_state_callback(output.stream, nullptr, nullptr);
    pulse.pa_stream_set_write_callback(output.stream, nullptr, nullptr);
    pulse.pa_stream_disconnect(output.stream);
    pulse.pa_stream_unref(output.stream);
    output.stream = nullptr;
  }
  if (output.context) {
    pulse.pa_context_set_state_callback(output.context, nullptr, nullptr);
    pulse.pa_context_disconnect(output.context);
    pulse.pa_context_unref(output.context);
    output.context = nullptr;
  }
}

}  // namespace

namespace pulse_output {

bool Open(module_core::ModuleCore* core, uint32_t frequency) {
  if (output.loop || frequency == 0 || !LoadLibrary()) return false;
  output.loop = pulse.pa_threaded_mainloop_new();
  if (!output.loop) return false;
  output.core = core;
  core->frequency = frequency;
  pulse.pa_threaded_mainloop_lock(output.loop);
  bool opened = pulse.pa_threaded_mainloop_start(output.loop) >= 0 && Connect(frequency);
  if (opened) output.ready = true;
  pulse.pa_threaded_mainloop_unlock(output.loop);
  if (!opened) Close();
  return opened;
}

void Close() {
  if (!output.loop) return;
  pulse.pa_threaded_mainloop_lock(output.loop);
  output.stopping = true;
  pulse.pa_threaded_mainloop_unlock(output.loop);
  if (output.clock.joinable()) output.clock.join();
  pulse.pa_threaded_mainloop_lock(output.loop);
  Disconnect();
  pulse.pa_threaded_mainloop_unlock(output.loop);
  pulse.pa_threaded_mainloop_stop(output.loop);
  pulse.pa_threaded_mainloop_free(output.loop);
  output = Output();
}

bool IsOpen() {
  return output.loop != nullptr;
}

void Lock() {
  pulse.pa_threaded_mainloop_lock(output.loop);
}

void Unlock() {
  pulse.pa_threaded_mainloop_unlock(output.loop);
}

int64_t HeardFrame() {
  if (output.lost) {
    return std::min(LostHeardFrame(), static_cast<int64_t>(output.core->outputFrames));
  }
  ReadServerTime();
  return output.lastHeard;
}

}  // namespace pulse_output
