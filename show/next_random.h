// The program's one random generator: the C runtime's rand() of the show's original
// build, reproduced so that the show is the same on every run and on every system.
#pragma once

#include <cstdint>

// state = state * 214013 + 2531011 (mod 2^32), starting from 1; yields (state >> 16) & 0x7FFF.
int NextRandom();
// Back to the starting state (tests and the capture program only; the show never reseeds).
void ResetRandom();
