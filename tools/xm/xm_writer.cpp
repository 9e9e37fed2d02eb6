// Serialises a Module into the FastTracker 2 XM 1.04 layout: header, packed patterns,
// instruments with one delta-coded 16-bit sample each.
#include "tools/xm/xm_writer.h"

#include <cstdio>
#include <cstring>

namespace xm {
namespace {

constexpr int kMaxOrders = 256;
constexpr int kMaxRows = 256;
constexpr int kMaxChannels = 32;
constexpr int kMaxPatterns = 256;
constexpr int kMaxInstruments = 128;
constexpr int kMaxEnvelopePoints = 12;
constexpr uint32_t kHeaderSize = 276;      // counted from the header-size field itself
constexpr uint32_t kInstrumentSize = 263;  // FT2's instrument header with one or more samples
constexpr uint32_t kSampleHeaderSize = 40;

class Bytes {
 public:
  void U8(uint32_t v) { out_.push_back(uint8_t(v)); }
  void U16(uint32_t v) {
    U8(v & 0xFF);
    U8((v >> 8) & 0xFF);
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  // Fixed-width text field: cut to width, padded with zero bytes.
  void Text(const std::string& s, size_t width) {
    for (size_t i = 0; i < width; ++i) U8(i < s.size() ? uint8_t(s[i]) : 0);
  }
  void Zeros(size_t n) { out_.insert(out_.end(), n, 0); }
  size_t size() const { return out_.size(); }
  void PatchU16(size_t at, uint32_t v) {
    out_[at] = uint8_t(v & 0xFF);
    out_[at + 1] = uint8_t((v >> 8) & 0xFF);
  }
  std::vector<uint8_t>& data() { return out_; }

 private:
  std::vector<uint8_t> out_;
};

bool ValidNote(const Note& n, int instruments) {
  if (n.note > kNoteOff) return false;
  if (n.instrument > instruments) return false;
  return true;
}

bool Valid(const Module& m) {
  if (m.channels < 1 || m.channels > kMaxChannels) return false;
  if (m.speed < 1 || m.speed > 31 || m.bpm < 32 || m.bpm > 255) return false;
  if (m.orders.empty() || m.orders.size() > kMaxOrders) return false;
  if (m.restart < 0 || size_t(m.restart) >= m.orders.size()) return false;
  if (m.patterns.empty() || m.patterns.size() > kMaxPatterns) return false;
  if (m.instruments.size() > kMaxInstruments) return false;
  for (uint8_t o : m.orders)
    if (o >= m.patterns.size()) return false;
  const int instrumentCount = int(m.instruments.size());
  for (const Pattern& p : m.patterns) {
    if (p.rows < 1 || p.rows > kMaxRows || p.channels != m.channels) return false;
    if (p.cells.size() != size_t(p.rows) * p.channels) return false;
    for (const Note& n : p.cells)
      if (!ValidNote(n, instrumentCount)) return false;
  }
  for (const Instrument& in : m.instruments) {
    // Sample length and loop are stored in bytes as 32-bit values.
    if (in.samples.size() > 0x7FFFFFFFu / 2) return false;
    if (in.loop) {
      if (in.loopLength == 0) return false;
      if (uint64_t(in.loopStart) + in.loopLength > in.samples.size()) return false;
    }
    if (in.volume > 64) return false;
    if (in.volumeEnvelope.size() > kMaxEnvelopePoints) return false;
    for (size_t i = 0; i < in.volumeEnvelope.size(); ++i) {
      if (in.volumeEnvelope[i].second > 64) return false;
      if (i > 0 && in.volumeEnvelope[i].first <= in.volumeEnvelope[i - 1].first) return false;
    }
    if (!in.volumeEnvelope.empty() && in.volumeEnvelope.front().first != 0) return false;
  }
  return true;
}

// One cell in XM packing: a flag byte (high bit set) naming the fields that follow, or all
// five fields raw when every one is present (the raw form is one byte shorter).
void PackNote(Bytes& out, const Note& n) {
  uint8_t flags = 0x80;
  if (n.note) flags |= 0x01;
  if (n.instrument) flags |= 0x02;
  if (n.volume) flags |= 0x04;
  if (n.effect) flags |= 0x08;
  if (n.param) flags |= 0x10;
  if (flags == 0x9F) {
    out.U8(n.note);
    out.U8(n.instrument);
    out.U8(n.volume);
    out.U8(n.effect);
    out.U8(n.param);
    return;
  }
  out.U8(flags);
  if (n.note) out.U8(n.note);
  if (n.instrument) out.U8(n.instrument);
  if (n.volume) out.U8(n.volume);
  if (n.effect) out.U8(n.effect);
  if (n.param) out.U8(n.param);
}

bool WritePattern(Bytes& out, const Pattern& p) {
  out.U32(9);  // pattern header length
  out.U8(0);   // packing type
  out.U16(uint32_t(p.rows));
  const size_t sizeAt = out.size();
  out.U16(0);
  const size_t start = out.size();
  for (const Note& n : p.cells) PackNote(out, n);
  const size_t packed = out.size() - start;
  if (packed > 0xFFFF) return false;
  out.PatchU16(sizeAt, uint32_t(packed));
  return true;
}

void WriteInstrument(Bytes& out, const Instrument& in) {
  out.U32(kInstrumentSize);
  out.Text(in.name, 22);
  out.U8(0);   // type
  out.U16(1);  // one sample
  out.U32(kSampleHeaderSize);
  out.Zeros(96);  // every note plays sample 0
  for (int i = 0; i < kMaxEnvelopePoints; ++i) {
    if (size_t(i) < in.volumeEnvelope.size()) {
      out.U16(in.volumeEnvelope[i].first);
      out.U16(in.volumeEnvelope[i].second);
    } else {
      out.U32(0);
    }
  }
  out.Zeros(48);  // panning envelope: unused
  out.U8(uint32_t(in.volumeEnvelope.size()));
  out.U8(0);                                  // panning points
  out.Zeros(6);                               // sustain and loop points of both envelopes
  out.U8(in.volumeEnvelope.empty() ? 0 : 1);  // volume envelope on, no sustain, no loop
  out.U8(0);                                  // panning envelope off
  out.Zeros(4);                               // vibrato type, sweep, depth, rate
  out.U16(in.fadeout);
  out.Zeros(22);  // reserved

  out.U32(uint32_t(in.samples.size() * 2));
  out.U32(in.loop ? in.loopStart * 2 : 0);
  out.U32(in.loop ? in.loopLength * 2 : 0);
  out.U8(in.volume);
  out.U8(uint8_t(in.finetune));
  out.U8((in.loop ? 0x01 : 0x00) | 0x10);  // forward loop, 16-bit
  out.U8(in.panning);
  out.U8(uint8_t(in.relativeNote));
  out.U8(0);
  out.Text(in.name, 22);
}

// Sample data is stored as differences between neighbours, wrapping at 16 bits.
void WriteSampleData(Bytes& out, const Instrument& in) {
  int16_t previous = 0;
  for (int16_t s : in.samples) {
    out.U16(uint16_t(uint16_t(s) - uint16_t(previous)));
    previous = s;
  }
}

}  // namespace

std::vector<uint8_t> WriteXM(const Module& module) {
  if (!Valid(module)) return {};
  Bytes out;
  out.Text("Extended Module: ", 17);
  out.Text(module.name, 20);
  out.U8(0x1A);
  out.Text("Lumivex xm_writer", 20);
  out.U16(0x0104);
  out.U32(kHeaderSize);
  out.U16(uint32_t(module.orders.size()));
  out.U16(uint32_t(module.restart));
  out.U16(uint32_t(module.channels));
  out.U16(uint32_t(module.patterns.size()));
  out.U16(uint32_t(module.instruments.size()));
  out.U16(module.linearFrequencies ? 1 : 0);
  out.U16(uint32_t(module.speed));
  out.U16(uint32_t(module.bpm));
  for (int i = 0; i < kMaxOrders; ++i)
    out.U8(size_t(i) < module.orders.size() ? module.orders[i] : 0);

  for (const Pattern& p : module.patterns)
    if (!WritePattern(out, p)) return {};
  for (const Instrument& in : module.instruments) {
    WriteInstrument(out, in);
    WriteSampleData(out, in);
  }
  return std::move(out.data());
}

bool SaveXM(const Module& module, const std::string& path) {
  const std::vector<uint8_t> bytes = WriteXM(module);
  if (bytes.empty()) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  return written && closed;
}

}  // namespace xm
