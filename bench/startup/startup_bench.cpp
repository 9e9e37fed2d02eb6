// Start-up loading against its floor: LoadShowResources on the shipped data/ (22 pictures
// into textures on headless GL, the quadric, the scripted music player, the particle
// field) against plain libjpeg-turbo decoding of the same 22 files into memory.
//
// Usage: startup_bench [repository root] [rounds]. Prints both times and their ratio.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/gl_api.h"
#include "resources/jpeg_decode.h"
#include "resources/jpeg_texture.h"
#include "resources/startup.h"
#include "shell/error_log.h"
#include "tests/support/fake_platform.h"
#include "tests/support/gl_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string UnixName(const char* showName) {
  std::string name = showName;
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return name;
}

// The floor: each file decoded by libjpeg-turbo with its defaults into one malloc'd
// block, nothing else.
bool DecodeAll() {
  for (const char* showName : kTextureFiles) {
    FILE* file = std::fopen(UnixName(showName).c_str(), "rb");
    if (!file) return false;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    const size_t stride = size_t(info.output_width) * info.output_components;
    unsigned char* pixels = static_cast<unsigned char*>(std::malloc(stride * info.output_height));
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = pixels + stride * info.output_scanline;
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    std::free(pixels);
  }
  return true;
}

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path root = std::filesystem::absolute(argc > 1 ? argv[1] : ".");
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;

  // A scratch working directory whose data/ links to the shipped files, so the error log
  // the start-up creates does not land in the repository.
  std::string scratch = (std::filesystem::temp_directory_path() / "lumivex-bench-XXXXXX").string();
  if (!mkdtemp(scratch.data())) return 1;
  std::filesystem::create_directory(scratch + "/data");
  for (const char* showName : kTextureFiles) {
    const std::string name = UnixName(showName);
    const std::filesystem::path source = root / name;
    if (!std::filesystem::exists(source)) {
      std::fprintf(stderr, "missing %s\n", source.c_str());
      return 1;
    }
    std::filesystem::create_symlink(source, scratch + "/" + name);
  }
  if (chdir(scratch.c_str()) != 0) return 1;

  HeadlessGL gl(800, 600);
  if (!gl.ok()) {
    std::fprintf(stderr, "no headless GL: %s\n", gl.error().c_str());
    return 1;
  }
  gl.MakeCurrent();

  // The parts, for reading the ratio: our decoder alone, and the uploads alone.
  std::vector<RGBImage*> pictures;
  std::vector<double> decode, upload;
  std::vector<double> floor, load;
  for (int round = 0; round < rounds; ++round) {
    Clock::time_point start = Clock::now();
    if (!DecodeAll()) return 1;
    floor.push_back(Seconds(start));

    fake::Reset();
    start = Clock::now();
    LoadShowResources();
    glFinish();  // the uploads are done, not just queued
    load.push_back(Seconds(start));
    if (!fake::state.boxes.empty()) {
      std::fprintf(stderr, "start-up reported: %s", fake::state.boxes[0].text.c_str());
      return 1;
    }
    glDeleteTextures(kTextureCount, showTextures);

    start = Clock::now();
    for (const char* showName : kTextureFiles) pictures.push_back(DecodeJPEGFile(showName));
    decode.push_back(Seconds(start));
    start = Clock::now();
    for (int i = 0; i < kTextureCount; ++i) {
      glBindTexture(GL_TEXTURE_2D, showTextures[i]);
      glTexImage2D(GL_TEXTURE_2D, 0, 3, pictures[i]->width, pictures[i]->height, 0, GL_RGB,
                   GL_UNSIGNED_BYTE, pictures[i]->pixels);
    }
    glFinish();
    upload.push_back(Seconds(start));
    glDeleteTextures(kTextureCount, showTextures);
    for (RGBImage* picture : pictures) FreeRGBImage(picture);
    pictures.clear();
    for (uint32_t& slot : showTextures) slot = 0;
    gluDeleteQuadric(quadric);
    quadric = nullptr;
  }
  std::sort(floor.begin(), floor.end());
  std::sort(load.begin(), load.end());
  std::sort(decode.begin(), decode.end());
  std::sort(upload.begin(), upload.end());
  const double floorMedian = floor[floor.size() / 2];
  const double loadMedian = load[load.size() / 2];
  std::printf("startup: %d rounds, medians\n", rounds);
  std::printf("  floor  libjpeg-turbo decode of the 22 pictures  %8.2f ms\n", floorMedian * 1e3);
  std::printf("  LoadShowResources                              %8.2f ms\n", loadMedian * 1e3);
  std::printf("    of which DecodeJPEGFile                      %8.2f ms\n",
              decode[decode.size() / 2] * 1e3);
  std::printf("    of which glTexImage2D uploads                %8.2f ms\n",
              upload[upload.size() / 2] * 1e3);
  std::printf("  ratio %.3f (target at most 1.3)\n", loadMedian / floorMedian);

  std::error_code ignored;
  std::filesystem::remove_all(scratch, ignored);
  return 0;
}
