// Writes FastTracker 2 modules (XM 1.04): the format of the show's music. Used by the
// module composer and by tests that need small modules of known timing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xm {

constexpr uint8_t kNoteOff = 97;  // notes are 1 (C-0) .. 96 (B-7); 0 is no note

struct Note {
  uint8_t note = 0;
  uint8_t instrument = 0;  // 1-based; 0 is none
  uint8_t volume = 0;      // volume column byte (0x10..0x50 sets volume 0..64); 0 is none
  uint8_t effect = 0;
  uint8_t param = 0;
};

struct Pattern {
  int rows = 64;
  int channels = 4;
  std::vector<Note> cells;  // rows x channels, row-major
  Pattern(int rowCount, int channelCount)
      : rows(rowCount), channels(channelCount), cells(size_t(rowCount) * channelCount) {}
  Note& at(int row, int channel) { return cells[size_t(row) * channels + channel]; }
  const Note& at(int row, int channel) const { return cells[size_t(row) * channels + channel]; }
};

// One sample per instrument, 16-bit signed mono.
struct Instrument {
  std::string name;
  std::vector<int16_t> samples;
  bool loop = false;  // forward loop over [loopStart, loopStart + loopLength) samples
  uint32_t loopStart = 0;
  uint32_t loopLength = 0;
  uint8_t volume = 64;
  int8_t finetune = 0;
  int8_t relativeNote = 0;  // semitones added to every note played with it
  uint8_t panning = 128;
  // Volume envelope as (tick, value 0..64) points; empty: none. Fadeout applies on note off.
  std::vector<std::pair<uint16_t, uint16_t>> volumeEnvelope;
  uint16_t fadeout = 0;
};

struct Module {
  std::string name;
  int channels = 4;
  int speed = 6;    // ticks per row
  int bpm = 125;    // a tick lasts 2.5 / bpm seconds
  int restart = 0;  // order the module loops back to
  bool linearFrequencies = true;
  std::vector<uint8_t> orders;  // pattern number per order
  std::vector<Pattern> patterns;
  std::vector<Instrument> instruments;
};

// The module as the bytes of an .xm file; empty when the module cannot be written as XM
// (orders naming missing patterns, a pattern of another channel count, out-of-range counts,
// notes, instruments, loops or envelopes).
std::vector<uint8_t> WriteXM(const Module& module);
// Writes the file; false when it cannot be written completely.
bool SaveXM(const Module& module, const std::string& path);

}  // namespace xm
