// The intro: scenes chosen by the music's order number, until order 6.
#pragma once

#include <cstdint>

extern uint8_t introPhase;  // 1 while the intro runs; cleared once, at order 6
extern float tunnelSpin;
extern float tunnelInnerSpin;
extern float sphereSpin;
extern float particleDepth;  // -40, the depth the particle stream starts at

// Draws one intro frame into the back buffer (never swaps).
void DrawIntro();
