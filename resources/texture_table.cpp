// The texture table and the quadric, empty until start-up loading fills them.
#include "resources/texture_table.h"

uint32_t showTextures[kTextureCount] = {};

GLUquadric* quadric = nullptr;

void ResetTextureTable() {
  for (uint32_t& slot : showTextures) slot = 0;
  // A quadric is GLU's own record, not a GL object: no context needed.
  if (quadric) gluDeleteQuadric(quadric);
  quadric = nullptr;
}
