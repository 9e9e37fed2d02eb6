// Writes the live sync test's module: a click of one row (60 ms) at the start of orders 0
// and 1 (the logo), silent otherwise, then a loud note at the first frame of order 2, where
// the intro cuts to the tunnel. An order lasts 16 rows at speed 3, 125 bpm: 0.96 s.
#include <cstdio>

#include "tools/xm/xm_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.xm\n", argv[0]);
    return 2;
  }
  xm::Module module;
  module.name = "lumivex sync test";
  module.channels = 2;
  module.speed = 3;
  module.bpm = 125;

  xm::Instrument square;
  square.name = "square";
  for (int i = 0; i < 64; ++i) square.samples.push_back(i < 32 ? 12000 : -12000);
  square.loop = true;
  square.loopLength = 64;
  module.instruments.push_back(square);

  constexpr int kOrders = 8;
  constexpr int kRows = 16;
  for (int order = 0; order < kOrders; ++order) {
    xm::Pattern pattern(kRows, module.channels);
    {
      xm::Note& note = pattern.at(0, 0);
      note.note = 49;
      note.instrument = 1;
      note.volume = 0x50;
    }
    if (order < 2) pattern.at(1, 0).note = xm::kNoteOff;  // no envelope: the note stops
    module.patterns.push_back(pattern);
    module.orders.push_back(static_cast<uint8_t>(order));
  }
  if (!xm::SaveXM(module, argv[1])) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
