// Encoded outputs: pictures through libswscale into the video encoder, the sound through
// libswresample into the audio encoder, both into FFmpeg's muxer.
#include "tools/capture/encoded_output.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "tools/capture/yuv_convert.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace {

// Encoder settings, measured on the whole show at 800 x 600 and 60 fps (PSNR of every Y, Cb
// and Cr sample against the lossless frames). H.264 (libx264): the veryfast preset at CRF
// 16 gives 46.1 dB, the quality of the medium preset at x264's usual "visually lossless"
// CRF 18 (46.4 dB), in about a third of the time; veryfast at CRF 18 falls to 44.9 dB in
// the gallery. High profile, as video sites ask for.
// VP9 (libvpx): constant quality 30 at the realtime deadline, speed 8, with row threads:
// 45.9 dB, encoded about 1.4 times as fast as SVT-AV1 at the same quality (its fastest
// preset, 12, needs CRF 27 for 46.0 dB), far faster than libvpx's good deadline or libaom,
// and VP9 plays wherever WebM does.
struct EncoderSetting {
  const char* encoder;
  const char* options;  // FFmpeg's "key=value:key=value" for avcodec_open2
  int64_t bitRate;      // bits a second; 0 for a quality-based rate
};
constexpr EncoderSetting kEncoderSettings[] = {
    {"libx264", "preset=veryfast:crf=16:profile=high", 0},
    {"libvpx-vp9", "crf=30:deadline=realtime:cpu-used=8:row-mt=1", 0},
    {"aac", "", 192000},  // AAC-LC, the native encoder's default profile
    {"libopus", "", 160000},
};
// The longest run of frames between keyframes, in seconds: players seek to keyframes.
constexpr int kKeyframeSeconds = 2;
constexpr int kChannels = 2;

const EncoderSetting* SettingFor(const char* encoder) {
  for (const EncoderSetting& setting : kEncoderSettings) {
    if (std::string(setting.encoder) == encoder) return &setting;
  }
  return nullptr;
}

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

struct CodecFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ResamplerFree {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
struct FifoFree {
  void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

class EncodedOutput : public CaptureOutput {
 public:
  ~EncodedOutput() override { Discard(); }

  bool Open(const OutputFormat& format, const std::string& path, int width, int height,
            FrameRate rate, std::string* error) {
    path_ = path;
    temporary_ = path + ".part";
    // FFmpeg's own chatter (x264's statistics, settings) would break the progress line.
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* videoCodec = avcodec_find_encoder_by_name(format.videoEncoder);
    const AVCodec* audioCodec = avcodec_find_encoder_by_name(format.audioEncoder);
    if (!videoCodec || !audioCodec) {
      *error = path + ": this FFmpeg build has no " +
               (videoCodec ? format.audioEncoder : format.videoEncoder) + " encoder for " +
               format.codecs + "; it can write " + WritableFormats();
      return false;
    }
    // "file:" keeps a name with a colon from being taken for a protocol.
    const std::string url = "file:" + temporary_;
    if (avformat_alloc_output_context2(&muxer_, nullptr, format.muxer, url.c_str()) < 0) {
      *error = path + ": this FFmpeg build has no " + format.muxer + " muxer";
      return false;
    }
    // Matroska's identifiers are otherwise random: the same capture gives the same bytes.
    muxer_->flags |= AVFMT_FLAG_BITEXACT;
    if (!OpenVideo(videoCodec, width, height, rate, error) ||
        !OpenAudio(audioCodec, format, error)) {
      Release();
      return false;
    }
    int code = avio_open(&muxer_->pb, url.c_str(), AVIO_FLAG_WRITE);
    if (code < 0) {
      *error = path + ": " + AvError(code);
      Release();
      return false;
    }
    begun_ = true;
    const bool matroska = format.muxer != std::string("mp4");
    // The encoder's priming samples (its initial padding) come before time 0, for the
    // container to account for: MP4 in its edit list, Matroska in CodecDelay, which
    // libavformat 60 and later write for every codec. Before 60 it writes CodecDelay for
    // Opus alone, and also shifts every track later by it, so that audio would lead the
    // picture by the padding (7 ms): Opus blocks are given from 0 instead, which is what
    // CodecDelay means. For AAC it writes none, and by default moves every track later
    // until the priming starts at 0, the picture then 21 ms late: the first block keeps its
    // time before 0 instead (a block's time from its cluster is signed), and the picture
    // starts at 0 with the sound in step.
#if LIBAVFORMAT_VERSION_MAJOR < 60
    if (matroska && audio_->codec_id == AV_CODEC_ID_OPUS) soundOffset_ = audio_->initial_padding;
    if (matroska && audio_->codec_id != AV_CODEC_ID_OPUS) {
      muxer_->avoid_negative_ts = AVFMT_AVOID_NEG_TS_DISABLED;
    }
#endif
    // The index at the front, so a browser plays the file while it loads and seeks in it.
    AVDictionary* options = nullptr;
    if (!matroska) {
      av_dict_set(&options, "movflags", "+faststart", 0);
    } else {
      av_dict_set(&options, "cues_to_front", "1", 0);
    }
    code = avformat_write_header(muxer_, &options);
    av_dict_free(&options);
    if (code < 0) return Fail(code, error);
    timeBases_[0] = videoStream_->time_base;
    timeBases_[1] = audioStream_->time_base;
    return true;
  }

