// Start-up loading: the GL defaults, the error log, the 22 textures, the quadric, the
// music and the particle field, once, before the first frame.
#pragma once

#include <cstdint>

#include "platform/gl_api.h"

// The texture table, in load order; each slot is named after its file.
enum TextureSlot {
  kTexMur,         // "data\mur.jpg"
  kTexTarnel,      // "data\tarnel.jpg"
  kTexPres,        // "data\pres.jpg"
  kTexLumivex,     // "data\lumivex.jpg"
  kTexCred,        // "data\cred.jpg"
  kTexKavra2,      // "data\kavra#2.jpg"
  kTexKavra,       // "data\kavra.jpg"
  kTexPertaxa1,    // "data\pertaxa#1.jpg"
  kTexPertaxa2,    // "data\pertaxa#2.jpg"
  kTexDolmane1,    // "data\dolmane#1.jpg"
  kTexPertaxa3,    // "data\pertaxa#3.jpg"
  kTexKavra4,      // "data\kavra#4.jpg"
  kTexStars,       // "data\stars.jpg"
  kTexDolmane2,    // "data\dolmane#2.jpg"
  kTexPertaxa4,    // "data\pertaxa#4.jpg"
  kTexPertaxa5,    // "data\pertaxa#5.jpg"
  kTexDolmane3,    // "data\dolmane#3.jpg"
  kTexDolmane4,    // "data\dolmane#4.jpg"
  kTexPart,        // "data\part.jpg"
  kTexIntro,       // "data\intro.jpg"
  kTexKavra5,      // "data\kavra#5.jpg"
  kTexKavra3,      // "data\kavra#3.jpg"
  kTextureCount
};

// The file of each slot, in load order.
extern const char* const kTextureFiles[kTextureCount];
// The OpenGL texture names; 0 until the slot's file has loaded.
extern uint32_t showTextures[kTextureCount];
extern const char* const kMusicFile;  // "data\lumivex.xm"

// The one GLU quadric: smooth normals, texture coordinates on.
extern GLUquadric* quadric;

// GL defaults, then LoadShowResources; always true.
bool InitRenderState();
void LoadShowResources();
