// The toolkit's chunked binary model format and its reader: objects of textured
// triangles, materials by name, point lights and the view vectors, read into a ModelScene.
#pragma once

#include <cstdint>
#include <cstdio>

// Chunk tags (unsigned 16-bit, little-endian). Chunks carry no length: the tag says what
// follows.
constexpr uint16_t kModelTagObject = 0x1010;
constexpr uint16_t kModelTagMaterial = 0xF1D2;
constexpr uint16_t kModelTagMaterialAssign = 0x0101;
constexpr uint16_t kModelTagLight = 0x3AD5;
constexpr uint16_t kModelTagEnd = 0xD2E3;

constexpr int kModelMaxLights = 8;
constexpr int kModelMaxMaterials = 100;
constexpr int kMaterialNameBytes = 20;  // 19 characters and the terminator
constexpr int kAssignNameBytes = 12;    // 11 characters and the terminator

struct ModelLight {
  float x, y, z;
  float r, g, b;
};

struct ModelCorner {
  float x, y, z;
  float u, v;
};

struct ModelFace {
  ModelCorner corners[3];
  int32_t material;
};

struct ModelObject {
  int32_t id;
  ModelFace* faces;  // faceCount + 1 entries; entry 0 is unused
  uint32_t faceCount;
  float position[3];
};

struct ModelScene {
  uint32_t lastObject;   // highest slot number: the scene has lastObject + 1 slots
  ModelObject* objects;  // lastObject + 1 entries
  ModelLight lights[kModelMaxLights];
  int32_t lightsOn;    // 1 once the file has a light; otherwise the caller's value
  uint32_t lastLight;  // index of the last light read
  float viewPosition[3];
  float viewVector[3];  // stored, not used by the toolkit
};

struct MaterialEntry {
  char name[kMaterialNameBytes];
  int32_t number;
};

// Loader state, valid during a load (materialCount and currentMaterial are 0 between loads).
extern MaterialEntry materialTable[kModelMaxMaterials];
extern uint32_t materialCount;
extern int32_t currentMaterial;
extern int32_t currentObject;  // -1 until the load's first object chunk
extern uint32_t lightCount;
extern FILE* modelFile;
extern FILE* modelLogFile;  // the trace "test.txt", in the current directory

// Fills `scene` from `fileName`, writing a trace of the material records to "test.txt".
// Never reads or writes outside its data: a missing, short or hostile file yields a scene
// that can still be drawn and released (at least one empty slot). Fields the file does not
// set keep the caller's values, so the caller zero-initialises a new scene (and releases a
// loaded one with FreeModelScene before loading into it again).
void LoadModelFile(ModelScene* scene, const char* fileName);

// Chunk readers, called by LoadModelFile after it has read the chunk's tag.
void ReadObjectChunk(ModelScene* scene);
void ReadMaterialChunk(ModelScene* scene);
void ReadMaterialAssignChunk(ModelScene* scene);
void ReadLightChunk(ModelScene* scene);

// Makes the first entry of materialTable named `name` current; without a match the
// current material stays as it was.
void FindMaterial(const char* name);
// Byte-wise comparison as unsigned bytes: 0 when equal, else the first difference.
int CompareNames(const char* a, const char* b);

// Releases the object slots and their faces and leaves the scene with no objects
// (objects null, lastObject 0). Null and already released scenes are harmless.
void FreeModelScene(ModelScene* scene);
