// Routes the GL 1.1 calls of the file that includes it to the layer in gl11.h (by macro,
// after GL/gl.h has declared the originals), so drawing code reads as plain GL.
#pragma once

#include "platform/gl11/gl11.h"

#define glBegin gl11Begin
#define glEnd gl11End
#define glVertex2i gl11Vertex2i
#define glVertex2f gl11Vertex2f
#define glVertex3f gl11Vertex3f
#define glTexCoord2f gl11TexCoord2f
#define glNormal3f gl11Normal3f
#define glColor3f gl11Color3f
#define glColor4f gl11Color4f
#define glColor4ub gl11Color4ub
#define glMatrixMode gl11MatrixMode
#define glLoadIdentity gl11LoadIdentity
#define glLoadMatrixf gl11LoadMatrixf
#define glMultMatrixf gl11MultMatrixf
#define glMultMatrixd gl11MultMatrixd
#define glPushMatrix gl11PushMatrix
#define glPopMatrix gl11PopMatrix
#define glTranslatef gl11Translatef
#define glTranslated gl11Translated
#define glRotatef gl11Rotatef
#define glScalef gl11Scalef
#define glOrtho gl11Ortho
#define glFrustum gl11Frustum
#define glGenLists gl11GenLists
#define glDeleteLists gl11DeleteLists
#define glIsList gl11IsList
#define glNewList gl11NewList
#define glEndList gl11EndList
#define glCallList gl11CallList
#define glCallLists gl11CallLists
#define glListBase gl11ListBase
#define glGenTextures gl11GenTextures
#define glDeleteTextures gl11DeleteTextures
#define glBindTexture gl11BindTexture
#define glTexImage2D gl11TexImage2D
#define glTexParameteri gl11TexParameteri
#define glPixelStorei gl11PixelStorei
#define glEnable gl11Enable
#define glDisable gl11Disable
#define glIsEnabled gl11IsEnabled
#define glBlendFunc gl11BlendFunc
#define glDepthFunc gl11DepthFunc
#define glDepthMask gl11DepthMask
#define glShadeModel gl11ShadeModel
#define glHint gl11Hint
#define glClearColor gl11ClearColor
#define glClearDepth gl11ClearDepth
#define glClear gl11Clear
#define glViewport gl11Viewport
#define glLightfv gl11Lightfv
#define glMaterialfv gl11Materialfv
#define glGetError gl11GetError
#define glGetIntegerv gl11GetIntegerv
#define glGetFloatv gl11GetFloatv
#define glFlush gl11Flush
#define glFinish gl11Finish
#define glReadPixels gl11ReadPixels
