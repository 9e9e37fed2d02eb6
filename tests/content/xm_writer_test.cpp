// The XM writer: byte layout at the fixed offsets, pattern packing, delta-coded samples,
// refusal of modules XM cannot hold, and what libopenmpt makes of a written module.
#include "tools/xm/xm_writer.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

uint32_t U16At(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8);
}
uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  return U16At(b, at) | (U16At(b, at + 2) << 16);
}

constexpr size_t kFirstPattern = 60 + 276;  // ID, name, tracker, version, then the header

xm::Instrument Square(int period, int cycles) {
  xm::Instrument in;
  in.name = "square";
  for (int i = 0; i < period * cycles; ++i)
    in.samples.push_back(int16_t((i % period) < period / 2 ? 12000 : -12000));
  in.loop = true;
  in.loopStart = 0;
  in.loopLength = uint32_t(in.samples.size());
  return in;
}

// orderCount orders, each its own pattern of `rows` rows; one note at the top of pattern 0.
xm::Module Simple(int orderCount, int rows, int channels) {
  xm::Module m;
  m.name = "simple";
  m.channels = channels;
  for (int i = 0; i < orderCount; ++i) {
    m.orders.push_back(uint8_t(i));
    m.patterns.emplace_back(rows, channels);
  }
  m.patterns[0].at(0, 0).note = 49;  // C-4
  m.patterns[0].at(0, 0).instrument = 1;
  m.instruments.push_back(Square(100, 20));
  return m;
}

openmpt::module Load(const std::vector<uint8_t>& bytes) {
  std::ostringstream quiet;
  return openmpt::module(bytes, quiet);
}

double Peak(openmpt::module& mod, double seconds) {
  std::vector<float> buf(1024);
  double peak = 0;
  for (long done = 0; done < long(seconds * 44100);) {
    const size_t n = mod.read(44100, buf.size(), buf.data());
    if (n == 0) break;
    for (size_t i = 0; i < n; ++i) peak = std::max(peak, double(std::fabs(buf[i])));
    done += long(n);
  }
  return peak;
}

TEST(XmWriter, HeaderFieldsSitAtTheirFixedOffsets) {
  xm::Module m = Simple(3, 32, 6);
  m.orders = {2, 0, 1, 1};
  m.restart = 3;
  m.speed = 5;
  m.bpm = 140;
  m.linearFrequencies = false;
  m.name = "a name longer than twenty bytes";
  const std::vector<uint8_t> b = xm::WriteXM(m);
  ASSERT_GT(b.size(), kFirstPattern);
  EXPECT_EQ(0, std::memcmp(b.data(), "Extended Module: ", 17));
  EXPECT_EQ(0, std::memcmp(b.data() + 17, "a name longer than t", 20));
  EXPECT_EQ(0x1A, b[37]);
  EXPECT_EQ(0x0104u, U16At(b, 58));
  EXPECT_EQ(276u, U32At(b, 60));
  EXPECT_EQ(4u, U16At(b, 64));  // song length
  EXPECT_EQ(3u, U16At(b, 66));  // restart
  EXPECT_EQ(6u, U16At(b, 68));  // channels
  EXPECT_EQ(3u, U16At(b, 70));  // patterns
  EXPECT_EQ(1u, U16At(b, 72));  // instruments
  EXPECT_EQ(0u, U16At(b, 74));  // Amiga frequency table
  EXPECT_EQ(5u, U16At(b, 76));
  EXPECT_EQ(140u, U16At(b, 78));
  EXPECT_EQ(2, b[80]);
  EXPECT_EQ(0, b[81]);
  EXPECT_EQ(1, b[83]);
  EXPECT_EQ(0, b[84]);  // unused order slots are zero
  EXPECT_EQ(9u, U32At(b, kFirstPattern));
  EXPECT_EQ(32u, U16At(b, kFirstPattern + 5));
}

TEST(XmWriter, PacksCellsByTheFieldsPresent) {
  xm::Module m = Simple(1, 2, 2);
  m.patterns[0].at(0, 0) = {49, 1, 0x40, 0x0F, 0x03};   // every field: five raw bytes
  m.patterns[0].at(0, 1) = {0, 0, 0, 0x0C, 0};          // effect only
  m.patterns[0].at(1, 1) = {xm::kNoteOff, 0, 0, 0, 0};  // note off only
  const std::vector<uint8_t> b = xm::WriteXM(m);
  ASSERT_FALSE(b.empty());
  const std::vector<uint8_t> expected = {49, 1, 0x40, 0x0F, 0x03, 0x88, 0x0C, 0x80, 0x81, 97};
  ASSERT_EQ(expected.size(), U16At(b, kFirstPattern + 7));
  EXPECT_EQ(expected, std::vector<uint8_t>(b.begin() + kFirstPattern + 9,
                                           b.begin() + kFirstPattern + 9 + expected.size()));
}

