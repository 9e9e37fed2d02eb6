// stb_image and stb_image_write (Debian's libstb-dev, headers only) as the viewer builds
// them: one set of settings for the declarations here and the code in stb_image_impl.cpp.
#pragma once

// Files are read whole by the viewer; sizes beyond the texture limit are refused before
// any pixel memory is asked for.
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 16384
#define STBI_WRITE_NO_STDIO

#include <stb_image.h>
#include <stb_image_write.h>
