// Small modules of known timing, made with the XM writer.
#include "tests/music/test_modules.h"

namespace testmods {

xm::Module Timed(int orders, int rows, int speed, int bpm, int restart) {
  xm::Module m;
  m.name = "timed";
  m.channels = 2;
  m.speed = speed;
  m.bpm = bpm;
  m.restart = restart;
  xm::Instrument square;
  square.name = "square";
  for (int i = 0; i < 200; ++i) square.samples.push_back(int16_t(i % 100 < 50 ? 10000 : -10000));
  square.loop = true;
  square.loopLength = uint32_t(square.samples.size());
  m.instruments.push_back(square);
  for (int i = 0; i < orders; ++i) {
    m.orders.push_back(uint8_t(i));
    m.patterns.emplace_back(rows, 2);
    m.patterns.back().at(0, 0) = {49, 1, 0, 0, 0};  // C-4, held until the next one
  }
  return m;
}

}  // namespace testmods
