// A finished video encoded in the capture with FFmpeg's libraries (MP4, WebM, MKV): each
// frame is converted (yuv_convert.h) and handed to the video encoder as it is drawn, its
// sound to the audio encoder, with the frame's index as its timestamp. The file is written
// under a temporary name (FILE.part) and renamed when it is finished, so a file under the
// name asked for is always complete; nothing else is written on the way.
#pragma once

#include <memory>
#include <string>

#include "tools/capture/capture_output.h"
#include "tools/capture/output_formats.h"

// Opens `path` as `format` (an encoded one) for frames of `width` x `height` at `rate`,
// the sound at the format's rate. Null with `error` set when this FFmpeg build lacks an
// encoder (the error lists what it can write) or the file cannot be made.
std::unique_ptr<CaptureOutput> OpenEncodedOutput(const OutputFormat& format,
                                                 const std::string& path, int width, int height,
                                                 FrameRate rate, std::string* error);

// The outputs this build can write, as "DIR/, FILE.y4m, FILE.webm (VP9 + Opus), ...".
std::string WritableFormats();
