// GL 1.1's own symbols for the calls GLU's quadrics and projections make (glBegin ...
// glMultMatrixd), forwarded to the layer. Linked into programs that draw through the
// layer: there no desktop libGL answers them (the browser), or the program exports them
// so that they take precedence over libGL's (native ES 2).
#include "platform/gl11/gl11.h"

extern "C" {

void glBegin(unsigned mode) {
  gl11Begin(mode);
}
void glEnd() {
  gl11End();
}
void glVertex2f(float x, float y) {
  gl11Vertex2f(x, y);
}
void glVertex3f(float x, float y, float z) {
  gl11Vertex3f(x, y, z);
}
void glNormal3f(float x, float y, float z) {
  gl11Normal3f(x, y, z);
}
void glTexCoord2f(float s, float t) {
  gl11TexCoord2f(s, t);
}
void glMultMatrixd(const double* m) {
  gl11MultMatrixd(m);
}
void glMultMatrixf(const float* m) {
  gl11MultMatrixf(m);
}
void glTranslatef(float x, float y, float z) {
  gl11Translatef(x, y, z);
}
void glTranslated(double x, double y, double z) {
  gl11Translated(x, y, z);
}
void glScalef(float x, float y, float z) {
  gl11Scalef(x, y, z);
}

}  // extern "C"
