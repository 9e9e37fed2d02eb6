// The sound track and the show's clock: a thin layer over the module player.
#pragma once

#include <cstdint>

#include "platform/module_player.h"

// How the show loads its module: volume ramping, looping for ever, and notes stopped
// whenever the position moves (0x105).
constexpr uint32_t kMusicLoadFlags = kModuleRamp | kModuleLoop | kModulePosReset;

// Opens the device, loads the module and starts it. 0 when there is no device, else 1
// (also when the file is missing). Failures are reported to the error log.
int MusicLoad(const char* fileName);
// The order being heard (low 16 bits of the position); 0 on error or without a module.
int MusicGetOrder();
// The row being heard (high 16 bits); 0 on error.
int MusicGetRow();
int MusicSetPosition(uint32_t position);
int MusicPause();
int MusicPlay();
// Releases the player; harmless without an earlier MusicLoad.
void MusicShutdown();
// A device that opened but never started (a page's sound that the browser holds or has no
// output for) is reported as MusicLoad reports a missing one, once, and released: the
// show then goes on silent, as without a device. The page's frame step calls it; on the
// desktop a device that opens plays, and this does nothing.
void MusicCheckDevice();
