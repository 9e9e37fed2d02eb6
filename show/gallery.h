// The gallery room: star spheres, a ring of translucent walls, pictures on the walls.
#pragma once

#include <cstdint>

extern int32_t gallerySet;  // 1 or 2: which pictures hang; anything else: none
extern float viewZ;         // viewer translation along the eye's z axis
extern float viewYaw;       // degrees about the room's vertical axis; never wrapped
extern float starSpin;      // degrees; +0.05 per drawn frame

// Draws one gallery frame into the back buffer; always returns 1.
int DrawGallery();
// The gallery's state back at its start values: set 1, the viewer at the centre, no turn.
void ResetGallery();
