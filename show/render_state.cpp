// Render-state helpers shared by the show and the toolkit.
#include "show/render_state.h"

#include "platform/gl_api.h"

void BlendingOn() {
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
}

void BlendingOff() {
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}

void AdditiveBlendFunc() { glBlendFunc(GL_SRC_ALPHA, GL_ONE); }

void LightingOn() { glEnable(GL_LIGHTING); }
void LightingOff() { glDisable(GL_LIGHTING); }
void TexturingOn() { glEnable(GL_TEXTURE_2D); }
void TexturingOff() { glDisable(GL_TEXTURE_2D); }
