// Start-up loading: everything the show prepares before its first frame.
#include "resources/startup.h"

#include "resources/jpeg_texture.h"
#include "resources/music_player.h"
#include "shell/error_log.h"
#include "show/particle_field.h"

namespace {
constexpr uint32_t kParticleCount = 40;
}  // namespace

void SetRenderDefaults() {
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  glClearDepth(1.0f);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

bool InitRenderState() {
  SetRenderDefaults();
  LoadShowResources();
  // Every loading failure has been reported; the show goes on without the item.
  return true;
}

void LoadShowResources() {
  ErrorLogOpen();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_POLYGON_SMOOTH);
  // Strictly in table order: a failed picture is reported and its slot stays 0.
  for (int i = 0; i < kTextureCount; ++i) qenLoadJPEGTexture(kTextureFiles[i], &showTextures[i]);
  // A second start-up (a window made again) replaces the quadric instead of leaking it.
  if (quadric) gluDeleteQuadric(quadric);
  quadric = gluNewQuadric();
  if (quadric) {  // null only when out of memory; GLU would dereference it
    gluQuadricNormals(quadric, GLU_SMOOTH);
    gluQuadricTexture(quadric, GL_TRUE);
  }
  // The module starts inside MusicLoad; it is set back to its first row here so the music
  // begins with the first frame, after every picture has loaded.
  MusicLoad(kMusicFile);
  MusicSetPosition(0);
  MusicPlay();
  Build(particleField, kParticleCount, 1);
}
