// The module player: a tracker-module renderer with a sound output, in the shape of the
// player library the show was designed around. One device, one module at a time.
//
// Position values: order in the low 16 bits, row in the high 16 bits; kModuleNoPosition
// when no module is loaded or on error. The position reported is the one being heard,
// not the one being rendered. Playback loops forever (back to the module's restart
// position). Every call is safe against the audio thread.
//
// Backends: one front end (platform/openmpt/module_player.cpp) on one libopenmpt core
// (platform/openmpt/module_core.h) with three outputs, an SDL audio callback
// (platform/sdl), winmm's waveOut (platform/win32) and Web Audio (platform/web); and
// tests/support/fake_platform (a position the test controls).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kModuleRamp = 1;        // normal volume ramping
constexpr uint32_t kModuleLoop = 4;        // start over at the end
constexpr uint32_t kModulePosReset = 256;  // moving the position stops all notes
constexpr uint32_t kModuleNoPosition = 0xFFFFFFFFu;
constexpr int kModuleDefaultDevice = -1;

// Opens the output device (`device` -1: the default) at `frequency` Hz. False when there
// is no device.
bool ModuleDeviceInit(int device, uint32_t frequency);
// Offline mode: no device; sound is made only by ModuleRender, and the position follows
// the samples rendered. Used by the capture program and the tests.
bool ModuleDeviceInitOffline(uint32_t frequency);
// With `offline` true, every later ModuleDeviceInit opens the offline mode instead of an
// output device, so the show's own start-up (MusicLoad) plays into ModuleRender; at
// `frequency` Hz where it is not 0 (a video's own sound rate), else at the rate asked
// for. Set by the capture program before start-up; off by default.
void ModuleSelectOffline(bool offline, uint32_t frequency = 0);
// Stops playback, releases the module and the device. Harmless when nothing was opened.
void ModuleDeviceFree();
// True while the open device has not started and never will: a page's sound that the
// browser holds or has no output for, known a moment after ModuleDeviceInit succeeded.
// The caller reports it as no device and frees it. Devices that start as they open (SDL,
// waveOut) never say so.
bool ModuleDeviceFailed();

// Loads a module file; the loaded module replaces any earlier one. False when the file
// cannot be read or is not a module.
bool ModuleMusicLoad(const char* fileName, uint32_t flags);
void ModuleMusicFree();
// Starts or resumes from the current position.
bool ModuleMusicPlay();
bool ModuleMusicPause();
uint32_t ModuleMusicGetPosition();
// Moves to order (low word) and row (high word). Position 0 also resets speed, tempo and
// global volume. False (position unchanged) when the order or row does not exist.
bool ModuleMusicSetPosition(uint32_t position);

// Offline mode only: renders `frames` stereo frames of 16-bit samples into `interleaved`
// (2 x frames values) and returns the frames written (silence after a failure or while
// paused).
size_t ModuleRender(int16_t* interleaved, size_t frames);
