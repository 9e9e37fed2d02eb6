// The capture program's command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/capture/output_formats.h"

// Frames per second as a fraction: 60/1, or 60000/1001 for the NTSC-style 59.94.
struct FrameRate {
  int num = 60;
  int den = 1;
  double value() const { return static_cast<double>(num) / den; }
};

struct CaptureOptions {
  std::string out;                       // a folder for PNG frames, or a file
  const OutputFormat* format = nullptr;  // what `out` names; null in a dry run without --out
  FrameRate rate;                        // of the video
  int width = 800;                       // frame size; the projection follows its aspect
  int height = 600;
  int64_t frames = -1;   // frames to capture; -1: until the tour ends
  std::string keysFile;  // the key script; empty: the default tour
  bool progress = true;  // progress on standard error
  bool dryRun = false;   // draw every frame, write nothing (a timing floor)
  bool help = false;
  bool version = false;  // print the version and end
};

// Parses argv[1..]; false with `error` set on a bad argument (the caller prints the usage
// and exits with 2).
bool ParseCaptureOptions(const std::vector<std::string>& args, CaptureOptions* options,
                         std::string* error);

std::string CaptureUsage();

// Where the outputs go: the sound beside (or inside) `out`.
struct CapturePaths {
  std::string frameDir;  // the folder of the PNG frames (folder output), used literally
  std::string video;     // the .y4m or encoded file
  std::string wav;       // the sound of a lossless output
};
CapturePaths PathsFor(const CaptureOptions& options);
// The file of PNG frame `index`: frame_000000.png, frame_000001.png, ... in the folder.
std::string FramePath(const CapturePaths& paths, int64_t index);

// Sound frames that belong to the first `frame` video frames: each video frame gets
// rate / fps of them, the remainder carried, so none is lost and none is made up.
uint64_t SoundFramesBefore(uint64_t frame, uint32_t rate, FrameRate fps);
