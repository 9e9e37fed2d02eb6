// The module's instruments, synthesised additively (pitched) or from shaped noise (drums).
#include "tools/make-module/synth.h"

#include <algorithm>
#include <cmath>

namespace lumivex_music {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMiddleC = 261.6255653;

// A deterministic noise source (32-bit LCG), the same on every run and machine.
class Noise {
 public:
  double Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return double(state_ >> 8) / double(1u << 23) - 1.0;
  }

 private:
  uint32_t state_ = 0x2545F491u;
};

// Relative note and finetune that make note C-4 play the sample at `rate` Hz
// (XM plays C-4 with neither at 8363 Hz, finetune in 1/128 semitone).
void TuneTo(xm::Instrument& in, double rate) {
  const double semitones = 12.0 * std::log2(rate / 8363.0);
  int rel = int(std::lround(semitones));
  int fine = int(std::lround((semitones - rel) * 128.0));
  if (fine > 127) {
    ++rel;
    fine -= 128;
  }
  in.relativeNote = int8_t(rel);
  in.finetune = int8_t(fine);
}

void TunePitched(xm::Instrument& in) {
  TuneTo(in, kMiddleC * kCycle);
}
void TuneDrum(xm::Instrument& in) {
  TuneTo(in, kSampleRate);
}

// Adds a band-limited sawtooth that completes `cycles` periods over `out` (so it loops
// seamlessly); harmonics above `maxHz` at the sample's own rate are left out, and
// `softness` rolls the upper ones off further.
void AddSaw(std::vector<double>& out, double cycles, double gain, double maxHz, double softness,
            double phase) {
  const double n = double(out.size());
  const double fundamentalHz = cycles * kSampleRate / n;
  for (int h = 1; h * fundamentalHz < maxHz; ++h) {
    const double amp = gain / h / (1.0 + std::pow(h / softness, 2.0));
    const double step = 2.0 * kPi * cycles * h / n;
    for (size_t i = 0; i < out.size(); ++i) out[i] += amp * std::sin(step * double(i) + phase * h);
  }
}

xm::Instrument Make(const char* name, const std::vector<double>& wave, double peak) {
  xm::Instrument in;
  in.name = name;
  in.samples = ToPcm(wave, peak);
  return in;
}

void LoopWhole(xm::Instrument& in, uint32_t from) {
  in.loop = true;
  in.loopStart = from;
  in.loopLength = uint32_t(in.samples.size()) - from;
}

// One-pole high-pass, for hats and snare noise.
std::vector<double> HighPass(const std::vector<double>& x, double cutoffHz) {
  const double rc = 1.0 / (2.0 * kPi * cutoffHz);
  const double a = rc / (rc + 1.0 / kSampleRate);
  std::vector<double> y(x.size());
  double prevX = 0, prevY = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    prevY = a * (prevY + x[i] - prevX);
    prevX = x[i];
    y[i] = prevY;
  }
  return y;
}

std::vector<double> HatBody(double seconds, double decay, double cutoff) {
  Noise noise;
  const size_t n = size_t(seconds * kSampleRate);
  std::vector<double> raw(n);
  // Noise plus a cluster of inharmonic square waves gives the metallic ring.
  const double freqs[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
  for (size_t i = 0; i < n; ++i) {
    const double t = double(i) / kSampleRate;
    double metal = 0;
    for (double f : freqs) metal += std::sin(2 * kPi * f * t * 2.0) > 0 ? 1.0 : -1.0;
    raw[i] = 0.6 * noise.Next() + 0.08 * metal;
  }
  std::vector<double> out = HighPass(HighPass(raw, cutoff), cutoff);
  for (size_t i = 0; i < n; ++i) {
    const double t = double(i) / kSampleRate;
    out[i] *= std::exp(-t / decay) * std::min(1.0, t / 0.0008);
  }
  return out;
}

}  // namespace

std::vector<int16_t> ToPcm(const std::vector<double>& wave, double peak) {
  double loudest = 1e-9;
  for (double v : wave) loudest = std::max(loudest, std::fabs(v));
  const double scale = peak * 32767.0 / loudest;
  std::vector<int16_t> pcm(wave.size());
  for (size_t i = 0; i < wave.size(); ++i)
    pcm[i] = int16_t(std::clamp(std::lround(wave[i] * scale), -32767L, 32767L));
  return pcm;
}

xm::Instrument Kick() {
  const size_t n = size_t(0.42 * kSampleRate);
  std::vector<double> w(n);
  Noise noise;
  double phase = 0;
  for (size_t i = 0; i < n; ++i) {
    const double t = double(i) / kSampleRate;
    const double freq = 46.0 + 120.0 * std::exp(-t / 0.028);
    phase += 2 * kPi * freq / kSampleRate;
    const double body = std::sin(phase) * std::exp(-t / 0.20);
    const double click = noise.Next() * std::exp(-t / 0.0025) * 0.35;
    const double fade = t > 0.38 ? (0.42 - t) / 0.04 : 1.0;  // no step at the sample's end
    w[i] = std::tanh(1.8 * (body + click)) * fade * std::min(1.0, t / 0.0005);
  }
  xm::Instrument in = Make("kick", w, 0.95);
  TuneDrum(in);
  return in;
}

xm::Instrument Snare() {
  const size_t n = size_t(0.30 * kSampleRate);
  Noise noise;
  std::vector<double> raw(n);
  for (size_t i = 0; i < n; ++i) raw[i] = noise.Next();
  std::vector<double> hiss = HighPass(raw, 1800.0);
  std::vector<double> w(n);
  for (size_t i = 0; i < n; ++i) {
    const double t = double(i) / kSampleRate;
    const double tone =
        (0.7 * std::sin(2 * kPi * 185.0 * t) + 0.4 * std::sin(2 * kPi * 331.0 * t)) *
        std::exp(-t / 0.045);
    const double snap = hiss[i] * std::exp(-t / 0.075) * 1.2;
    w[i] = std::tanh(1.4 * (tone + snap)) * std::min(1.0, t / 0.0006);
  }
  xm::Instrument in = Make("snare", w, 0.9);
  TuneDrum(in);
  return in;
}

