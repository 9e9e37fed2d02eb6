// Start-up loading: the GL defaults, the error log, the 22 textures, the quadric, the
// music and the particle field, once, before the first frame. It puts the loaders and
// the show together, so it sits above both.
#pragma once

#include "resources/texture_table.h"

// The GL state every frame of the show assumes: smooth shading, the clear colour and
// depth, depth test with LEQUAL, perspective-correct texturing.
void SetRenderDefaults();
// SetRenderDefaults, then LoadShowResources; always true.
bool InitRenderState();
void LoadShowResources();
