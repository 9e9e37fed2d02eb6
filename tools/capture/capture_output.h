// Where captured frames go: a folder of PNG frames or a Y4M stream, each with a WAV (the
// lossless outputs, for editing), or a finished video encoded in the capture. Frames are
// written from the frame writer thread, one at a time and in order; the output is opened,
// closed or discarded on the main thread while no frame is in flight.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "tools/capture/capture_options.h"
#include "tools/capture/frame_pipeline.h"

class CaptureOutput {
 public:
  virtual ~CaptureOutput() = default;
  // Writes frame `index` (the frames since the last one written, counted from 0) and its
  // sound; false with `error` set when it cannot.
  virtual bool Write(int64_t index, const CapturedFrame& frame, std::string* error) = 0;
  // Finishes the files, which then play whole under their own names; false when anything
  // could not be written.
  virtual bool Close(std::string* error) = 0;
  // Removes what this output wrote (after a failure, or when no frame was captured), so no
  // file is left that looks complete but is not.
  virtual void Discard() = 0;
  // Bytes written so far, for progress; read from any thread.
  uint64_t bytes() const { return bytes_; }

 protected:
  std::atomic<uint64_t> bytes_{0};
};

// The size of the file at `path`; 0 when it cannot be read.
uint64_t FileSize(const std::string& path);

// Opens the output `options` name at its size, rate and sound rate (its format's). Null
// with `error` set (naming the cause) when it cannot be written.
std::unique_ptr<CaptureOutput> OpenCaptureOutput(const CaptureOptions& options, std::string* error);
