// Lights and materials over OpenGL's fixed-function lighting.
#pragma once

#include "platform/gl_api.h"

// The built-in white directional light, shining from (1, 1, 1) towards the origin.
extern const GLfloat defaultLightAmbient[4];
extern const GLfloat defaultLightDiffuse[4];
extern const GLfloat defaultLightSpecular[4];
extern const GLfloat defaultLightPosition[4];

// Sets all four parameters of `light` (GL_LIGHT0 + n) and enables it. The position is
// transformed by the modelview matrix current at the call.
void SetupLight(GLenum light, const GLfloat* ambient, const GLfloat* diffuse,
                const GLfloat* specular, const GLfloat* position);
void SetupDefaultLight(GLenum light);
// Front-face material only; back faces keep theirs.
void SetMaterial(const GLfloat* ambient, const GLfloat* diffuse, const GLfloat* specular,
                 const GLfloat* shininess, const GLfloat* emission);
