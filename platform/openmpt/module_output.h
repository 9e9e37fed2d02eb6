// What a sound output of the module player gives its one front end
// (platform/openmpt/module_player.cpp), which builds platform/module_player.h on it and on
// the shared libopenmpt core: the offline switch, the argument checks and every call on
// the core are the front end's. An output owns only its device, its audio thread and the
// lock between that thread and the front end. Outputs: on Linux a PulseAudio stream or an
// SDL audio callback (platform/sdl/sdl_audio_output.cpp), winmm's waveOut
// (platform/win32/waveout_module_player.cpp) and Web Audio
// (platform/web/web_audio_output.cpp); a program links one.
#pragma once

#include <cstdint>

#include "platform/openmpt/module_core.h"

namespace module_output {

// The output's core; a default-constructed (closed) one until Open or the offline mode.
module_core::ModuleCore& Core();

// Opens device `device` (-1: the default) at `frequency` Hz (not 0) on a closed output,
// sets the core's frequency and starts the device, which plays silence until a module
// plays. False, with the output left closed, when there is no such device.
bool Open(int device, uint32_t frequency);
// Closes the device, if one is open, and puts the output and its core back in the closed
// state.
void Close();
// True while a device is open.
bool DeviceOpen();
// True when the open device turned out never to start (ModuleDeviceFailed).
bool DeviceFailed();
// The frame of the output stream being heard now; asked with the lock held and a device
// open.
int64_t HeardFrame();

// Holds the output's lock against its audio thread while the object lives.
class Lock {
 public:
  Lock();
  ~Lock();
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  uintptr_t held_;  // what the constructor locked, for the destructor (0: nothing)
};

}  // namespace module_output
