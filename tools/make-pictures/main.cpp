// make-pictures OUTDIR [FILE...]: paints the show's pictures into OUTDIR (all of them, or
// only the files named).
#include <cstdio>
#include <string>

#include "tools/make-pictures/pictures.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTDIR [FILE...]\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  int failures = 0, made = 0;
  for (const pictures::PictureSpec& p : pictures::AllPictures()) {
    bool wanted = argc == 2;
    for (int i = 2; i < argc; ++i) wanted = wanted || p.file == argv[i];
    if (!wanted) continue;
    pictures::Canvas c = p.paint(p.size);
    if (p.upsideDown) c.FlipVertical();
    const std::string path = dir + "/" + p.file;
    if (!c.SaveJpeg(path)) {
      std::fprintf(stderr, "make-pictures: cannot write %s\n", path.c_str());
      ++failures;
    }
    ++made;
  }
  if (made == 0) {
    std::fprintf(stderr, "make-pictures: no picture of that name\n");
    return 2;
  }
  return failures ? 1 : 0;
}
