// The code of stb_image and stb_image_write, compiled once into the viewer (the headers
// carry it; Debian's shared libstb is not linked, so the Windows build is the same).
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "tools/viewer/stb_image_config.h"
