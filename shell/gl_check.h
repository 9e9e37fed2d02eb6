// A check of GL's error flags once a frame. Debug builds (and builds with
// LUMIVEX_GL_CHECK defined) report every error raised since the last check on standard
// error; release builds compile it to nothing, as GL error queries stall the pipeline.
#pragma once

// Drains GL's error flags and reports each as "lumivex: GL error 0x0500 (GL_INVALID_ENUM)
// in <where>" on standard error. Returns how many were found; always 0 when the check is
// compiled out. Call with the context current, once per frame.
int GLCheckFrame(const char* where);

// Errors reported so far in this run (0 when the check is compiled out).
unsigned long GLErrorTotal();
