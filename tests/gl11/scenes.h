// The frames the GL layer is compared on: every scene of the show and the toolkit's
// lighting, model and font drawing, each from a fixed state. Built twice, once drawing
// through desktop GL and once through the layer, so both draw exactly the same calls.
#pragma once

#include <vector>

namespace gl11test {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// The show's start-up with the real pictures (run from the repository root) and the
// projection of an 800 x 600 window.
void StartShow();
// The scenes' names, in the order they must be drawn (each may leave state to the next,
// as frames of the show do).
const std::vector<const char*>& SceneNames();
// Draws scene `index` into the current context.
void DrawScene(int index);

}  // namespace gl11test
