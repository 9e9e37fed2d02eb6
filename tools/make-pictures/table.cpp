// Which picture goes into which file, at which size and orientation.
#include "tools/make-pictures/pictures.h"

namespace pictures {
namespace {
template <int N>
Canvas Kavra(int s) {
  return PaintKavra(N, s);
}
template <int N>
Canvas Pertaxa(int s) {
  return PaintPertaxa(N, s);
}
template <int N>
Canvas Dolmane(int s) {
  return PaintDolmane(N, s);
}
}  // namespace

const std::vector<PictureSpec>& AllPictures() {
  // The logo, the credits and the gallery are drawn with the file's top row at the bottom
  // of the screen, so they are stored upside down; the two title panels are upright.
  static const std::vector<PictureSpec> kAll = {
      {"mur.jpg", 256, false, PaintWall},       {"tarnel.jpg", 512, true, PaintLogo},
      {"pres.jpg", 512, false, PaintPresents},  {"lumivex.jpg", 512, false, PaintTitle},
      {"cred.jpg", 512, true, PaintCredits},    {"kavra#2.jpg", 512, true, Kavra<1>},
      {"kavra.jpg", 512, true, Kavra<0>},       {"pertaxa#1.jpg", 512, true, Pertaxa<0>},
      {"pertaxa#2.jpg", 512, true, Pertaxa<1>}, {"dolmane#1.jpg", 512, true, Dolmane<0>},
      {"pertaxa#3.jpg", 512, true, Pertaxa<2>}, {"kavra#4.jpg", 512, true, Kavra<3>},
      {"stars.jpg", 512, false, PaintStars},    {"dolmane#2.jpg", 512, true, Dolmane<1>},
      {"pertaxa#4.jpg", 512, true, Pertaxa<3>}, {"pertaxa#5.jpg", 512, true, Pertaxa<4>},
      {"dolmane#3.jpg", 512, true, Dolmane<2>}, {"dolmane#4.jpg", 512, true, Dolmane<3>},
      {"part.jpg", 64, false, PaintGlow},       {"intro.jpg", 256, false, PaintTunnel},
      {"kavra#5.jpg", 512, true, Kavra<4>},     {"kavra#3.jpg", 512, true, Kavra<2>},
  };
  return kAll;
}

}  // namespace pictures