  bool Write(int64_t index, const CapturedFrame& frame, std::string* error) override {
    if (av_frame_make_writable(picture_.get()) < 0) return Fail(AVERROR(ENOMEM), error);
    // glReadPixels returns the bottom row first; video starts with the top row.
    const ptrdiff_t stride = static_cast<ptrdiff_t>(video_->width) * 4;
    converter_->Convert(frame.pixels.data() + stride * (video_->height - 1), -stride,
                        picture_->data, picture_->linesize);
    picture_->pts = index;
    if (!Encode(video_.get(), videoStream_, picture_.get(), error)) return false;
    return QueueSound(frame.sound.data(), static_cast<int>(frame.sound.size() / kChannels), error);
  }

  bool Close(std::string* error) override {
    // The last, short block of sound, then whatever the encoders still hold.
    const int left = av_audio_fifo_size(fifo_.get());
    if (left > 0 && !SendSound(left, error)) return false;
    if (!Encode(audio_.get(), audioStream_, nullptr, error) ||
        !Encode(video_.get(), videoStream_, nullptr, error)) {
      return false;
    }
    int code = av_write_trailer(muxer_);
    if (code < 0) return Fail(code, error);
    code = avio_closep(&muxer_->pb);
    if (code < 0) return Fail(code, error);
    Release();
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
      *error = path_ + ": " + AvError(AVERROR(errno));
      Discard();
      return false;
    }
    begun_ = false;  // the file is finished under its own name
    // The muxer held packets back to interleave them and rewrote the index at the end:
    // only the finished file knows its size.
    if (const uint64_t size = FileSize(path_)) bytes_ = size;
    return true;
  }

  void Discard() override {
    Release();
    if (begun_) std::remove(temporary_.c_str());
    begun_ = false;
  }

 private:
  bool OpenVideo(const AVCodec* codec, int width, int height, FrameRate rate, std::string* error) {
    video_.reset(avcodec_alloc_context3(codec));
    AVCodecContext* c = video_.get();
    c->width = width;
    c->height = height;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    // Timestamps are frame indices.
    c->time_base = {rate.den, rate.num};
    c->framerate = {rate.num, rate.den};
    c->gop_size = std::max(1, kKeyframeSeconds * rate.num / rate.den);
    // What yuv_convert.h makes: BT.601 coefficients, limited range, chroma centred; the
    // show's colours are sRGB (BT.709 primaries, the sRGB curve).
    c->colorspace = AVCOL_SPC_SMPTE170M;
    c->color_range = AVCOL_RANGE_MPEG;
    c->color_primaries = AVCOL_PRI_BT709;
    c->color_trc = AVCOL_TRC_IEC61966_2_1;
    c->chroma_sample_location = AVCHROMA_LOC_CENTER;
    if (!OpenCodec(c, codec, error)) return false;
    videoStream_ = AddStream(c);
    picture_.reset(av_frame_alloc());
    converter_ = std::make_unique<YuvConverter>(width, height, 4);
    if (!videoStream_ || !picture_ || !converter_->ok()) {
      *error = path_ + ": out of memory";
      return false;
    }
    videoStream_->avg_frame_rate = c->framerate;
    picture_->format = c->pix_fmt;
    picture_->width = width;
    picture_->height = height;
    if (av_frame_get_buffer(picture_.get(), 0) < 0) {
      *error = path_ + ": out of memory";
      return false;
    }
    return true;
  }

