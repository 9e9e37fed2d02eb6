// JPEG files into RGBImage pictures through libjpeg, with its error exit turned into a
// jump back to the decoder. No GL here.
#include "resources/jpeg_decode.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/platform.h"

namespace {

// libjpeg's standard error manager followed by the jump point of the decode in progress.
struct JPEGErrorManager {
  jpeg_error_mgr standard;
  std::jmp_buf jump;
  void (*standardEmit)(j_common_ptr, int);
};

// error_exit: the library's own message to stderr, then back to the decoder. Never
// returns to the library.
[[noreturn]] void RecoverFromError(j_common_ptr info) {
  JPEGErrorManager* errors = reinterpret_cast<JPEGErrorManager*>(info->err);
  (*info->err->output_message)(info);
  std::longjmp(errors->jump, 1);
}

// emit_message: as the standard one, except that running out of data is fatal. libjpeg
// only warns there and pads the picture with grey, which would pass a truncated file off
// as a good one.
void EmitMessage(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) (*info->err->error_exit)(info);
  reinterpret_cast<JPEGErrorManager*>(info->err)->standardEmit(info, level);
}

// Everything between setjmp and the jump back: only plain data lives across it (no
// destructors to skip), and what the jump may leave behind is reachable from `image`.
RGBImage* Decode(FILE* file, jpeg_decompress_struct* info, JPEGErrorManager* errors,
                 RGBImage** image) {
  info->err = jpeg_std_error(&errors->standard);
  errors->standard.error_exit = RecoverFromError;
  errors->standardEmit = errors->standard.emit_message;
  errors->standard.emit_message = EmitMessage;
  if (setjmp(errors->jump)) {
    jpeg_destroy_decompress(info);
    FreeRGBImage(*image);
    *image = nullptr;
    return nullptr;
  }
  // The header's version and record size: a mismatched library is refused through the
  // error exit above.
  jpeg_create_decompress(info);
  jpeg_stdio_src(info, file);
  jpeg_read_header(info, TRUE);
  // Colour pictures come out as RGB by default; greyscale ones are asked for as RGB so
  // that every picture fills 3 bytes a pixel. Anything else (CMYK) is rejected below.
  if (info->jpeg_color_space == JCS_GRAYSCALE) info->out_color_space = JCS_RGB;
  if (info->image_width > kMaxJPEGSide || info->image_height > kMaxJPEGSide ||
      static_cast<unsigned long long>(info->image_width) * info->image_height > kMaxJPEGPixels) {
    ERREXIT1(info, JERR_IMAGE_TOO_BIG, kMaxJPEGSide);
  }
  jpeg_start_decompress(info);
  if (info->output_components != 3) ERREXIT(info, JERR_CONVERSION_NOTIMPL);

  const size_t width = info->output_width;
  const size_t height = info->output_height;
  *image = static_cast<RGBImage*>(std::calloc(1, sizeof(RGBImage)));
  if (!*image) ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
  (*image)->width = static_cast<int32_t>(width);
  (*image)->height = static_cast<int32_t>(height);
  (*image)->pixels = static_cast<uint8_t*>(std::malloc(width * height * 3));
  if (!(*image)->pixels) ERREXIT1(info, JERR_OUT_OF_MEMORY, 1);

  // One row in the library's image pool (freed with the decompressor), copied into the
  // packed block in file order: row 0 of `pixels` is the file's top row.
  const JDIMENSION stride = info->output_width * info->output_components;
  JSAMPARRAY row =
      (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, stride, 1);
  size_t r = 0;
  while (info->output_scanline < info->output_height) {
    if (jpeg_read_scanlines(info, row, 1) != 1) ERREXIT(info, JERR_BAD_BUFFER_MODE);
    std::memcpy((*image)->pixels + r * width * 3, row[0], width * 3);
    ++r;
  }
  jpeg_finish_decompress(info);
  jpeg_destroy_decompress(info);
  return *image;
}

}  // namespace

RGBImage* DecodeJPEGStream(FILE* file) {
  if (!file) return nullptr;
  jpeg_decompress_struct info;
  std::memset(&info, 0, sizeof info);
  JPEGErrorManager errors;
  RGBImage* image = nullptr;
  return Decode(file, &info, &errors, &image);
}

RGBImage* DecodeJPEGFile(const char* fileName) {
  FILE* file = PlatformOpenFile(fileName, "rb");
  if (!file) return nullptr;
  RGBImage* image = DecodeJPEGStream(file);
  std::fclose(file);
  return image;
}
