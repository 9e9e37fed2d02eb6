// The music player: the show's calls on the module player, and their reports.
#include "resources/music_player.h"

#include "platform/module_player.h"
#include "shell/error_log.h"

namespace {
constexpr char kModule[] = "Quenra3D_Music";
constexpr uint32_t kFrequency = 44100;

uint32_t HeardPosition() {
  const uint32_t position = ModuleMusicGetPosition();
  return position == kModuleNoPosition ? 0 : position;
}

void ReportNoDevice() {
  ErrorLogReport(kModule, "Can't initialize device", 0);
}
}  // namespace

int MusicLoad(const char* fileName) {
  if (!ModuleDeviceInit(kModuleDefaultDevice, kFrequency)) {
    ReportNoDevice();
    return 0;
  }
  ModuleMusicFree();
  if (ModuleMusicLoad(fileName, kMusicLoadFlags)) {
    ModuleMusicPlay();
  } else {
    ErrorLogReport(kModule, "Music File Not Found", 0);
  }
  return 1;
}

int MusicGetOrder() {
  return static_cast<int>(HeardPosition() & 0xFFFFu);
}

int MusicGetRow() {
  return static_cast<int>(HeardPosition() >> 16);
}

int MusicSetPosition(uint32_t position) {
  return ModuleMusicSetPosition(position) ? 1 : 0;
}

int MusicPause() {
  return ModuleMusicPause() ? 1 : 0;
}

int MusicPlay() {
  return ModuleMusicPlay() ? 1 : 0;
}

void MusicShutdown() {
  ModuleDeviceFree();
}

void MusicCheckDevice() {
  if (!ModuleDeviceFailed()) return;
  // Released first, so the show is as silent as without a device when the box shows.
  ModuleDeviceFree();
  ReportNoDevice();
}
