// WAVE writer: a 44-byte header (RIFF, "fmt " for PCM, "data"), then the samples.
#include "tools/capture/wav_writer.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

constexpr uint16_t kChannels = 2;
constexpr uint16_t kBytesPerSample = 2;
constexpr uint32_t kHeaderBytes = 44;
// The RIFF sizes are 32-bit: the data may not grow past this.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - kHeaderBytes;

void Put16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

void MakeHeader(uint8_t* header, uint32_t sampleRate, uint32_t dataBytes) {
  std::memcpy(header, "RIFF", 4);
  Put32(header + 4, dataBytes + kHeaderBytes - 8);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  Put32(header + 16, 16);  // size of the PCM format block
  Put16(header + 20, 1);   // PCM
  Put16(header + 22, kChannels);
  Put32(header + 24, sampleRate);
  Put32(header + 28, sampleRate * kChannels * kBytesPerSample);
  Put16(header + 32, kChannels * kBytesPerSample);
  Put16(header + 34, 8 * kBytesPerSample);
  std::memcpy(header + 36, "data", 4);
  Put32(header + 40, dataBytes);
}

}  // namespace

WavWriter::~WavWriter() {
  if (file_) std::fclose(file_);
}

bool WavWriter::Fail(std::string* error) {
  *error = path_ + ": " + std::strerror(errno);
  return false;
}

bool WavWriter::Open(const std::string& path, uint32_t sampleRate, std::string* error) {
  path_ = path;
  frames_ = 0;
  sampleRate_ = sampleRate;
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) return Fail(error);
  // The rate goes in now; the sizes stay 0 until Close knows them.
  uint8_t header[kHeaderBytes];
  MakeHeader(header, sampleRate, 0);
  if (std::fwrite(header, 1, sizeof header, file_) != sizeof header) return Fail(error);
  return true;
}

bool WavWriter::Write(const int16_t* interleaved, size_t frames, std::string* error) {
  if (!file_) {
    *error = path_ + ": not open";
    return false;
  }
  const uint64_t bytes = (frames_ + frames) * kChannels * kBytesPerSample;
  if (bytes > kMaxDataBytes) {
    *error = path_ + ": the sound is longer than a WAVE file can hold";
    return false;
  }
  // WAVE samples are little-endian whatever the machine.
  std::vector<uint8_t> out(frames * kChannels * kBytesPerSample);
  for (size_t i = 0; i < frames * kChannels; ++i) {
    Put16(&out[2 * i], static_cast<uint16_t>(interleaved[i]));
  }
  if (std::fwrite(out.data(), 1, out.size(), file_) != out.size()) return Fail(error);
  frames_ += frames;
  return true;
}

bool WavWriter::Close(std::string* error) {
  if (!file_) return true;
  uint8_t header[kHeaderBytes];
  MakeHeader(header, sampleRate_, static_cast<uint32_t>(frames_ * kChannels * kBytesPerSample));
  bool ok = std::fflush(file_) == 0 && std::fseek(file_, 0, SEEK_SET) == 0 &&
            std::fwrite(header, 1, sizeof header, file_) == sizeof header &&
            std::fflush(file_) == 0;
  const int savedErrno = errno;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!ok || !closed) {
    errno = ok ? errno : savedErrno;
    return Fail(error);
  }
  return true;
}
