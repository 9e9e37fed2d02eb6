// The program's one loop, in three steps that each system's entry drives its own way: the
// desktop's WinMain steps until the show ends, the page steps once per animation frame, and
// the capture steps with a swap that reads the frame back.
#pragma once

#include "shell/frame_pass.h"

// The window with the show's title, size and depth, fullscreen first, and all start-up
// loading. False after a failure that has been shown and torn down: nothing else may run.
bool ShowStart();
// Hands every pending message to the window procedure, then runs one frame pass whose
// frames `swap` shows. Returns false once the show has ended: on a quit (its code goes to
// *exitCode, before any further frame) or on Escape (the code stays 0, a normal end).
bool ShowStep(FrameSwap swap, int* exitCode);
// The window's buffer swap: how ShowStep's frames reach a screen.
void SwapMainWindow();
// Tears everything down, the music first.
void ShowEnd();

// Start, steps until the end, end; returns the exit code. The steps are paced at 60 a
// second (shell/frame_pacer.h): between two passes the loop sleeps, handling messages
// as they come, and minimised in the gallery it sleeps until a message comes. The four
// Windows entry arguments are accepted and ignored.
int WinMain(void* instance, void* previousInstance, char* commandLine, int showCommand);
