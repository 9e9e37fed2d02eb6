// Sections of four bars, sixteen rows (four beats) a bar, one chord a bar, all in A minor.
#include "tools/make-module/composition.h"

#include <sstream>
#include <string>

#include "tools/make-module/synth.h"

namespace lumivex_music {
namespace {

// Instrument numbers, in the order ComposeModule adds them.
enum Inst : uint8_t {
  kKick = 1,
  kSnare,
  kClosedHat,
  kOpenHat,
  kCrash,
  kBass,
  kPadMajor,
  kPadMinor,
  kPluck,
  kLead
};
// Channels.
enum Chan { kKickCh, kSnareCh, kHatCh, kBassCh, kPadCh, kArpCh, kLeadCh, kEchoCh };

constexpr int kBarRows = 16;
constexpr uint8_t kVibrato = 0x04;
constexpr uint8_t kSetPanning = 0x08;

uint8_t Vol(int v) {
  return uint8_t(0x10 + v);
}  // volume column: set volume 0..64

// XM note number of a pitch class (0 = C) in an octave: C-0 is 1.
uint8_t NoteOf(int pitchClass, int octave) {
  return uint8_t(octave * 12 + pitchClass + 1);
}

// "C#5", "Bb4", "A3": the XM note number.
uint8_t ParseNote(const std::string& name) {
  static const int kLetters[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  int pc = kLetters[name[0] - 'A'];
  size_t i = 1;
  if (name[i] == '#') ++pc, ++i;
  if (name[i] == 'b') --pc, ++i;
  return NoteOf(0, name[i] - '0') + uint8_t(pc);
}

struct Chord {
  int root;  // pitch class
  bool minor;
};
using Progression = std::vector<Chord>;

const Progression kVerse = {{9, true}, {5, false}, {0, false}, {7, false}};  // Am F C G
const Progression kLift = {{5, false}, {7, false}, {4, true}, {9, true}};    // F G Em Am
const Progression kBridge = {{2, true}, {4, true}, {5, false}, {4, false}};  // Dm Em F E
const Progression kTurn = {{9, true}, {5, false}, {7, false}, {4, false}};   // Am F G E

// The note of `pc` in the octave that keeps it within [low, low + 11].
uint8_t InRange(int pc, uint8_t low) {
  uint8_t n = NoteOf(pc, 0);
  while (n < low) n += 12;
  return n;
}

struct Section {
  const Progression* chords = &kVerse;
  bool kick = false;
  bool snare = false;
  int hats = 0;  // 0 none, 1 off-beat eighths, 2 sixteenths
  int bass = 0;  // 0 none, 1 held roots, 2 the groove
  bool pad = true;
  int arp = 0;  // 0 none, 1 eighths, 2 sixteenths
  const char* melody = nullptr;
  int answer = 0;  // 0 none, 1 echo three rows late, 2 an octave below
  bool crash = false;
  bool fill = false;      // a snare run into the next section
  bool buildUp = false;   // snare sixteenths rising over the last two bars
  bool halfTime = false;  // snare on beat three only, sparse kick
};

void Put(xm::Pattern& p, int row, int ch, uint8_t note, uint8_t inst, int vol, uint8_t fx = 0,
         uint8_t param = 0) {
  xm::Note& n = p.at(row, ch);
  n.note = note;
  n.instrument = inst;
  n.volume = Vol(vol);
  n.effect = fx;
  n.param = param;
}

const uint8_t kC4 = 49;  // drums sound at their own rate on C-4

void Drums(xm::Pattern& p, const Section& s) {
  for (int bar = 0; bar < 4; ++bar) {
    const int b = bar * kBarRows;
    if (s.kick) {
      if (s.halfTime) {
        Put(p, b, kKickCh, kC4, kKick, 60);
        Put(p, b + 10, kKickCh, kC4, kKick, 48);
      } else {
        for (int beat = 0; beat < 4; ++beat) Put(p, b + beat * 4, kKickCh, kC4, kKick, 60);
        if (bar % 2 == 1) Put(p, b + 14, kKickCh, kC4, kKick, 40);  // push into the next bar
      }
    }
    if (s.snare) {
      if (s.halfTime) {
        Put(p, b + 8, kSnareCh, kC4, kSnare, 52);
      } else {
        Put(p, b + 4, kSnareCh, kC4, kSnare, 52);
        Put(p, b + 12, kSnareCh, kC4, kSnare, 52);
        if (bar == 1) Put(p, b + 15, kSnareCh, kC4, kSnare, 20);  // ghost note
      }
    }
    for (int r = 0; r < kBarRows; ++r) {
      if (s.hats == 1 && r % 4 == 2)
        Put(p, b + r, kHatCh, kC4, r == 14 ? kOpenHat : kClosedHat, r == 14 ? 26 : 34);
      if (s.hats == 2) {
        if (r == 14 && bar % 2 == 1)
          Put(p, b + r, kHatCh, kC4, kOpenHat, 28);
        else
          Put(p, b + r, kHatCh, kC4, kClosedHat, r % 4 == 2 ? 36 : (r % 2 ? 16 : 24));
      }
    }
  }
  if (s.crash) Put(p, 0, kHatCh, kC4, kCrash, 44);
  if (s.fill) {
    // The last half bar: sixteenths growing louder, then a hit on the last row.
    for (int r = 56; r < 64; ++r) Put(p, r, kSnareCh, kC4, kSnare, 24 + (r - 56) * 4);
  }
  if (s.buildUp) {
    for (int r = 32; r < 64; ++r)
      if (r < 48 ? r % 2 == 0 : true) Put(p, r, kSnareCh, kC4, kSnare, 14 + (r - 32));
  }
}

void Harmony(xm::Pattern& p, const Section& s) {
  const uint8_t kBassLow = ParseNote("E2");
  const uint8_t kPadLow = ParseNote("E3");
  const uint8_t kArpLow = ParseNote("A4");
  for (int bar = 0; bar < 4; ++bar) {
    const Chord& c = (*s.chords)[bar];
    const int b = bar * kBarRows;
    const uint8_t root = InRange(c.root, kBassLow);
    if (s.pad) Put(p, b, kPadCh, InRange(c.root, kPadLow), c.minor ? kPadMinor : kPadMajor, 34);
    if (s.bass == 1) Put(p, b, kBassCh, root, kBass, 50);
    if (s.bass == 2) {
      // Root, root, octave, root ... with the fifth leading into the next bar.
      const int steps[8] = {0, 0, 12, 0, 0, 0, 12, 7};
      const int vols[8] = {56, 40, 48, 40, 52, 40, 48, 44};
      for (int i = 0; i < 8; ++i)
        Put(p, b + i * 2, kBassCh, uint8_t(root + steps[i]), kBass, vols[i]);
    }
    if (s.arp) {
      const int third = c.minor ? 3 : 4;
      const int shape[8] = {0, 7, 12, third + 12, 7 + 12, 12, 7, third};
      const uint8_t base = InRange(c.root, kArpLow) - 12;
      const int step = s.arp == 2 ? 1 : 2;
      for (int r = 0, i = 0; r < kBarRows; r += step, ++i) {
        const int vol = (r % 4 == 0 ? 30 : 20) + (s.arp == 2 && r % 2 ? -6 : 0);
        Put(p, b + r, kArpCh, uint8_t(base + shape[i % 8]), kPluck, vol);
      }
    }
  }
}

// "E5:4 D5:2 r:2 ...": notes with their length in rows; "r" rests.
void Melody(xm::Pattern& p, const Section& s) {
  if (!s.melody) return;
  std::istringstream in(s.melody);
  std::string token;
  int row = 0;
  while (in >> token && row < kRowsPerOrder) {
    const size_t colon = token.find(':');
    const std::string name = token.substr(0, colon);
    const int length = std::stoi(token.substr(colon + 1));
    const bool rest = name == "r";
    const uint8_t note = rest ? xm::kNoteOff : ParseNote(name);
    if (rest) {
      p.at(row, kLeadCh).note = xm::kNoteOff;
    } else {
      Put(p, row, kLeadCh, note, kLead, 44, kSetPanning, 0x70);
      // Long notes get a vibrato once they have settled.
      for (int r = row + 3; length >= 6 && r < row + length && r < kRowsPerOrder; ++r)
        p.at(r, kLeadCh).effect = kVibrato, p.at(r, kLeadCh).param = 0x43;
    }
    if (s.answer == 1 && row + 3 < kRowsPerOrder) {
      if (rest)
        p.at(row + 3, kEchoCh).note = xm::kNoteOff;
      else
        Put(p, row + 3, kEchoCh, note, kLead, 18, kSetPanning, 0xC0);
    }
    if (s.answer == 2) {
      if (rest)
        p.at(row, kEchoCh).note = xm::kNoteOff;
      else
        Put(p, row, kEchoCh, uint8_t(note - 12), kLead, 22, kSetPanning, 0xB0);
    }
    row += length;
  }
}

xm::Pattern Compose(const Section& s) {
  xm::Pattern p(kRowsPerOrder, kChannels);
  Drums(p, s);
  Harmony(p, s);
  Melody(p, s);
  return p;
}

// The gallery's themes, one bar per chord (16 rows).
const char* kThemeA1 =
    "E5:4 D5:2 C5:2 A4:4 C5:2 E5:2  F5:6 E5:2 C5:4 A4:4  G4:4 C5:2 E5:2 G5:6 E5:2  "
    "D5:8 B4:4 G4:2 B4:2";
const char* kThemeA2 =
    "E5:4 D5:2 C5:2 A4:2 B4:2 C5:2 E5:2  A5:6 G5:2 F5:4 C5:4  E5:4 G5:4 C6:4 B5:2 G5:2  "
    "A5:8 G5:4 B4:4";
const char* kThemeB1 =
    "A5:4 C6:4 A5:2 G5:2 F5:4  G5:4 B5:4 D6:4 B5:4  G5:6 E5:2 B4:4 E5:4  A5:12 r:4";
const char* kThemeB2 =
    "C6:4 A5:2 F5:2 C6:4 A5:2 C6:2  D6:4 B5:2 G5:2 D6:4 E6:4  E6:6 D6:2 B5:4 G5:4  "
    "A5:8 E5:4 C5:4";
const char* kRise = "D5:12 F5:4  E5:12 G5:4  F5:8 A5:8  G#5:8 B5:8";
const char* kTurnTheme = "A5:8 C6:4 B5:4  A5:8 F5:8  G5:8 B5:4 D6:4  E6:8 G#5:4 B5:4";
// Long notes over the spheres: the melody's outline before the gallery states it.
const char* kHint1 = "C5:16 D5:16 B4:16 C5:16";
const char* kHint2 = "A4:16 B4:16 G4:8 B4:8 E5:8 C5:8";

std::vector<Section> Form() {
  std::vector<Section> f(kOrderCount);
  // Logo: the pad alone, a soft pluck, then bass and hats gather.
  f[0].arp = 1;
  f[1].arp = 1, f[1].bass = 1, f[1].hats = 2, f[1].fill = true;
  // Tunnel: the groove starts.
  f[2].crash = true, f[2].kick = true, f[2].hats = 1, f[2].bass = 2, f[2].arp = 2;
  f[3] = f[2], f[3].crash = false, f[3].snare = true, f[3].hats = 2, f[3].fill = true;
  // Spheres: the lift progression, the melody's outline.
  Section lift = f[3];
  lift.chords = &kLift, lift.crash = true, lift.fill = false, lift.melody = kHint1;
  lift.answer = 1;
  f[4] = lift;
  f[5] = lift, f[5].crash = false, f[5].melody = kHint2, f[5].fill = true;
  // Gallery: theme, lift, bridge, build, theme again, and a turnaround back to order 6.
  Section full = f[3];
  full.fill = false, full.answer = 1;
  f[6] = full, f[6].crash = true, f[6].melody = kThemeA1;
  f[7] = full, f[7].melody = kThemeA2;
  f[8] = full, f[8].chords = &kLift, f[8].melody = kThemeB1;
  f[9] = full, f[9].chords = &kLift, f[9].melody = kThemeB2, f[9].fill = true;
  f[10].chords = &kBridge, f[10].crash = true, f[10].kick = true, f[10].snare = true;
  f[10].halfTime = true, f[10].hats = 1, f[10].bass = 1, f[10].arp = 1;
  f[11] = full, f[11].chords = &kBridge, f[11].snare = false, f[11].buildUp = true;
  f[11].melody = kRise;
  f[12] = full, f[12].crash = true, f[12].melody = kThemeA1, f[12].answer = 2;
  f[13] = full, f[13].melody = kThemeA2, f[13].answer = 2;
  f[14] = full, f[14].chords = &kLift, f[14].melody = kThemeB2;
  f[15] = full, f[15].chords = &kTurn, f[15].melody = kTurnTheme, f[15].fill = true;
  return f;
}

}  // namespace

double OrderStartSeconds(int order) {
  return order * kRowsPerOrder * kSpeed * 2.5 / kBpm;
}

xm::Module ComposeModule() {
  xm::Module m;
  m.name = "Lumivex";
  m.channels = kChannels;
  m.speed = kSpeed;
  m.bpm = kBpm;
  m.restart = kRestartOrder;
  m.instruments = {Kick(), Snare(),    ClosedHat(), OpenHat(), Crash(),
                   Bass(), PadMajor(), PadMinor(),  Pluck(),   Lead()};
  for (const Section& s : Form()) {
    m.orders.push_back(uint8_t(m.patterns.size()));
    m.patterns.push_back(Compose(s));
  }
  return m;
}

}  // namespace lumivex_music
