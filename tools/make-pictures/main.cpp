// make-pictures OUTDIR [FILE...]: paints the show's pictures into OUTDIR (all of them, or
// only the files named).
// make-pictures --list: the show's pictures in load order, one a line: the file name, then
// "upright" or "upside-down" as it is stored. Scripts take the list from here.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/make-pictures/pictures.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTDIR [FILE...] | --list\n", argv[0]);
    return 2;
  }
  if (std::strcmp(argv[1], "--list") == 0) {
    for (const pictures::PictureSpec& p : pictures::AllPictures()) {
      std::printf("%s %s\n", p.file.c_str(), p.upsideDown ? "upside-down" : "upright");
    }
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
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
