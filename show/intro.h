// The intro: scenes chosen by the music's order number, until the gallery's order
// (kGalleryOrder, in the show's table of files).
#pragma once

#include <cstdint>

extern uint8_t introPhase;  // 1 while the intro runs; cleared once, at kGalleryOrder
extern float tunnelSpin;
extern float tunnelInnerSpin;
extern float sphereSpin;
extern float particleDepth;  // -40, the depth the particle stream starts at

// Draws one intro frame into the back buffer (never swaps).
void DrawIntro();
// The intro's state back at its start values (phase 1, no turns, the stream's depth).
void ResetIntro();
