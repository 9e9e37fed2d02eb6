// The show's 22 pictures: what each file holds and how each is painted.
#pragma once

#include <string>
#include <vector>

#include "resources/show_files.h"
#include "tools/make-pictures/canvas.h"

namespace pictures {

struct PictureSpec {
  TextureSlot slot;  // the show's texture slot the picture fills
  std::string file;  // name inside the data folder, from the show's table
  int size;          // square, a power of two
  bool upsideDown;   // stored with the on-screen top row last
  Canvas (*paint)(int size);
};

// Every picture of the show, in the show's loading order.
const std::vector<PictureSpec>& AllPictures();

// Titles: light on black where they are added over moving scenes.
Canvas PaintLogo(int size);
Canvas PaintPresents(int size);
Canvas PaintTitle(int size);
Canvas PaintCredits(int size);
// The program's icon: the logo's initial on the logo's sky, upright.
Canvas PaintIcon(int size);
// Patterns.
Canvas PaintTunnel(int size);
Canvas PaintGlow(int size);
Canvas PaintStars(int size);
Canvas PaintWall(int size);
// The gallery: escape-time fractals, flow traces and op-art.
Canvas PaintKavra(int index, int size);
Canvas PaintPertaxa(int index, int size);
Canvas PaintDolmane(int index, int size);

}  // namespace pictures
