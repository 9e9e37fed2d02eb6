// Drawing of loaded model scenes, directly or through a compiled display list, and two
// small helpers: walking the view position and random floats.
#pragma once

#include "platform/gl_api.h"
#include "toolkit/model_file.h"

// Heading in radians used by MoveViewer; the toolkit never changes it.
extern float viewHeading;

// Switches on the scene's lights (when lightsOn is 1) and draws every face of every object
// at its placement, binding textures[material] per face. `textures` needs one entry per
// material the file defines. Lighting and the lights stay enabled afterwards.
void DrawModelScene(const ModelScene* scene, const GLuint* textures);
// The same without binding textures: every face uses the texture bound at the time.
void DrawModelSceneUntextured(const ModelScene* scene);
// Records DrawModelScene into a new display list whose name goes to *list. The list binds
// the textures by the names they have now; the caller deletes it with glDeleteLists.
void CompileModelScene(const ModelScene* scene, const GLuint* textures, GLuint* list);

// Moves the view position by `step` along viewHeading: +x at heading 0, -z at pi/2.
void MoveViewer(ModelScene* scene, float step);
// One draw of NextRandom scaled into [0, range).
float RandomFloat(float range);