  bool OpenAudio(const AVCodec* codec, const OutputFormat& format, std::string* error) {
    audio_.reset(avcodec_alloc_context3(codec));
    AVCodecContext* c = audio_.get();
    c->sample_rate = static_cast<int>(format.soundRate);
    av_channel_layout_default(&c->ch_layout, kChannels);
    // The encoder's first sample format; 16-bit samples where it takes them as they come.
    c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f) {
      if (*f == AV_SAMPLE_FMT_S16) c->sample_fmt = AV_SAMPLE_FMT_S16;
    }
    c->time_base = {1, c->sample_rate};
    if (!OpenCodec(c, codec, error)) return false;
    audioStream_ = AddStream(c);
    // Encoders that take any block length say 0; a block of 1024 then.
    blockLength_ = c->frame_size > 0 ? c->frame_size : 1024;
    shortLastBlock_ = (codec->capabilities &
                       (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE)) != 0;

    SwrContext* resampler = nullptr;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    swr_alloc_set_opts2(&resampler, &c->ch_layout, c->sample_fmt, c->sample_rate, &stereo,
                        AV_SAMPLE_FMT_S16, c->sample_rate, 0, nullptr);
    resampler_.reset(resampler);
    fifo_.reset(av_audio_fifo_alloc(c->sample_fmt, kChannels, blockLength_));
    block_.reset(av_frame_alloc());
    if (block_) {
      block_->format = c->sample_fmt;
      block_->nb_samples = blockLength_;
      block_->sample_rate = c->sample_rate;
    }
    if (!audioStream_ || !resampler_ || swr_init(resampler_.get()) < 0 || !fifo_ || !block_ ||
        av_channel_layout_copy(&block_->ch_layout, &c->ch_layout) < 0 ||
        av_frame_get_buffer(block_.get(), 0) < 0) {
      *error = path_ + ": cannot set up the " + codec->name + " encoder";
      return false;
    }
    return true;
  }

  bool OpenCodec(AVCodecContext* c, const AVCodec* codec, std::string* error) {
    if (muxer_->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const EncoderSetting* setting = SettingFor(codec->name);
    AVDictionary* options = nullptr;
    if (setting) {
      c->bit_rate = setting->bitRate;
      av_dict_parse_string(&options, setting->options, "=", ":", 0);
    }
    const int code = avcodec_open2(c, codec, &options);
    av_dict_free(&options);
    if (code < 0) {
      *error =
          path_ + ": the " + codec->name + " encoder refused its settings (" + AvError(code) + ")";
      return false;
    }
    return true;
  }

  AVStream* AddStream(const AVCodecContext* c) {
    AVStream* stream = avformat_new_stream(muxer_, nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, c) < 0) return nullptr;
    stream->time_base = c->time_base;
    return stream;
  }

