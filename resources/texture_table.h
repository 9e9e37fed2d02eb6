// The GL objects start-up makes for the show: a texture per slot of the show's table and
// the one quadric. The show draws with them; start-up loading fills them.
#pragma once

#include <cstdint>

#include "platform/gl_api.h"
#include "resources/show_files.h"

// The OpenGL texture names; 0 until the slot's file has loaded.
extern uint32_t showTextures[kTextureCount];

// The one GLU quadric: smooth normals, texture coordinates on.
extern GLUquadric* quadric;

// Every slot back to 0 and the quadric released, as the program starts. The texture names
// are forgotten, not deleted: the GL context they were made in may be gone.
void ResetTextureTable();
