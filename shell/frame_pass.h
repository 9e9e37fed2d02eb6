// One frame pass of the show: what the main loop does when no message is waiting, shared
// with the capture program, which swaps by reading the frame back.
#pragma once

// Shows the frame just drawn: the window's buffer swap, or the capture's read-back.
using FrameSwap = void (*)();

// An intro frame while the intro runs, then (in the same pass, once the intro has handed
// over) a gallery frame; each drawn frame is followed by `swap`, and the held keys change
// the gallery state after the gallery's swap. Returns true when the show should end.
bool FramePass(FrameSwap swap);
