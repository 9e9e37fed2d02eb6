// A writer thread for captured frames: the next frame is drawn while the last one is
// converted, encoded and written, and a disk or an encoder that stalls holds up drawing
// only once `depth` frames wait. Frames are written one at a time, in the order given.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One captured frame: its picture and the sound that plays while it is shown.
struct CapturedFrame {
  std::vector<uint8_t> pixels;  // RGBA, bottom row first, as glReadPixels gives them
  std::vector<int16_t> sound;   // 16-bit stereo frames, interleaved
};

class FramePipeline {
 public:
  // Writes frame `index` as pushed; false with `error` set on a failure.
  using Sink = std::function<bool(int64_t index, const CapturedFrame& frame, std::string* error)>;

  FramePipeline(Sink sink, size_t depth);
  ~FramePipeline();  // waits for the frames queued
  FramePipeline(const FramePipeline&) = delete;
  FramePipeline& operator=(const FramePipeline&) = delete;

  // Buffers to read the next frame into (ones the writer is done with, when there are).
  CapturedFrame TakeBuffer();
  // Queues a frame, waiting while `depth` frames are queued. False, with the writer's
  // error, once a write has failed: no frame after a failed one is written.
  bool Push(int64_t index, CapturedFrame frame, std::string* error);
  // Waits until every queued frame is written; false with the first error.
  bool Finish(std::string* error);

 private:
  void Run();

  Sink sink_;
  size_t depth_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<int64_t, CapturedFrame>> queue_;
  std::vector<CapturedFrame> spare_;
  bool busy_ = false;  // the writer holds a frame
  bool closing_ = false;
  bool failed_ = false;
  std::string error_;
  std::thread writer_;
};
