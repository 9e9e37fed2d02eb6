// Parsing of lumivex-view's arguments.
#include "tools/viewer/viewer_options.h"

#include <cstdlib>

namespace {

constexpr int kMinSide = 16;
constexpr int kMaxSide = 8192;

bool ParseSide(const std::string& text, int* side) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *side = std::atoi(text.c_str());
  return *side >= kMinSide && *side <= kMaxSide;
}

}  // namespace

const char* ViewerUsage() {
  return "usage: lumivex-view FILE [--size WxH] [--shot OUT.png]\n"
         "                    [--wireframe] [--headlight] [--toolkit-draw]\n"
         "  Shows a model: glTF 2.0 (.gltf, .glb), OBJ, STL, PLY or the toolkit's model file,\n"
         "  told by its content. In a window (800x600 unless --size): drag or Left/Right to\n"
         "  turn it, the wheel or Up/Down to come closer; W wireframe over the shading, H\n"
         "  headlight, R resets the view, S saves it as NAME-N.png, Escape leaves; a file\n"
         "  dropped on the window opens in its place. --shot draws one\n"
         "  frame headless into OUT.png (a PNG) and exits. --wireframe and --headlight start\n"
         "  with those on; --toolkit-draw draws with the toolkit's compiled scene (no normals,\n"
         "  one face at a time), to compare. --version prints the version.\n";
}

bool ParseViewerOptions(const std::vector<std::string>& args, ViewerOptions* options,
                        std::string* error) {
  *options = ViewerOptions();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "-h" || arg == "--help") {
      options->help = true;
    } else if (arg == "--wireframe") {
      options->wireframe = true;
    } else if (arg == "--headlight") {
      options->headlight = true;
    } else if (arg == "--toolkit-draw") {
      options->toolkitDraw = true;
    } else if (arg == "--shot") {
      if (!hasValue) return *error = "--shot needs a file name", false;
      options->shot = args[++i];
    } else if (arg == "--size") {
      if (!hasValue) return *error = "--size needs WxH", false;
      const std::string& size = args[++i];
      const size_t x = size.find('x');
      if (x == std::string::npos || !ParseSide(size.substr(0, x), &options->width) ||
          !ParseSide(size.substr(x + 1), &options->height)) {
        *error = "bad size " + size + " (WxH, each side 16 to 8192)";
        return false;
      }
    } else if (!arg.empty() && arg[0] == '-') {
      *error = "unknown option " + arg;
      return false;
    } else if (options->file.empty()) {
      options->file = arg;
    } else {
      *error = "one model file only (" + options->file + ", " + arg + ")";
      return false;
    }
  }
  if (options->file.empty() && !options->help) {
    *error = "no model file";
    return false;
  }
  return true;
}
