// The show's files, written out once.
#include "resources/show_files.h"

#include <cstring>

const char* const kTextureFiles[kTextureCount] = {
    "data\\mur.jpg",       "data\\tarnel.jpg",    "data\\pres.jpg",      "data\\lumivex.jpg",
    "data\\cred.jpg",      "data\\kavra#2.jpg",   "data\\kavra.jpg",     "data\\pertaxa#1.jpg",
    "data\\pertaxa#2.jpg", "data\\dolmane#1.jpg", "data\\pertaxa#3.jpg", "data\\kavra#4.jpg",
    "data\\stars.jpg",     "data\\dolmane#2.jpg", "data\\pertaxa#4.jpg", "data\\pertaxa#5.jpg",
    "data\\dolmane#3.jpg", "data\\dolmane#4.jpg", "data\\part.jpg",      "data\\intro.jpg",
    "data\\kavra#5.jpg",   "data\\kavra#3.jpg",
};
const char* const kMusicFile = "data\\lumivex.xm";

const char* DataFileName(const char* showPath) {
  const char* slash = std::strrchr(showPath, '\\');
  return slash ? slash + 1 : showPath;
}
