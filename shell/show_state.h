// The whole state of the show, put back as the program starts: for the test fixtures and
// the capture program, which run the show's code more than once in one process or want
// to be sure of where it starts.
#pragma once

// Window and keys, intro, gallery, particle field, texture table and quadric, random
// generator; closes the error log. Touches no platform object and makes no GL call, so it
// is safe without a context and before start-up.
void ResetShowState();
