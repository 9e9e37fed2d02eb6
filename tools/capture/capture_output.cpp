// The lossless outputs (PNG frames or Y4M, each with a WAV beside it), and the choice of
// output by format.
#include "tools/capture/capture_output.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#ifdef LUMIVEX_CAPTURE_ENCODE
#include "tools/capture/encoded_output.h"
#endif
#include "tools/capture/png_writer.h"
#include "tools/capture/wav_writer.h"
#include "tools/capture/y4m_writer.h"

namespace {

namespace fs = std::filesystem;

// "frame_" and six or more digits, then ".png": the names this program gives frames.
bool IsFrameName(const std::string& name) {
  constexpr size_t kPrefix = 6, kSuffix = 4;
  if (name.size() < kPrefix + 6 + kSuffix || name.compare(0, kPrefix, "frame_") != 0 ||
      name.compare(name.size() - kSuffix, kSuffix, ".png") != 0) {
    return false;
  }
  for (size_t i = kPrefix; i < name.size() - kSuffix; ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

// A lossless picture output with its WAV: the sound is written as it comes.
class LosslessOutput : public CaptureOutput {
 protected:
  bool OpenSound(const std::string& path, uint32_t rate, std::string* error) {
    wavPath_ = path;
    return sound_.Open(path, rate, error);
  }
  bool WriteSound(const CapturedFrame& frame, std::string* error) {
    return sound_.Write(frame.sound.data(), frame.sound.size() / 2, error);
  }
  bool CloseSound(std::string* error) { return sound_.Close(error); }
  void DiscardSound() {
    std::string ignored;
    sound_.Close(&ignored);
    std::remove(wavPath_.c_str());
  }
  uint64_t soundBytes() const { return sound_.frames() * 4; }

 private:
  WavWriter sound_;
  std::string wavPath_;
};

class FramesOutput : public LosslessOutput {
 public:
  bool Open(const CaptureOptions& options, std::string* error) {
    paths_ = PathsFor(options);
    width_ = options.width;
    height_ = options.height;
    folder_ = options.out;
    const std::string& folder = folder_;
    std::error_code code;
    madeFolder_ = fs::create_directories(folder, code);
    if (code || !fs::is_directory(folder)) {
      *error = folder + ": cannot make the folder" + (code ? " (" + code.message() + ")" : "");
      return false;
    }
    // Frames of an earlier, longer capture would follow this one's into the video.
    int removed = 0;
    for (const auto& entry : fs::directory_iterator(folder, code)) {
      if (IsFrameName(entry.path().filename().string()) && fs::remove(entry.path(), code)) {
        ++removed;
      }
    }
    if (removed) {
      std::fprintf(stderr, "lumivex-capture: removed %d frames of an earlier capture from %s\n",
                   removed, folder.c_str());
    }
    return OpenSound(paths_.wav, options.format->soundRate, error);
  }

  bool Write(int64_t index, const CapturedFrame& frame, std::string* error) override {
    // glReadPixels returns the bottom row first; pictures start with the top row.
    const size_t stride = static_cast<size_t>(width_) * 4;
    rgb_.resize(static_cast<size_t>(width_) * height_ * 3);
    for (int y = 0; y < height_; ++y) {
      const uint8_t* in = frame.pixels.data() + stride * (height_ - 1 - y);
      uint8_t* out = rgb_.data() + static_cast<size_t>(width_) * 3 * y;
      for (int x = 0; x < width_; ++x, in += 4, out += 3) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
      }
    }
    const std::string path = FramePath(paths_, index);
    begun_ = index + 1;  // a frame that fails may be half written: it goes too
    if (!WritePng(path, rgb_.data(), width_, height_, error)) return false;
    pictureBytes_ += FileSize(path);
    bytes_ = pictureBytes_ + soundBytes();
    return WriteSound(frame, error);
  }

  bool Close(std::string* error) override { return CloseSound(error); }

  void Discard() override {
    for (int64_t i = 0; i < begun_; ++i) std::remove(FramePath(paths_, i).c_str());
    DiscardSound();
    std::error_code ignored;
    if (madeFolder_) fs::remove(folder_, ignored);  // only when nothing else is in it
  }

 private:
  CapturePaths paths_;
  std::string folder_;
  bool madeFolder_ = false;  // this run made the folder
  int width_ = 0, height_ = 0;
  int64_t begun_ = 0;  // frames whose file was begun
  uint64_t pictureBytes_ = 0;
  std::vector<uint8_t> rgb_;
};

class Y4mOutput : public LosslessOutput {
 public:
  bool Open(const CaptureOptions& options, std::string* error) {
    paths_ = PathsFor(options);
    frameBytes_ = 6 + static_cast<uint64_t>(options.width) * options.height * 3 / 2;
    stride_ = static_cast<ptrdiff_t>(options.width) * 4;
    height_ = options.height;
    if (!video_.Open(paths_.video, options.width, options.height, options.rate, 4, error)) {
      return false;
    }
    if (!OpenSound(paths_.wav, options.format->soundRate, error)) {
      Discard();
      return false;
    }
    return true;
  }

  bool Write(int64_t index, const CapturedFrame& frame, std::string* error) override {
    // glReadPixels returns the bottom row first; video starts with the top row.
    const uint8_t* topRow = frame.pixels.data() + stride_ * (height_ - 1);
    if (!video_.WriteFrame(topRow, -stride_, error) || !WriteSound(frame, error)) return false;
    bytes_ = (index + 1) * frameBytes_ + soundBytes();
    return true;
  }

  bool Close(std::string* error) override { return video_.Close(error) && CloseSound(error); }

  void Discard() override {
    std::string ignored;
    video_.Close(&ignored);
    std::remove(paths_.video.c_str());
    DiscardSound();
  }

 private:
  CapturePaths paths_;
  Y4mWriter video_;
  uint64_t frameBytes_ = 0;
  ptrdiff_t stride_ = 0;
  int height_ = 0;
};

}  // namespace

uint64_t FileSize(const std::string& path) {
  std::error_code code;
  const uintmax_t size = fs::file_size(path, code);
  return code ? 0 : size;
}

std::unique_ptr<CaptureOutput> OpenCaptureOutput(const CaptureOptions& options,
                                                 std::string* error) {
  switch (options.format->kind) {
    case OutputKind::kFrames: {
      auto output = std::make_unique<FramesOutput>();
      if (!output->Open(options, error)) return nullptr;
      return output;
    }
    case OutputKind::kY4m: {
      auto output = std::make_unique<Y4mOutput>();
      if (!output->Open(options, error)) return nullptr;
      return output;
    }
    case OutputKind::kEncoded:
#ifdef LUMIVEX_CAPTURE_ENCODE
      return OpenEncodedOutput(*options.format, options.out, options.width, options.height,
                               options.rate, error);
#else
      break;  // the program refuses encoded outputs before it gets here
#endif
  }
  *error = options.out + ": this build writes PNG frames or Y4M";
  return nullptr;
}
