// Render-state helpers: each makes its GL calls in the order shown, no more.
#pragma once

// glEnable(GL_BLEND), glDisable(GL_DEPTH_TEST): blended, no depth test or writes.
void BlendingOn();
// glDisable(GL_BLEND), glEnable(GL_DEPTH_TEST): opaque with depth test. Every frame of
// the show begins and ends in this state.
void BlendingOff();
// glBlendFunc(GL_SRC_ALPHA, GL_ONE): the show's only blend function.
void AdditiveBlendFunc();
void LightingOn();
void LightingOff();
void TexturingOn();
void TexturingOff();
