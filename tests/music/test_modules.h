// Small modules of known timing for the module player's tests, made with the XM writer.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/module_player.h"
#include "resources/music_player.h"
#include "tools/xm/xm_writer.h"

namespace testmods {

// `orders` orders, each playing its own pattern of `rows` rows on 2 channels; a looped
// square note starts on row 0 of every pattern. A row lasts speed x 2.5 / bpm seconds.
xm::Module Timed(int orders, int rows, int speed, int bpm, int restart = 0);

// The order (low 16 bits) and row (high 16 bits) of a module player position.
inline uint32_t Order(uint32_t position) {
  return position & 0xFFFFu;
}
inline uint32_t Row(uint32_t position) {
  return position >> 16;
}

// One look at the heard position of a playing module: when (seconds since it started),
// the position, and the rows heard since the start, for orders of `rowsPerOrder` rows.
struct HeardSample {
  double seconds;
  uint32_t position;
  double rows;
};

// Loads the module file at `path` on the open device, plays it from its start and looks at
// the heard position every 125 ms, `count` times. Empty when it does not load or play.
// (Inline: it calls the module player the test program links.)
inline std::vector<HeardSample> PlayAndListen(const char* path, int count, int rowsPerOrder) {
  std::vector<HeardSample> samples;
  if (!ModuleMusicLoad(path, kMusicLoadFlags) || !ModuleMusicSetPosition(0) || !ModuleMusicPlay()) {
    return samples;
  }
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(125));
    const uint32_t position = ModuleMusicGetPosition();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    samples.push_back({seconds, position, double(Order(position) * rowsPerOrder + Row(position))});
  }
  return samples;
}

// Frames one row lasts at `frequency` Hz.
inline long RowFrames(const xm::Module& m, long frequency = 44100) {
  return frequency * 5 * m.speed / (2 * m.bpm);
}

}  // namespace testmods
