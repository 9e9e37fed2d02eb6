// Texture font: one display list per glyph, each carrying its own pen advance, so a string
// is a single glCallLists.
#include "toolkit/font.h"

#include <cstring>
#include <vector>

#include "show/render_state.h"

GLuint fontTexture = 0;
GLuint fontListBase = 0;
char textLines[kTextLineCount][kTextLineBytes] = {};
int32_t textLineCount = 0;
int32_t textOutputOn = 1;

namespace {

constexpr int kGlyphCount = 256;
constexpr float kCell = 0.0625f;  // one grid cell, in texture units

// The list offset from fontListBase that byte `b` (taken as signed) calls in set `set`.
int GlyphOf(signed char b, int32_t set) {
  return b - 32 + 128 * set;
}

void CopyLine(char* line, const char* text) {
  if (!text) text = "";
  std::strncpy(line, text, kTextLineBytes - 1);
  line[kTextLineBytes - 1] = '\0';
}

// Virtual-screen height of line n: line 0 touches the top, line 29 the bottom.
int32_t LineY(int32_t line) {
  return 464 - 16 * line;
}

}  // namespace

void BuildFontLists() {
  fontListBase = glGenLists(kGlyphCount);
  glBindTexture(GL_TEXTURE_2D, fontTexture);
  for (int g = 0; g < kGlyphCount; ++g) {
    const float cx = static_cast<float>(g % 16) / 16.0f;
    const float cy = static_cast<float>(g / 16) / 16.0f;
    // Row 0 of the grid is the top of the picture, which is t = 1 for a bottom-up texture.
    glNewList(fontListBase + g, GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2f(cx, 1.0f - cy - kCell);
    glVertex2i(0, 0);
    glTexCoord2f(cx + kCell, 1.0f - cy - kCell);
    glVertex2i(16, 0);
    glTexCoord2f(cx + kCell, 1.0f - cy);
    glVertex2i(16, 16);
    glTexCoord2f(cx, 1.0f - cy);
    glVertex2i(0, 16);
    glEnd();
    glTranslated(10, 0, 0);
    glEndList();
  }
}

void DeleteFontLists() {
  // With no lists built, base 0 would name lists 0..255, which belong to other modules.
  if (fontListBase == 0) return;
  glDeleteLists(fontListBase, kGlyphCount);
  fontListBase = 0;  // the names may be handed out again to someone else
}

void PrintText(int32_t x, int32_t y, const char* text, int32_t set) {
  if (set > 1) set = 1;
  if (!text) text = "";
  BlendingOn();
  glBindTexture(GL_TEXTURE_2D, fontTexture);
  glDisable(GL_DEPTH_TEST);

  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, 640, 0, 480, -100, 100);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glTranslated(x, y, -0.1);

  // The bytes index lists relative to the base, so every byte must land inside the font's
  // own lists; a byte that would not is left out (the common all-valid case needs no copy).
  const size_t length = std::strlen(text);
  const signed char* bytes = reinterpret_cast<const signed char*>(text);
  size_t valid = 0;
  for (size_t i = 0; i < length; ++i) {
    const int glyph = GlyphOf(bytes[i], set);
    if (glyph >= 0 && glyph < kGlyphCount) ++valid;
  }
  glListBase(fontListBase - 32 + 128 * set);
  if (fontListBase == 0) {
    // No font lists: the bytes would call other modules' lists 1..255.
  } else if (valid == length) {
    glCallLists(static_cast<GLsizei>(length), GL_BYTE, text);
  } else if (valid > 0) {
    std::vector<signed char> kept;
    kept.reserve(valid);
    for (size_t i = 0; i < length; ++i) {
      const int glyph = GlyphOf(bytes[i], set);
      if (glyph >= 0 && glyph < kGlyphCount) kept.push_back(bytes[i]);
    }
    glCallLists(static_cast<GLsizei>(kept.size()), GL_BYTE, kept.data());
  }

  // Popping the modelview matrix undoes the pen advance of the glyph lists.
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glEnable(GL_DEPTH_TEST);
  BlendingOff();
}

void PrintLine(const char* text, int32_t line) {
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  if (line < 0 || line >= kTextLineCount) return;
  CopyLine(textLines[line], text);
  if (textOutputOn == 1) PrintText(0, LineY(line), textLines[line], 0);
}

void AppendLine(const char* text) {
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  if (textLineCount < 0 || textLineCount >= kTextLineCount - 1) return;
  ++textLineCount;
  CopyLine(textLines[textLineCount], text);
  if (textOutputOn == 1) PrintText(0, LineY(textLineCount), textLines[textLineCount], 0);
}
