// The gallery room: two turning star spheres, an eight-sided ring of additive walls, a
// picture on the back wall and, for sets 1 and 2, seven more around the room.
#include "show/gallery.h"

#include "platform/gl_api.h"
#include "resources/texture_table.h"
#include "show/render_state.h"

int32_t gallerySet = 1;
float viewZ = 0.0f;
float viewYaw = 0.0f;
float starSpin = 0.0f;

namespace {
struct Vec3 {
  float x, y, z;
};
// Corners in drawing order: lower left first, counter-clockwise as seen from inside.
struct Quad {
  Vec3 corner[4];
};

// The octagon's walls, in drawing order (back-left comes after front).
constexpr Quad kWalls[] = {
    {{{-1.0f, -1.0f, -3.0f}, {1.0f, -1.0f, -3.0f}, {1.0f, 1.0f, -3.0f}, {-1.0f, 1.0f, -3.0f}}},
    {{{1.0f, -1.0f, -3.0f}, {2.5f, -1.0f, -2.0f}, {2.5f, 1.0f, -2.0f}, {1.0f, 1.0f, -3.0f}}},
    {{{2.5f, -1.0f, -2.0f}, {2.5f, -1.0f, 0.0f}, {2.5f, 1.0f, 0.0f}, {2.5f, 1.0f, -2.0f}}},
    {{{2.5f, -1.0f, 0.0f}, {1.0f, -1.0f, 2.0f}, {1.0f, 1.0f, 2.0f}, {2.5f, 1.0f, 0.0f}}},
    {{{1.0f, -1.0f, 2.0f}, {-1.0f, -1.0f, 2.0f}, {-1.0f, 1.0f, 2.0f}, {1.0f, 1.0f, 2.0f}}},
    {{{-2.5f, -1.0f, -1.0f}, {-1.0f, -1.0f, -3.0f}, {-1.0f, 1.0f, -3.0f}, {-2.5f, 1.0f, -1.0f}}},
    {{{-2.5f, -1.0f, 1.0f}, {-2.5f, -1.0f, -1.0f}, {-2.5f, 1.0f, -1.0f}, {-2.5f, 1.0f, 1.0f}}},
    {{{-1.0f, -1.0f, 2.0f}, {-2.5f, -1.0f, 1.0f}, {-2.5f, 1.0f, 1.0f}, {-1.0f, 1.0f, 2.0f}}},
};

// 0.001 in front of the back wall's plane (z = -2.999, not -3).
constexpr Quad kBackPicture = {{{-0.5f, -0.5f, -2.999f},
                                {0.5f, -0.5f, -2.999f},
                                {0.5f, 0.5f, -2.999f},
                                {-0.5f, 0.5f, -2.999f}}};

struct PicturePosition {
  bool moved;
  float dz;  // translation along the room's z axis, applied to this picture alone
  Quad quad;
};

// The seven positions shared by both sets, in drawing order: back-right, right, left,
// front-left, front, front-right, back-left.
constexpr PicturePosition kPositions[] = {
    {true,
     -0.3f,
     {{{1.25f, -0.5f, -2.7f}, {2.25f, -0.5f, -2.0f}, {2.25f, 0.5f, -2.0f}, {1.25f, 0.5f, -2.7f}}}},
    {false,
     0.0f,
     {{{2.499f, -0.5f, -1.5f},
       {2.499f, -0.5f, -0.5f},
       {2.499f, 0.5f, -0.5f},
       {2.499f, 0.5f, -1.5f}}}},
    {false,
     0.0f,
     {{{-2.499f, -0.5f, 0.499f},
       {-2.499f, -0.5f, -0.499f},
       {-2.499f, 0.5f, -0.499f},
       {-2.499f, 0.5f, 0.499f}}}},
    {true,
     0.3f,
     {{{-1.25f, -0.5f, 1.7f}, {-2.25f, -0.5f, 1.0f}, {-2.25f, 0.5f, 1.0f}, {-1.25f, 0.5f, 1.7f}}}},
    {false,
     0.0f,
     {{{0.5f, -0.5f, 1.99f}, {-0.5f, -0.5f, 1.99f}, {-0.5f, 0.5f, 1.99f}, {0.5f, 0.5f, 1.99f}}}},
    {true,
     0.3f,
     {{{2.0f, -0.5f, 0.5f}, {1.25f, -0.5f, 1.5f}, {1.25f, 0.5f, 1.5f}, {2.0f, 0.5f, 0.5f}}}},
    {true,
     -0.7f,
     {{{-2.0f, -0.5f, -1.0f},
       {-1.25f, -0.5f, -2.0f},
       {-1.25f, 0.5f, -2.0f},
       {-2.0f, 0.5f, -1.0f}}}},
};

constexpr int kPositionCount = sizeof kPositions / sizeof kPositions[0];
constexpr TextureSlot kSet1[kPositionCount] = {
    kTexKavra2, kTexKavra, kTexDolmane1, kTexPertaxa1, kTexPertaxa2, kTexPertaxa3, kTexKavra4};
constexpr TextureSlot kSet2[kPositionCount] = {
    kTexDolmane2, kTexPertaxa4, kTexPertaxa5, kTexDolmane3, kTexDolmane4, kTexKavra5, kTexKavra3};

// The viewer's limits: a value that reaches one is drawn once, then set just inside it.
constexpr float kForwardLimit = 1.5f;
constexpr float kForwardStop = 1.499f;
constexpr float kBackLimit = -1.8f;
constexpr float kBackStop = -1.799f;

void Bind(TextureSlot slot) {
  glBindTexture(GL_TEXTURE_2D, showTextures[slot]);
}

// The corners of one quad, each after its texture coordinate; the caller brackets them.
void SendQuad(const Quad& q) {
  static constexpr float kST[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
  for (int i = 0; i < 4; ++i) {
    glTexCoord2f(kST[i][0], kST[i][1]);
    glVertex3f(q.corner[i].x, q.corner[i].y, q.corner[i].z);
  }
}

void DrawPictureSet(const TextureSlot (&set)[kPositionCount]) {
  for (int i = 0; i < kPositionCount; ++i) {
    const PicturePosition& pos = kPositions[i];
    if (pos.moved) {
      glPushMatrix();
      glTranslatef(0.0f, 0.0f, pos.dz);
    }
    Bind(set[i]);
    glBegin(GL_QUADS);
    SendQuad(pos.quad);
    glEnd();
    if (pos.moved) glPopMatrix();
  }
}
}  // namespace

void ResetGallery() {
  gallerySet = 1;
  viewZ = 0.0f;
  viewYaw = 0.0f;
  starSpin = 0.0f;
}

int DrawGallery() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  AdditiveBlendFunc();

