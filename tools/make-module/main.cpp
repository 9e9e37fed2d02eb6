// make-module OUTPUT.xm: writes the show's music.
#include <cstdio>

#include "tools/make-module/composition.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.xm\n", argv[0]);
    return 2;
  }
  if (!xm::SaveXM(lumivex_music::ComposeModule(), argv[1])) {
    std::fprintf(stderr, "make-module: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
