// The show's table of files: its 22 pictures in load order, each filling the texture slot
// of its name, and its module; with them the music's order at which the intro hands over
// to the gallery. The show, the content tools and, through `make-pictures --list`, the
// test scripts read these facts from here alone.
#pragma once

// The texture slots, in load order; each is named after its file.
enum TextureSlot {
  kTexMur,
  kTexTarnel,
  kTexPres,
  kTexLumivex,
  kTexCred,
  kTexKavra2,
  kTexKavra,
  kTexPertaxa1,
  kTexPertaxa2,
  kTexDolmane1,
  kTexPertaxa3,
  kTexKavra4,
  kTexStars,
  kTexDolmane2,
  kTexPertaxa4,
  kTexPertaxa5,
  kTexDolmane3,
  kTexDolmane4,
  kTexPart,
  kTexIntro,
  kTexKavra5,
  kTexKavra3,
  kTextureCount
};

// The file of each slot as the show names it ("data\mur.jpg"), in load order.
extern const char* const kTextureFiles[kTextureCount];
extern const char* const kMusicFile;  // the module, named the same way

// The music's order at which the intro ends and the gallery takes over.
constexpr int kGalleryOrder = 6;

// The name inside the data folder of a path as the show writes it: "mur.jpg" for
// "data\mur.jpg" (the text after the last backslash).
const char* DataFileName(const char* showPath);
