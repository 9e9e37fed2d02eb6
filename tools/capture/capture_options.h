// The capture program's command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CaptureOptions {
  std::string out;     // a folder for PNG frames, or a .y4m file
  bool video = false;  // out names a .y4m file
  int fps = 60;        // frames per second of the video
  int width = 800;     // frame size; the projection follows its aspect
  int height = 600;
  int64_t frames = -1;   // frames to capture; -1: until the tour ends
  std::string keysFile;  // the key script; empty: the default tour
  bool mux = true;       // run ffmpeg at the end where it is installed
  bool progress = true;  // progress on standard error
  bool dryRun = false;   // draw every frame, write nothing (a timing floor)
  bool help = false;
  bool version = false;  // print the version and end
};

// Parses argv[1..]; false with `error` set on a bad argument (the caller prints the usage
// and exits with 2).
bool ParseCaptureOptions(const std::vector<std::string>& args, CaptureOptions* options,
                         std::string* error);

const char* CaptureUsage();

// Where the outputs go: the sound and the muxed video beside (or inside) `out`.
struct CapturePaths {
  std::string frameDir;  // the folder of the PNG frames (folder output), used literally
  std::string video;     // the .y4m file (video output)
  std::string wav;
  std::string mp4;
};
CapturePaths PathsFor(const CaptureOptions& options);
// The file of PNG frame `index`: frame_000000.png, frame_000001.png, ... in the folder.
std::string FramePath(const CapturePaths& paths, int64_t index);

// The ffmpeg command that muxes the capture into an MP4 (H.264 + AAC), arguments quoted
// for a POSIX shell.
std::string MuxCommand(const CaptureOptions& options, const CapturePaths& paths);

// Sound frames that belong to the first `frame` video frames: each video frame gets
// rate / fps of them, the remainder carried, so none is lost and none is made up.
uint64_t SoundFramesBefore(uint64_t frame, uint32_t rate, int fps);