xm::Instrument ClosedHat() {
  xm::Instrument in = Make("closed hat", HatBody(0.09, 0.018, 6000.0), 0.8);
  TuneDrum(in);
  in.panning = 150;
  return in;
}

xm::Instrument OpenHat() {
  xm::Instrument in = Make("open hat", HatBody(0.45, 0.11, 5500.0), 0.8);
  TuneDrum(in);
  in.panning = 150;
  return in;
}

xm::Instrument Crash() {
  xm::Instrument in = Make("crash", HatBody(1.8, 0.55, 3500.0), 0.8);
  TuneDrum(in);
  in.panning = 100;
  return in;
}

// A plucked synth bass: bright at the attack, settling to a round tone that loops.
xm::Instrument Bass() {
  constexpr int kAttackCycles = 36;
  std::vector<double> w;
  for (int c = 0; c <= kAttackCycles; ++c) {
    const double brightness = 3.0 + 14.0 * std::exp(-c / 8.0);
    std::vector<double> cycle(kCycle, 0.0);
    AddSaw(cycle, 1.0, 1.0, 9000.0, brightness, 0.0);
    for (int i = 0; i < kCycle; ++i)
      cycle[i] += 0.55 * std::sin(2 * kPi * i / kCycle);  // extra fundamental: weight
    w.insert(w.end(), cycle.begin(), cycle.end());
  }
  xm::Instrument in = Make("bass", w, 0.9);
  LoopWhole(in, uint32_t(kAttackCycles * kCycle));
  TunePitched(in);
  in.volumeEnvelope = {{0, 64}, {6, 54}, {30, 40}, {90, 30}};
  in.fadeout = 2048;
  return in;
}

namespace {
// A slow-attack pad holding a whole triad in just intonation (ratios over the loop's 200
// root cycles), each voice doubled a cycle sharp and a cycle flat for a gentle chorus.
xm::Instrument Pad(const char* name, int third) {
  constexpr int kRootCycles = 200;
  std::vector<double> w(size_t(kRootCycles) * kCycle, 0.0);
  const int voices[] = {kRootCycles, third, kRootCycles * 3 / 2};
  double phase = 0.3;
  for (int v : voices) {
    for (int detune : {-1, 0, 1}) {
      AddSaw(w, v + detune, detune == 0 ? 1.0 : 0.7, 4500.0, 5.0, phase);
      phase += 1.7;
    }
  }
  AddSaw(w, kRootCycles / 2, 0.6, 1500.0, 3.0, 0.0);  // the root an octave down
  xm::Instrument in = Make(name, w, 0.85);
  LoopWhole(in, 0);
  TunePitched(in);
  in.volumeEnvelope = {{0, 0}, {14, 60}, {40, 52}, {96, 46}};
  in.fadeout = 700;
  return in;
}
}  // namespace

xm::Instrument PadMajor() {
  return Pad("pad major", 250);
}  // 4:5:6
xm::Instrument PadMinor() {
  return Pad("pad minor", 240);
}  // 10:12:15

// A bell-like pluck: the upper partials die away faster than the fundamental.
xm::Instrument Pluck() {
  const size_t n = size_t(0.7 * kSampleRate);
  std::vector<double> w(n, 0.0);
  const double f0 = double(kSampleRate) / kCycle;
  const double partials[][3] = {{1, 1.0, 0.30},  {2, 0.55, 0.16}, {3, 0.30, 0.09},
                                {4, 0.22, 0.06}, {5, 0.12, 0.04}, {7, 0.06, 0.025}};
  for (size_t i = 0; i < n; ++i) {
    const double t = double(i) / kSampleRate;
    double v = 0;
    for (const auto& p : partials)
      v += p[1] * std::sin(2 * kPi * f0 * p[0] * t) * std::exp(-t / p[2]);
    const double fade = t > 0.6 ? (0.7 - t) / 0.1 : 1.0;
    w[i] = v * fade * std::min(1.0, t / 0.001);
  }
  xm::Instrument in = Make("pluck", w, 0.9);
  TunePitched(in);
  in.panning = 96;
  return in;
}

// The lead: a hollow pulse-like tone (strong odd harmonics) doubled slightly sharp.
xm::Instrument Lead() {
  constexpr int kLoopCycles = 200;
  std::vector<double> w(size_t(kLoopCycles) * kCycle, 0.0);
  const double f0 = double(kSampleRate) / kCycle;
  for (int layer = 0; layer < 2; ++layer) {
    const double cycles = kLoopCycles + layer;
    const double gain = layer == 0 ? 1.0 : 0.6;
    for (int h = 1; h * f0 < 4000.0; ++h) {
      const double amp = gain * (h % 2 ? 1.0 : 0.35) / h / (1.0 + std::pow(h / 6.0, 2.0));
      const double step = 2.0 * kPi * cycles * h / double(w.size());
      for (size_t i = 0; i < w.size(); ++i) w[i] += amp * std::sin(step * double(i) + layer * h);
    }
  }
  xm::Instrument in = Make("lead", w, 0.85);
  LoopWhole(in, 0);
  TunePitched(in);
  in.volumeEnvelope = {{0, 0}, {2, 64}, {12, 52}, {60, 44}};
  in.fadeout = 1200;
  return in;
}

}  // namespace lumivex_music
