// Small modules of known timing for the module player's tests, made with the XM writer.
#pragma once

#include <string>

#include "tools/xm/xm_writer.h"

namespace testmods {

// `orders` orders, each playing its own pattern of `rows` rows on 2 channels; a looped
// square note starts on row 0 of every pattern. A row lasts speed x 2.5 / bpm seconds.
xm::Module Timed(int orders, int rows, int speed, int bpm, int restart = 0);

// Frames one row lasts at `frequency` Hz.
inline long RowFrames(const xm::Module& m, long frequency = 44100) {
  return frequency * 5 * m.speed / (2 * m.bpm);
}

}  // namespace testmods