  // Converts a frame's sound to the encoder's sample format and sends every whole block.
  bool QueueSound(const int16_t* interleaved, int frames, std::string* error) {
    if (frames <= 0) return true;
    if (frames > convertedCapacity_) {
      av_freep(&converted_[0]);
      if (av_samples_alloc(converted_, nullptr, kChannels, frames, audio_->sample_fmt, 0) < 0) {
        return Fail(AVERROR(ENOMEM), error);
      }
      convertedCapacity_ = frames;
    }
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(interleaved)};
    const int got = swr_convert(resampler_.get(), converted_, frames, in, frames);
    if (got < 0) return Fail(got, error);
    if (av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(converted_), got) < got) {
      return Fail(AVERROR(ENOMEM), error);
    }
    while (av_audio_fifo_size(fifo_.get()) >= blockLength_) {
      if (!SendSound(blockLength_, error)) return false;
    }
    return true;
  }

  // Sends `frames` queued sound frames (a whole block, or the last one) to the encoder;
  // a short last block is filled up with silence where the encoder takes only whole ones.
  bool SendSound(int frames, std::string* error) {
    AVFrame* block = block_.get();
    if (av_frame_make_writable(block) < 0) return Fail(AVERROR(ENOMEM), error);
    av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(block->data), frames);
    block->nb_samples = frames;
    if (frames < blockLength_ && !shortLastBlock_) {
      av_samples_set_silence(block->data, frames, blockLength_ - frames, kChannels,
                             audio_->sample_fmt);
      block->nb_samples = blockLength_;
    }
    block->pts = soundSent_;
    soundSent_ += block->nb_samples;
    return Encode(audio_.get(), audioStream_, block, error);
  }

  // Sends a frame (null: the end) and writes every packet the encoder has ready.
  bool Encode(AVCodecContext* codec, AVStream* stream, const AVFrame* frame, std::string* error) {
    int code = avcodec_send_frame(codec, frame);
    if (code < 0) return Fail(code, error);
    for (;;) {
      code = avcodec_receive_packet(codec, packet_.get());
      if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return true;
      if (code < 0) return Fail(code, error);
      if (stream == audioStream_) {
        packet_->pts += soundOffset_;
        packet_->dts += soundOffset_;
      }
      av_packet_rescale_ts(packet_.get(), codec->time_base,
                           timeBases_[stream == videoStream_ ? 0 : 1]);
      packet_->stream_index = stream->index;
      code = av_interleaved_write_frame(muxer_, packet_.get());
      if (code < 0) return Fail(code, error);
      bytes_ = static_cast<uint64_t>(avio_tell(muxer_->pb));
    }
  }

  // A failure while writing: the partial file goes, and the error names the cause.
  bool Fail(int code, std::string* error) {
    // A write that failed leaves the reason in the I/O context (a full disk, a size limit).
    if (muxer_ && muxer_->pb && muxer_->pb->error < 0) code = muxer_->pb->error;
    *error = path_ + ": " + AvError(code);
    Discard();
    return false;
  }

  // Frees everything FFmpeg holds, closing the file if it is open.
  void Release() {
    if (muxer_ && muxer_->pb) avio_closep(&muxer_->pb);
    avformat_free_context(muxer_);
    muxer_ = nullptr;
    video_.reset();
    audio_.reset();
    picture_.reset();
    block_.reset();
    resampler_.reset();
    fifo_.reset();
    av_freep(&converted_[0]);
    convertedCapacity_ = 0;
  }

  std::string path_, temporary_;
  bool begun_ = false;  // the temporary file exists
  AVFormatContext* muxer_ = nullptr;
  CodecPtr video_, audio_;
  AVStream* videoStream_ = nullptr;
  AVStream* audioStream_ = nullptr;
  AVRational timeBases_[2] = {};  // the streams' own, as the muxer set them
  std::unique_ptr<YuvConverter> converter_;
  FramePtr picture_, block_;
  std::unique_ptr<AVPacket, PacketFree> packet_{av_packet_alloc()};
  std::unique_ptr<SwrContext, ResamplerFree> resampler_;
  std::unique_ptr<AVAudioFifo, FifoFree> fifo_;
  uint8_t* converted_[kChannels] = {};
  int convertedCapacity_ = 0;
  int blockLength_ = 0;
  bool shortLastBlock_ = false;
  int64_t soundSent_ = 0;
  int64_t soundOffset_ = 0;  // added to the sound's timestamps (see Open)
};

}  // namespace

std::unique_ptr<CaptureOutput> OpenEncodedOutput(const OutputFormat& format,
                                                 const std::string& path, int width, int height,
                                                 FrameRate rate, std::string* error) {
  auto output = std::make_unique<EncodedOutput>();
  if (!output->Open(format, path, width, height, rate, error)) return nullptr;
  return output;
}

std::string WritableFormats() {
  std::string list;
  for (const OutputFormat& format : kOutputFormats) {
    std::string name =
        format.kind == OutputKind::kFrames ? "DIR/" : std::string("FILE") + format.extension;
    if (format.kind == OutputKind::kEncoded) {
      if (!avcodec_find_encoder_by_name(format.videoEncoder) ||
          !avcodec_find_encoder_by_name(format.audioEncoder) ||
          !av_guess_format(format.muxer, nullptr, nullptr)) {
        continue;
      }
      name += std::string(" (") + format.codecs + ")";
    }
    list += (list.empty() ? "" : ", ") + name;
  }
  return list;
}
