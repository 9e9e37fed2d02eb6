// Feeds arbitrary bytes to ModuleMusicLoad through a file, with the player in its offline
// mode: every input must end as a clean refusal (no module, no position) or as a module
// that plays, moves and restarts like the show's own.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/module_player.h"
#include "resources/music_player.h"

namespace {
constexpr size_t kRenderFrames = 2048;  // about 46 ms at 44100 Hz
char scratch[] = "/tmp/module_fuzz.XXXXXX";
std::string inputPath;
int16_t sound[2 * kRenderFrames];
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!mkdtemp(scratch)) std::abort();
  inputPath = std::string(scratch) + "/input.xm";
  if (!ModuleDeviceInitOffline(44100)) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(inputPath.c_str(), "wb");
  if (!file) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  if (!ModuleMusicLoad(inputPath.c_str(), kMusicLoadFlags)) {
    // Refused: nothing loaded, and the player says so.
    if (ModuleMusicGetPosition() != kModuleNoPosition) std::abort();
    if (ModuleMusicPlay()) std::abort();
    if (ModuleRender(sound, kRenderFrames) != kRenderFrames) std::abort();
    return 0;
  }
  if (ModuleMusicGetPosition() == kModuleNoPosition) std::abort();
  if (!ModuleMusicPlay()) std::abort();
  if (ModuleRender(sound, kRenderFrames) != kRenderFrames) std::abort();
  // Where the show moves: a restart at order 0 (a fresh copy of the module), then a jump
  // to a later order, which may not exist and must then leave the position alone.
  ModuleMusicSetPosition(0);
  if (ModuleMusicGetPosition() == kModuleNoPosition) std::abort();
  if (ModuleRender(sound, kRenderFrames) != kRenderFrames) std::abort();
  const uint32_t before = ModuleMusicGetPosition();
  if (!ModuleMusicSetPosition(size > 0 ? data[0] % 8 + 1 : 1) &&
      ModuleMusicGetPosition() != before) {
    std::abort();
  }
  if (ModuleRender(sound, kRenderFrames) != kRenderFrames) std::abort();
  ModuleMusicFree();
  if (ModuleMusicGetPosition() != kModuleNoPosition) std::abort();
  return 0;
}
