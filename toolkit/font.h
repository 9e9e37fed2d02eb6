// The texture font: 256 glyphs of a 16 x 16 grid picture cut into display lists, printed
// over a virtual screen of 640 x 480 units, and a 30-line buffer of status lines.
#pragma once

#include <cstdint>

#include "platform/gl_api.h"

constexpr int kTextLineCount = 30;
constexpr int kTextLineBytes = 80;  // 79 characters and the terminator

extern GLuint fontTexture;   // the glyph picture; filled by the application
extern GLuint fontListBase;  // first of the 256 glyph lists
extern char textLines[kTextLineCount][kTextLineBytes];
extern int32_t textLineCount;  // line number last used by AppendLine
extern int32_t textOutputOn;   // the line-print operations draw only while it is 1

// Makes the 256 glyph lists: each a 16 x 16 textured quad that then moves the pen 10 units
// right. Needs a current GL context and fontTexture.
void BuildFontLists();
// Deletes the 256 lists and sets fontListBase back to 0; nothing to do while it is 0.
void DeleteFontLists();

// Prints `text` with its first glyph's lower left corner at (x, y) of the 640 x 480 virtual
// screen, in character set `set` (0 or 1; above 1 counts as 1). Bytes 32..127 are the
// printable characters of both sets. Bytes are taken as signed, so in set 1 the bytes
// 160..255 call glyphs 0..95 and the bytes 1..31 glyphs 96..127 (set 0's cells). A byte
// whose list would fall outside the font's 256 lists (below 32 or above 127 in set 0,
// 128..159 in set 1, any byte in a negative set) is dropped: it draws nothing and does not
// move the pen, just as a call of a missing list would do. While fontListBase is 0 (no
// lists built) no glyph is drawn at all. Restores both matrices, leaves
// the matrix mode at modelview, depth testing on and blending off.
void PrintText(int32_t x, int32_t y, const char* text, int32_t set);

// Stores `text` (cut to 79 characters) as line `line` (0..29) and, while textOutputOn is 1,
// draws it at y = 464 - 16 x line in opaque white. Lines outside 0..29 are ignored.
void PrintLine(const char* text, int32_t line);
// Stores `text` as the line after the last appended one (1, 2, ... 29) and draws it where
// PrintLine would draw that line. Appends beyond line 29 are ignored.
void AppendLine(const char* text);
