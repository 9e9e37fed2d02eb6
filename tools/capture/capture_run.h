// One capture: the show's own start-up and frame passes, drawn into a headless GL
// framebuffer, every frame read back and written, the music rendered offline in step.
#pragma once

#include "tools/capture/capture_options.h"

// Runs the capture; returns the process exit code (0 done, 1 an output or GL failure,
// 2 a bad key script).
int RunCapture(const CaptureOptions& options);
