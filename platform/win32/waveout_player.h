// The arithmetic of the waveOut module player that does not need a device: the size of
// its two buffers and the widening of the device's 32-bit sample counter.
#pragma once

#include <cstdint>

namespace waveout_player {

// Frames per device buffer at `frequency` Hz: the smallest power of two from 256 up that
// holds at least 40 ms.
uint32_t BufferFrames(uint32_t frequency);

// The device's 32-bit sample counter (frames played) as a 64-bit frame of the output
// stream, given the frames written so far, which the counter never passes.
int64_t WidenSampleCount(uint64_t framesWritten, uint32_t deviceSamples);

}  // namespace waveout_player
