// Releasing decoded pictures.
#include "resources/rgb_image.h"

#include <cstdlib>

void FreeRGBImage(RGBImage* image) {
  if (!image) return;
  std::free(image->pixels);
  std::free(image);
}
