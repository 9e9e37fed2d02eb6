// ES 2's header, and the GL 1.1 enumerants it lacks, for the layer's own files (drawing
// code sees GL/gl.h instead). Values from GL 1.1's gl.h.
#pragma once

#include <GLES2/gl2.h>

namespace gl11 {
constexpr GLenum kQuads = 0x0007;
constexpr GLenum kQuadStrip = 0x0008;
constexpr GLenum kPolygon = 0x0009;
constexpr GLenum kCompile = 0x1300;
constexpr GLenum kCompileAndExecute = 0x1301;
constexpr GLenum kModelview = 0x1700;
constexpr GLenum kProjection = 0x1701;
constexpr GLenum kTexture = 0x1702;
constexpr GLenum kLighting = 0x0B50;
constexpr GLenum kLight0 = 0x4000;
constexpr int kMaxLights = 8;
constexpr GLenum kNormalize = 0x0BA1;
constexpr GLenum kPolygonSmooth = 0x0B41;
constexpr GLenum kAmbient = 0x1200;
constexpr GLenum kDiffuse = 0x1201;
constexpr GLenum kSpecular = 0x1202;
constexpr GLenum kPosition = 0x1203;
constexpr GLenum kConstantAttenuation = 0x1207;
constexpr GLenum kLinearAttenuation = 0x1208;
constexpr GLenum kQuadraticAttenuation = 0x1209;
constexpr GLenum kEmission = 0x1600;
constexpr GLenum kShininess = 0x1601;
constexpr GLenum kAmbientAndDiffuse = 0x1602;
constexpr GLenum kFlat = 0x1D00;
constexpr GLenum kSmooth = 0x1D01;
constexpr GLenum kPerspectiveCorrectionHint = 0x0C50;
constexpr GLenum kPointSmoothHint = 0x0C51;
constexpr GLenum kLineSmoothHint = 0x0C52;
constexpr GLenum kPolygonSmoothHint = 0x0C53;
constexpr GLenum kStackOverflow = 0x0503;
constexpr GLenum kStackUnderflow = 0x0504;
constexpr GLenum k2Bytes = 0x1407;
constexpr GLenum k3Bytes = 0x1408;
constexpr GLenum k4Bytes = 0x1409;
constexpr GLenum kMatrixMode = 0x0BA0;
constexpr GLenum kModelviewStackDepth = 0x0BA3;
constexpr GLenum kProjectionStackDepth = 0x0BA4;
constexpr GLenum kTextureStackDepth = 0x0BA5;
constexpr GLenum kModelviewMatrix = 0x0BA6;
constexpr GLenum kProjectionMatrix = 0x0BA7;
constexpr GLenum kTextureMatrix = 0x0BA8;
constexpr GLenum kListBase = 0x0B32;
constexpr GLenum kListIndex = 0x0B33;
constexpr GLenum kListMode = 0x0B30;
constexpr GLenum kMaxListNesting = 0x0B31;
constexpr GLenum kCurrentColor = 0x0B00;
constexpr GLenum kCurrentNormal = 0x0B02;
constexpr GLenum kCurrentTextureCoords = 0x0B03;
constexpr GLenum kTextureBinding2D = 0x8069;
constexpr GLenum kRgb8 = 0x8051;
constexpr GLenum kRgba8 = 0x8058;
constexpr GLenum kLuminance8 = 0x8040;
}  // namespace gl11