  // The room turns about its own origin, then moves along the eye's z axis.
  glTranslatef(0.0f, 0.0f, viewZ);
  glRotatef(viewYaw, 0.0f, 1.0f, 0.0f);
  // Clamped after use: the frame that crosses a limit is drawn there, the next one inside.
  if (viewZ >= kForwardLimit) viewZ = kForwardStop;
  if (viewZ <= kBackLimit) viewZ = kBackStop;

  // Opaque first sphere: the only layer that writes depth.
  Bind(kTexStars);
  glPushMatrix();
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  glRotatef(starSpin, 1.0f, 1.0f, 1.0f);
  glTranslatef(0.0f, 0.0f, -1.5f);
  gluSphere(quadric, 5.5, 32, 32);
  glPopMatrix();

  // Second sphere, turning the other way, added onto the first.
  glPushMatrix();
  BlendingOn();
  glRotatef(starSpin, -1.0f, -1.0f, -1.0f);
  glTranslatef(0.0f, 0.0f, -1.5f);
  gluSphere(quadric, 5.5, 31, 31);
  BlendingOff();
  glPopMatrix();

  // The walls add onto the stars and write no depth, so pictures behind them still show.
  BlendingOn();
  Bind(kTexMur);
  glBegin(GL_QUADS);
  for (const Quad& wall : kWalls) SendQuad(wall);
  glEnd();
  BlendingOff();

  Bind(kTexCred);
  glBegin(GL_QUADS);
  SendQuad(kBackPicture);
  glEnd();

  if (gallerySet == 1) DrawPictureSet(kSet1);
  if (gallerySet == 2) DrawPictureSet(kSet2);

  starSpin += 0.05f;
  glFlush();
  return 1;
}
