// The module player's PulseAudio stream, used by the SDL output (sdl_audio_output.cpp) in
// place of SDL's own device whenever a PulseAudio server (or PipeWire's) plays the show: the
// module renders in the stream's write callback and the heard frame is the stream time the
// server reports, interpolated between its timing updates, sink latency included.
//
// A server that goes away mid-show (killed, restarted) leaves the stream on its own clock:
// the module goes on rendering in real time, silent, and the heard frame follows the wall
// clock from the last frame the server said was heard.
#pragma once

#include <cstdint>

#include "platform/openmpt/module_core.h"

namespace pulse_output {

// Connects to the default server (never starting one) and opens a playback stream at
// `frequency` Hz that renders `core` and plays silence until a module plays. False, with
// nothing left open, when there is no server or it refuses the stream.
bool Open(module_core::ModuleCore* core, uint32_t frequency);
// Closes the stream and the connection, if open; the core is left as it is.
void Close();
bool IsOpen();
// The stream's lock against its thread (recursive).
void Lock();
void Unlock();
// The frame of the output stream being heard now; asked with the lock held.
int64_t HeardFrame();

}  // namespace pulse_output
