// Sample synthesis for the show's module: drums, bass, pads, pluck and lead, all computed,
// none recorded. Every sample is 16-bit mono at 44.1 kHz and tuned so that note C-4 sounds
// middle C (pitched) or the sample's own rate (drums).
#pragma once

#include "tools/xm/xm_writer.h"

namespace lumivex_music {

constexpr int kSampleRate = 44100;
// One cycle of a pitched sample's fundamental: 44100 / 168 = 262.5 Hz, a whole number of
// samples so loops of whole cycles join without a seam; the finetune takes it to 261.63 Hz.
constexpr int kCycle = 168;

xm::Instrument Kick();
xm::Instrument Snare();
xm::Instrument ClosedHat();
xm::Instrument OpenHat();
xm::Instrument Crash();
xm::Instrument Bass();
xm::Instrument PadMajor();
xm::Instrument PadMinor();
xm::Instrument Pluck();
xm::Instrument Lead();

// Samples to 16 bits: scaled so the loudest point reaches `peak` (0..1) of full scale.
std::vector<int16_t> ToPcm(const std::vector<double>& wave, double peak);

}  // namespace lumivex_music
