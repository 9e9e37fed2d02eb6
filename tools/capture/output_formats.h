// What the capture can write, by the name of its output: a folder of PNG frames, a Y4M
// stream (each with a WAV beside it), or a finished video encoded with FFmpeg's libraries.
// The one table the options, the usage text and the encoder read.
#pragma once

#include <cstdint>
#include <string>

enum class OutputKind { kFrames, kY4m, kEncoded };

struct OutputFormat {
  const char* extension;  // ".mp4"; "/" for the folder of frames
  OutputKind kind;
  const char* codecs;        // what a user is told: "H.264 + AAC"
  const char* use;           // what it is for
  const char* muxer;         // FFmpeg's container name (encoded outputs only)
  const char* videoEncoder;  // FFmpeg's encoder names (encoded outputs only)
  const char* audioEncoder;
  uint32_t soundRate;  // the rate the music is rendered at, in Hz
};

constexpr OutputFormat kOutputFormats[] = {
    {"/", OutputKind::kFrames, "PNG frames + WAV", "lossless, to edit", nullptr, nullptr, nullptr,
     44100},
    {".y4m", OutputKind::kY4m, "raw YUV 4:2:0 + WAV", "lossless, to edit", nullptr, nullptr,
     nullptr, 44100},
    {".mp4", OutputKind::kEncoded, "H.264 + AAC", "for sharing (video sites, browsers)", "mp4",
     "libx264", "aac", 48000},
    {".webm", OutputKind::kEncoded, "VP9 + Opus", "for the web (Firefox, Chromium)", "webm",
     "libvpx-vp9", "libopus", 48000},
    {".mkv", OutputKind::kEncoded, "H.264 + AAC in Matroska", "for players and editors", "matroska",
     "libx264", "aac", 48000},
};

// The format an --out path names by itself: a known extension (any case), or the folder
// of frames for a path that ends with '/' or whose last part has no extension. Null for
// any other extension. (The options take an existing folder for frames whatever its name.)
const OutputFormat* FormatForPath(const std::string& path);

// The formats, one a line, for the usage text and the errors that list them.
std::string FormatList();

// True where this build encodes (it was linked with FFmpeg's libraries).
bool BuildEncodes();
