// The picture recipes: how the picture of each texture slot is painted, at which size and
// orientation.
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

// The recipe of each texture slot, in the slots' order; the file names come from the
// show's table. The logo, the credits and the gallery are drawn with the file's top row at
// the bottom of the screen, so they are stored upside down; the two title panels are
// upright.
struct Recipe {
  TextureSlot slot;
  int size;
  bool upsideDown;
  Canvas (*paint)(int size);
};
constexpr Recipe kRecipes[] = {
    {kTexMur, 256, false, PaintWall},      {kTexTarnel, 512, true, PaintLogo},
    {kTexPres, 512, false, PaintPresents}, {kTexLumivex, 512, false, PaintTitle},
    {kTexCred, 512, true, PaintCredits},   {kTexKavra2, 512, true, Kavra<1>},
    {kTexKavra, 512, true, Kavra<0>},      {kTexPertaxa1, 512, true, Pertaxa<0>},
    {kTexPertaxa2, 512, true, Pertaxa<1>}, {kTexDolmane1, 512, true, Dolmane<0>},
    {kTexPertaxa3, 512, true, Pertaxa<2>}, {kTexKavra4, 512, true, Kavra<3>},
    {kTexStars, 512, false, PaintStars},   {kTexDolmane2, 512, true, Dolmane<1>},
    {kTexPertaxa4, 512, true, Pertaxa<3>}, {kTexPertaxa5, 512, true, Pertaxa<4>},
    {kTexDolmane3, 512, true, Dolmane<2>}, {kTexDolmane4, 512, true, Dolmane<3>},
    {kTexPart, 64, false, PaintGlow},      {kTexIntro, 256, false, PaintTunnel},
    {kTexKavra5, 512, true, Kavra<4>},     {kTexKavra3, 512, true, Kavra<2>},
};

// One recipe per slot, in the slots' order.
constexpr bool OneRecipePerSlot() {
  if (sizeof kRecipes / sizeof kRecipes[0] != kTextureCount) return false;
  for (int i = 0; i < kTextureCount; ++i) {
    if (kRecipes[i].slot != i) return false;
  }
  return true;
}
static_assert(OneRecipePerSlot(), "every texture slot needs its recipe, in load order");
}  // namespace

const std::vector<PictureSpec>& AllPictures() {
  static const std::vector<PictureSpec> kAll = [] {
    std::vector<PictureSpec> all;
    for (const Recipe& r : kRecipes) {
      all.push_back({r.slot, DataFileName(kTextureFiles[r.slot]), r.size, r.upsideDown, r.paint});
    }
    return all;
  }();
  return kAll;
}

}  // namespace pictures
