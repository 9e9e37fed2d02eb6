// The show's music, composed in code: the sections, their chords, grooves and melodies.
// The intro's scenes follow the order number, so the form is fixed: orders 0-1 the logo,
// 2-3 the tunnel, 4-5 the spheres, and the gallery from its order (6) on, looping back there.
#pragma once

#include "resources/show_files.h"
#include "tools/xm/xm_writer.h"

namespace lumivex_music {

constexpr int kChannels = 8;
constexpr int kRowsPerOrder = 64;
constexpr int kSpeed = 6;  // ticks per row
constexpr int kBpm = 125;  // 2.5 / 125 s a tick: 0.12 s a row, 7.68 s an order
using ::kGalleryOrder;     // the show's, from its table
constexpr int kRestartOrder = kGalleryOrder;
constexpr int kOrderCount = 16;

// Seconds from the start of the module to the first row of `order`, as composed.
double OrderStartSeconds(int order);

// The whole module, the same bytes on every call.
xm::Module ComposeModule();

}  // namespace lumivex_music