TEST(XmWriter, SamplesAreDeltaCodedAndLoopsCountedInBytes) {
  xm::Module m = Simple(1, 1, 1);
  xm::Instrument& in = m.instruments[0];
  in.samples = {0, 100, -100, 32767, -32768};
  in.loopStart = 1;
  in.loopLength = 3;
  in.relativeNote = -12;
  in.finetune = -16;
  in.volumeEnvelope = {{0, 64}, {10, 32}, {40, 0}};
  in.fadeout = 512;
  const std::vector<uint8_t> b = xm::WriteXM(m);
  ASSERT_FALSE(b.empty());
  const size_t inst = kFirstPattern + 9 + U16At(b, kFirstPattern + 7);
  EXPECT_EQ(263u, U32At(b, inst));
  EXPECT_EQ(1u, U16At(b, inst + 27));
  EXPECT_EQ(10u, U16At(b, inst + 33 + 96 + 4));  // second envelope point's tick
  EXPECT_EQ(32u, U16At(b, inst + 33 + 96 + 6));
  EXPECT_EQ(3, b[inst + 225]);  // envelope points
  EXPECT_EQ(1, b[inst + 233]);  // envelope on
  EXPECT_EQ(512u, U16At(b, inst + 239));
  const size_t sample = inst + 263;
  EXPECT_EQ(10u, U32At(b, sample));     // length in bytes
  EXPECT_EQ(2u, U32At(b, sample + 4));  // loop start in bytes
  EXPECT_EQ(6u, U32At(b, sample + 8));  // loop length in bytes
  EXPECT_EQ(0x11, b[sample + 14]);      // forward loop, 16-bit
  EXPECT_EQ(uint8_t(-12), b[sample + 16]);
  EXPECT_EQ(uint8_t(-16), b[sample + 13]);
  const size_t data = sample + 40;
  ASSERT_EQ(data + 10, b.size());
  const uint16_t deltas[] = {0, 100, uint16_t(-200), uint16_t(32867), 1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(deltas[i], U16At(b, data + 2 * i)) << i;
}

TEST(XmWriter, RefusesModulesXmCannotHold) {
  std::vector<xm::Module> bad;
  auto add = [&](auto change) {
    xm::Module m = Simple(2, 16, 4);
    change(m);
    bad.push_back(m);
  };
  add([](xm::Module& m) { m.orders.push_back(7); });  // no pattern 7
  add([](xm::Module& m) { m.orders.clear(); });
  add([](xm::Module& m) { m.orders.assign(257, 0); });
  add([](xm::Module& m) { m.restart = 2; });  // only orders 0 and 1
  add([](xm::Module& m) { m.patterns[1] = xm::Pattern(16, 3); });
  add([](xm::Module& m) { m.patterns[1] = xm::Pattern(257, 4); });
  add([](xm::Module& m) { m.patterns[1].cells.pop_back(); });
  add([](xm::Module& m) {
    m.channels = 33;
    m.patterns.assign(2, xm::Pattern(16, 33));
  });
  add([](xm::Module& m) { m.patterns[1].at(3, 2).note = 98; });
  add([](xm::Module& m) { m.patterns[1].at(3, 2).instrument = 2; });
  add([](xm::Module& m) { m.instruments[0].loopLength = 2001; });
  add([](xm::Module& m) { m.instruments[0].loopLength = 0; });
  add([](xm::Module& m) { m.instruments[0].volume = 65; });
  add([](xm::Module& m) { m.instruments[0].volumeEnvelope.assign(13, {0, 64}); });
  add([](xm::Module& m) { m.instruments[0].volumeEnvelope = {{0, 64}, {0, 0}}; });
  add([](xm::Module& m) { m.speed = 0; });
  add([](xm::Module& m) { m.bpm = 300; });
  for (size_t i = 0; i < bad.size(); ++i) {
    EXPECT_TRUE(xm::WriteXM(bad[i]).empty()) << "case " << i;
    EXPECT_FALSE(xm::SaveXM(bad[i], ::testing::TempDir() + "/bad.xm")) << "case " << i;
  }
  EXPECT_FALSE(xm::WriteXM(Simple(2, 16, 4)).empty());
}

TEST(XmWriter, SaveWritesTheSameBytesAndReportsUnwritablePaths) {
  const xm::Module m = Simple(2, 16, 4);
  const std::string path = ::testing::TempDir() + "/saved.xm";
  ASSERT_TRUE(xm::SaveXM(m, path));
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> onDisk{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(xm::WriteXM(m), onDisk);
  std::remove(path.c_str());
  EXPECT_FALSE(xm::SaveXM(m, ::testing::TempDir()));  // a folder
  EXPECT_FALSE(xm::SaveXM(m, "/nonexistent-folder/x.xm"));
}

TEST(XmWriter, LibopenmptPlaysTheModuleWithItsTiming) {
  // 64 rows at speed 6, bpm 125: 64 * 6 * 2.5 / 125 = 7.68 s an order.
  xm::Module m = Simple(5, 64, 8);
  m.restart = 3;
  openmpt::module mod = Load(xm::WriteXM(m));
  EXPECT_EQ(5, mod.get_num_orders());
  EXPECT_EQ(5, mod.get_num_patterns());
  EXPECT_EQ(8, mod.get_num_channels());
  EXPECT_EQ(1, mod.get_num_instruments());
  EXPECT_NEAR(5 * 7.68, mod.get_duration_seconds(), 0.01);
  EXPECT_NEAR(2 * 7.68, mod.set_position_order_row(2, 0), 0.01);

  // The sample is read back intact enough to sound, and looping keeps it sounding.
  mod.set_position_order_row(0, 0);
  EXPECT_GT(Peak(mod, 1.0), 0.05);
  EXPECT_GT(Peak(mod, 1.0), 0.05);

  // After the last order playback returns to the restart order, not to order 0.
  mod.set_repeat_count(-1);
  mod.set_position_order_row(4, 60);
  Peak(mod, 1.0);
  EXPECT_EQ(3, mod.get_current_order());
}

TEST(XmWriter, TempoAndSpeedChangeTheOrderLength) {
  xm::Module m = Simple(2, 32, 4);
  m.speed = 3;
  m.bpm = 150;
  openmpt::module mod = Load(xm::WriteXM(m));
  EXPECT_NEAR(2 * 32 * 3 * 2.5 / 150, mod.get_duration_seconds(), 0.01);
  // A silent module renders silence: nothing is invented from the header alone.
  m.patterns[0].at(0, 0) = {};
  openmpt::module quiet = Load(xm::WriteXM(m));
  EXPECT_EQ(0.0, Peak(quiet, 0.5));
}

}  // namespace
