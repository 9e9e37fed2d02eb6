// The module player's one front end: platform/module_player.h on the shared libopenmpt
// core (module_core.h) and the sound output the program links (module_output.h).
#include "platform/module_player.h"

#include "platform/openmpt/module_core.h"
#include "platform/openmpt/module_output.h"

using module_output::Core;
using module_output::Lock;

namespace {

// Chosen before start-up and kept across ModuleDeviceFree.
bool offlineSelected = false;
uint32_t offlineFrequency = 0;  // 0: the rate ModuleDeviceInit is asked for

bool Initialised() {
  return module_output::DeviceOpen() || Core().offline;
}

}  // namespace

bool ModuleDeviceInit(int device, uint32_t frequency) {
  if (offlineSelected) {
    return ModuleDeviceInitOffline(offlineFrequency ? offlineFrequency : frequency);
  }
  ModuleDeviceFree();
  if (frequency == 0) return false;
  return module_output::Open(device, frequency);
}

bool ModuleDeviceInitOffline(uint32_t frequency) {
  ModuleDeviceFree();
  return module_core::OpenOffline(Core(), frequency);
}

void ModuleSelectOffline(bool offline, uint32_t frequency) {
  offlineSelected = offline;
  offlineFrequency = frequency;
}

void ModuleDeviceFree() {
  module_output::Close();
}

bool ModuleDeviceFailed() {
  return module_output::DeviceOpen() && module_output::DeviceFailed();
}

bool ModuleMusicLoad(const char* fileName, uint32_t flags) {
  if (!Initialised()) return false;
  return module_core::Load<Lock>(Core(), fileName, flags);
}

void ModuleMusicFree() {
  module_core::Free<Lock>(Core());
}

bool ModuleMusicPlay() {
  return module_core::SetPlaying<Lock>(Core(), true);
}

bool ModuleMusicPause() {
  return module_core::SetPlaying<Lock>(Core(), false);
}

uint32_t ModuleMusicGetPosition() {
  Lock lock;
  return module_core::HeardPosition(Core(), module_output::HeardFrame);
}

bool ModuleMusicSetPosition(uint32_t position) {
  return module_core::SetPosition<Lock>(Core(), position);
}

size_t ModuleRender(int16_t* interleaved, size_t frames) {
  return module_core::RenderOffline<Lock>(Core(), interleaved, frames);
}
