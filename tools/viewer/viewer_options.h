// The model viewer's command line: the model file, how it is drawn, and for a headless
// picture the PNG file and its size.
#pragma once

#include <string>
#include <vector>

struct ViewerOptions {
  std::string file;               // FILE.model or FILE.obj
  std::string shot;               // --shot OUT.png: draw one frame headless, write it, exit
  int width = 800, height = 600;  // --size WxH: the window or the picture
  bool wireframe = false;         // --wireframe: start with the edges drawn (W)
  bool headlight = false;         // --headlight: start lit from the eye (H)
  bool toolkitDraw = false;       // --toolkit-draw: the toolkit's CompileModelScene instead
  bool help = false;
};

// False with `error` set for arguments the viewer cannot take.
bool ParseViewerOptions(const std::vector<std::string>& args, ViewerOptions* options,
                        std::string* error);
const char* ViewerUsage();
