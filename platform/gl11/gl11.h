// The part of OpenGL 1.1 that the show and the toolkit draw with, on OpenGL ES 2 (and so
// WebGL 1): matrix stacks, glBegin/glEnd batches of every primitive, display lists,
// texture objects, blend and depth state, the current colour and per-vertex lighting.
//
// Each gl11Name stands for GL 1.1's glName with the same arguments and the same errors;
// gl11_names.h routes drawing code's calls here. The parameter types are the built-in
// types GL's typedefs name, so this header sits beside either GL/gl.h or GLES2/gl2.h.
// What is not here is not provided: feedback and selection, glColorMaterial, flat
// shading, spot lights, two-sided lighting, polygon antialiasing (GL_POLYGON_SMOOTH is
// accepted and has no effect, as on ES 2 hardware), glTexEnv (always GL_MODULATE).
// glTexImage2D, glGen*, glDelete*, glGet*, glPixelStorei, glFlush and glFinish run at
// once even while a list is being compiled. Every call needs the ES 2 context current.
#pragma once

// Immediate mode: begin/end and the current vertex attributes.
void gl11Begin(unsigned mode);
void gl11End();
void gl11Vertex2i(int x, int y);
void gl11Vertex2f(float x, float y);
void gl11Vertex3f(float x, float y, float z);
void gl11TexCoord2f(float s, float t);
void gl11Normal3f(float x, float y, float z);
void gl11Color3f(float r, float g, float b);
void gl11Color4f(float r, float g, float b, float a);
void gl11Color4ub(unsigned char r, unsigned char g, unsigned char b, unsigned char a);

// Matrices: GL_MODELVIEW, GL_PROJECTION and GL_TEXTURE stacks, column-major as in GL.
void gl11MatrixMode(unsigned mode);
void gl11LoadIdentity();
void gl11LoadMatrixf(const float* m);
void gl11MultMatrixf(const float* m);
void gl11MultMatrixd(const double* m);
void gl11PushMatrix();
void gl11PopMatrix();
void gl11Translatef(float x, float y, float z);
void gl11Translated(double x, double y, double z);
void gl11Rotatef(float angle, float x, float y, float z);
void gl11Scalef(float x, float y, float z);
void gl11Ortho(double left, double right, double bottom, double top, double zNear, double zFar);
void gl11Frustum(double left, double right, double bottom, double top, double zNear, double zFar);

// Display lists.
unsigned gl11GenLists(int range);
void gl11DeleteLists(unsigned list, int range);
unsigned char gl11IsList(unsigned list);
void gl11NewList(unsigned list, unsigned mode);
void gl11EndList();
void gl11CallList(unsigned list);
void gl11CallLists(int n, unsigned type, const void* lists);
void gl11ListBase(unsigned base);

// Textures: internal formats 1-4 and GL_RGB/GL_RGBA/GL_LUMINANCE(_ALPHA)/GL_ALPHA.
void gl11GenTextures(int n, unsigned* textures);
void gl11DeleteTextures(int n, const unsigned* textures);
void gl11BindTexture(unsigned target, unsigned texture);
void gl11TexImage2D(unsigned target, int level, int internalFormat, int width, int height,
                    int border, unsigned format, unsigned type, const void* pixels);
void gl11TexParameteri(unsigned target, unsigned name, int value);
void gl11PixelStorei(unsigned name, int value);

// Render state.
void gl11Enable(unsigned cap);
void gl11Disable(unsigned cap);
unsigned char gl11IsEnabled(unsigned cap);
void gl11BlendFunc(unsigned source, unsigned destination);
void gl11DepthFunc(unsigned func);
void gl11DepthMask(unsigned char flag);
void gl11ShadeModel(unsigned mode);
void gl11Hint(unsigned target, unsigned mode);
void gl11ClearColor(float r, float g, float b, float a);
void gl11ClearDepth(double depth);
void gl11Clear(unsigned mask);
void gl11Viewport(int x, int y, int width, int height);

// Lights and materials (GL_FRONT and GL_FRONT_AND_BACK set the one material used).
void gl11Lightfv(unsigned light, unsigned name, const float* params);
void gl11Materialfv(unsigned face, unsigned name, const float* params);

// Queries and synchronisation.
unsigned gl11GetError();
void gl11GetIntegerv(unsigned name, int* params);
void gl11GetFloatv(unsigned name, float* params);
void gl11Flush();
void gl11Finish();
void gl11ReadPixels(int x, int y, int width, int height, unsigned format, unsigned type,
                    void* pixels);

// Drops every list, texture record and matrix, and the layer's ES objects: for a new
// context (the old one's objects are gone with it).
void gl11Reset();
