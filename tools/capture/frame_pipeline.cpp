// The frame writer thread: a bounded queue, recycled buffers, the first error kept.
#include "tools/capture/frame_pipeline.h"

#include <utility>

FramePipeline::FramePipeline(Sink sink, size_t depth)
    : sink_(std::move(sink)), depth_(depth ? depth : 1), writer_([this] { Run(); }) {}

FramePipeline::~FramePipeline() {
  std::string ignored;
  Finish(&ignored);
}

CapturedFrame FramePipeline::TakeBuffer() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (spare_.empty()) return {};
  CapturedFrame buffer = std::move(spare_.back());
  spare_.pop_back();
  return buffer;
}

bool FramePipeline::Push(int64_t index, CapturedFrame frame, std::string* error) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return failed_ || queue_.size() < depth_; });
  if (failed_) {
    *error = error_;
    return false;
  }
  queue_.emplace_back(index, std::move(frame));
  changed_.notify_all();
  return true;
}

bool FramePipeline::Finish(std::string* error) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return failed_ || (queue_.empty() && !busy_); });
    closing_ = true;
    changed_.notify_all();
  }
  if (writer_.joinable()) writer_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  if (failed_) *error = error_;
  return !failed_;
}

void FramePipeline::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return closing_ || (!queue_.empty() && !failed_); });
    if (failed_ || queue_.empty()) return;  // closing, or nothing more will be written
    std::pair<int64_t, CapturedFrame> frame = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    std::string error;
    const bool ok = sink_(frame.first, frame.second, &error);
    lock.lock();
    busy_ = false;
    if (!ok) {
      failed_ = true;
      error_ = error;
      queue_.clear();
    }
    spare_.push_back(std::move(frame.second));
    changed_.notify_all();
  }
}
