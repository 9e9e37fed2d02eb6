// One reset for the show's state: each module puts back its own globals.
#include "shell/show_state.h"

#include "resources/texture_table.h"
#include "shell/error_log.h"
#include "shell/gl_window.h"
#include "show/gallery.h"
#include "show/intro.h"
#include "show/next_random.h"
#include "show/particle_field.h"

void ResetShowState() {
  ResetWindowState();
  ResetIntro();
  ResetGallery();
  ResetParticleField();
  ResetTextureTable();
  ResetRandom();
  ErrorLogClose();
}
