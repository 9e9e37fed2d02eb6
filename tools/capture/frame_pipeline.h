// A writer thread for captured frames: the next frame is drawn while the last one is
// converted and written, and a disk that stalls holds up drawing only once `depth`
// frames wait. Frames are written one at a time, in the order given.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FramePipeline {
 public:
  // Writes frame `index` (its pixels as pushed); false with `error` set on a failure.
  using Sink =
      std::function<bool(int64_t index, const std::vector<uint8_t>& pixels, std::string* error)>;

  FramePipeline(Sink sink, size_t depth);
  ~FramePipeline();  // waits for the frames queued
  FramePipeline(const FramePipeline&) = delete;
  FramePipeline& operator=(const FramePipeline&) = delete;

  // A buffer to read the next frame into (one the writer is done with, when there is one).
  std::vector<uint8_t> TakeBuffer();
  // Queues a frame, waiting while `depth` frames are queued. False, with the writer's
  // error, once a write has failed: no frame after a failed one is written.
  bool Push(int64_t index, std::vector<uint8_t> pixels, std::string* error);
  // Waits until every queued frame is written; false with the first error.
  bool Finish(std::string* error);

 private:
  void Run();

  Sink sink_;
  size_t depth_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<int64_t, std::vector<uint8_t>>> queue_;
  std::vector<std::vector<uint8_t>> spare_;
  bool busy_ = false;  // the writer holds a frame
  bool closing_ = false;
  bool failed_ = false;
  std::string error_;
  std::thread writer_;
};
