// The program's one loop: a pending message, or else one frame.
#pragma once

// Opens the window, runs the show until Escape or a quit, tears down; returns the exit
// code. The four Windows entry arguments are accepted and ignored.
int WinMain(void* instance, void* previousInstance, char* commandLine, int showCommand);
