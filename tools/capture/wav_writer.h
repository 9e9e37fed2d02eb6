// A RIFF WAVE file of 16-bit stereo PCM, written as the samples come; the sizes in the
// header are filled in when it is closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  bool Open(const std::string& path, uint32_t sampleRate, std::string* error);
  // Appends `frames` stereo frames (2 x frames interleaved values), little-endian.
  bool Write(const int16_t* interleaved, size_t frames, std::string* error);
  // Writes the final sizes into the header and closes.
  bool Close(std::string* error);
  uint64_t frames() const { return frames_; }

 private:
  bool Fail(std::string* error);
  FILE* file_ = nullptr;
  std::string path_;
  uint64_t frames_ = 0;
  uint32_t sampleRate_ = 0;
};
