// Writes a short module for the end-to-end runs: the show's intro follows the module's
// order number and hands over to the gallery at order 6, which the shipped module reaches
// after 46 s. This one gets there in about two seconds (8 orders of 8 rows at speed 2,
// 125 bpm: 40 ms a row), so a run that should reach the gallery takes seconds.
#include <cmath>
#include <cstdio>

#include "tools/xm/xm_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.xm\n", argv[0]);
    return 2;
  }
  xm::Module module;
  module.name = "lumivex fast test";
  module.channels = 2;
  module.speed = 2;
  module.bpm = 125;
  module.restart = 0;

  xm::Instrument square;
  square.name = "square";
  for (int i = 0; i < 64; ++i) square.samples.push_back(i < 32 ? 6000 : -6000);
  square.loop = true;
  square.loopStart = 0;
  square.loopLength = 64;
  module.instruments.push_back(square);

  constexpr int kOrders = 8;
  constexpr int kRows = 8;
  for (int order = 0; order < kOrders; ++order) {
    xm::Pattern pattern(kRows, module.channels);
    xm::Note& note = pattern.at(0, 0);
    note.note = static_cast<uint8_t>(49 + order);  // a rising note per order
    note.instrument = 1;
    note.volume = 0x30;
    module.patterns.push_back(pattern);
    module.orders.push_back(static_cast<uint8_t>(order));
  }
  if (!xm::SaveXM(module, argv[1])) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
