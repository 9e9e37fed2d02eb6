// Reader of the toolkit's chunked model format. Every count and number in the file is
// checked before it is used: a short or hostile file loads what fits and stops.
#include "toolkit/model_file.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

MaterialEntry materialTable[kModelMaxMaterials];
uint32_t materialCount = 0;
int32_t currentMaterial = 0;
int32_t currentObject = -1;
uint32_t lightCount = 0;
FILE* modelFile = nullptr;
FILE* modelLogFile = nullptr;

namespace {

// Bytes of the model file not yet read, and whether the stream has stopped (end of file,
// or a count the rest of the file cannot hold).
uint64_t bytesLeft = 0;
bool streamEnded = false;

// Smallest object chunk after its tag: slot, V, placement, F.
constexpr uint64_t kMinObjectChunkBytes = 4 + 4 + 12 + 2;
constexpr uint64_t kVertexBytes = 5 * 4;  // position and texture coordinate
constexpr uint64_t kFaceBytes = 3 * 2;

bool ReadBytes(void* out, size_t count) {
  if (streamEnded || !modelFile || count > bytesLeft) {
    streamEnded = true;
    return false;
  }
  if (std::fread(out, 1, count, modelFile) != count) {
    streamEnded = true;
    return false;
  }
  bytesLeft -= count;
  return true;
}

bool ReadU16(uint16_t* value) {
  uint8_t b[2];
  if (!ReadBytes(b, 2)) return false;
  *value = static_cast<uint16_t>(b[0] | (b[1] << 8));
  return true;
}

bool ReadU32(uint32_t* value) {
  uint8_t b[4];
  if (!ReadBytes(b, 4)) return false;
  *value = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
  return true;
}

bool ReadI32(int32_t* value) {
  uint32_t bits;
  if (!ReadU32(&bits)) return false;
  std::memcpy(value, &bits, 4);
  return true;
}

bool ReadFloats(float* out, int count) {
  for (int i = 0; i < count; ++i) {
    uint32_t bits;
    if (!ReadU32(&bits)) return false;
    std::memcpy(&out[i], &bits, 4);
  }
  return true;
}

void Trace(const char* text) {
  if (modelLogFile) std::fputs(text, modelLogFile);
}

// The slot `slot` of the scene, or null when the scene has no such slot.
ModelObject* SlotOf(ModelScene* scene, int32_t slot) {
  if (!scene->objects || slot < 0 || static_cast<uint32_t>(slot) > scene->lastObject) {
    return nullptr;
  }
  return &scene->objects[slot];
}

// Reads a name up to its "#" into `name` (at most capacity - 1 bytes kept). Returns false
// when the file ends first; `overlong` tells whether bytes had to be dropped.
bool ReadName(char* name, size_t capacity, bool echo, bool* overlong) {
  std::memset(name, 0, capacity);
  size_t length = 0;
  *overlong = false;
  for (;;) {
    char c;
    if (!ReadBytes(&c, 1)) return false;
    if (echo && modelLogFile) std::fputc(c, modelLogFile);
    if (c == '#') return true;
    if (length + 1 < capacity) {
      name[length++] = c;
    } else {
      *overlong = true;
    }
  }
}

}  // namespace

int CompareNames(const char* a, const char* b) {
  const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
  while (*x && *x == *y) {
    ++x;
    ++y;
  }
  return static_cast<int>(*x) - static_cast<int>(*y);
}

void FindMaterial(const char* name) {
  for (uint32_t i = 0; i < materialCount && i < kModelMaxMaterials; ++i) {
    if (CompareNames(materialTable[i].name, name) == 0) {
      currentMaterial = materialTable[i].number;
      return;
    }
  }
}

void ReadObjectChunk(ModelScene* scene) {
  int32_t slot;
  if (!ReadI32(&slot)) return;
  currentObject = slot;
  ModelObject* object = SlotOf(scene, slot);
  if (object) object->id = slot;

  uint32_t vertexCount;
  if (!ReadU32(&vertexCount)) return;
  // A count the rest of the file cannot hold means the file ends inside this chunk.
  if (vertexCount > bytesLeft / kVertexBytes) {
    streamEnded = true;
    return;
  }
  ModelCorner* vertices = nullptr;
  if (vertexCount > 0) {
    vertices = static_cast<ModelCorner*>(std::calloc(vertexCount, sizeof(ModelCorner)));
    if (!vertices) {
      streamEnded = true;
      return;
    }
  }
  bool ok = true;
  for (uint32_t i = 0; ok && i < vertexCount; ++i) {
    float xyz[3];
    ok = ReadFloats(xyz, 3);
    if (ok) vertices[i] = {xyz[0], xyz[1], xyz[2], 0.0f, 0.0f};
  }
  for (uint32_t i = 0; ok && i < vertexCount; ++i) {
    float uv[2];
    ok = ReadFloats(uv, 2);
    if (ok) {
      vertices[i].u = uv[0];
      vertices[i].v = uv[1];
    }
  }
  float position[3];
  if (ok) ok = ReadFloats(position, 3);
  if (ok && object) std::memcpy(object->position, position, sizeof(position));

  uint16_t faceCount = 0;
  if (ok) ok = ReadU16(&faceCount);
  if (ok && faceCount > bytesLeft / kFaceBytes) {
    streamEnded = true;
    ok = false;
  }
  ModelFace* faces = nullptr;
  if (ok && object) {
    faces = static_cast<ModelFace*>(std::calloc(faceCount + 1u, sizeof(ModelFace)));
    if (!faces) {
      streamEnded = true;
      ok = false;
    }
  }
  // The file lists faces first to last; entry F receives the first, entry 1 the last.
  for (uint32_t s = faceCount; ok && s >= 1; --s) {
    uint16_t index[3];
    ok = ReadU16(&index[0]) && ReadU16(&index[1]) && ReadU16(&index[2]);
    if (!ok || !faces) continue;
    for (int c = 0; c < 3; ++c) {
      // A vertex number beyond the list leaves its corner at the origin.
      if (index[c] < vertexCount) faces[s].corners[c] = vertices[index[c]];
    }
  }
  std::free(vertices);
  if (!object) {
    std::free(faces);
    return;
  }
  // A chunk cut short by the end of the file gives its object no faces; a slot named twice
  // keeps the later chunk's faces.
  std::free(object->faces);
  object->faces = ok ? faces : nullptr;
  object->faceCount = ok ? faceCount : 0;
  if (!ok) std::free(faces);
}

void ReadMaterialChunk(ModelScene*) {
  Trace("MATRead\n");
  char name[kMaterialNameBytes];
  bool overlong;
  const bool complete = ReadName(name, sizeof(name), true, &overlong);
  Trace("\n");
  // A name longer than 19 characters keeps its first 19; materials beyond the table's
  // 100 entries are read and traced but cannot be named by an assignment.
  if (!complete || materialCount >= kModelMaxMaterials) return;
  std::memcpy(materialTable[materialCount].name, name, sizeof(name));
  materialTable[materialCount].number = static_cast<int32_t>(materialCount);
  ++materialCount;
}

void ReadMaterialAssignChunk(ModelScene* scene) {
  char name[kAssignNameBytes];
  bool overlong;
  if (!ReadName(name, sizeof(name), false, &overlong)) return;
  // A cut name could match another material that happens to equal its first 11
  // characters; an overlong name is therefore treated as unknown.
  if (!overlong) FindMaterial(name);

  uint16_t count;
  if (!ReadU16(&count)) return;
  ModelObject* object = SlotOf(scene, currentObject);
  for (uint32_t i = 0; i < count; ++i) {
    uint16_t k;
    if (!ReadU16(&k)) return;
    // Face numbers count from the end of the face list: k = 0 is entry 1.
    if (object && object->faces && k < object->faceCount) {
      object->faces[k + 1].material = currentMaterial;
    }
    if (modelLogFile) std::fprintf(modelLogFile, "%d - %d\n", k, currentMaterial);
  }
}

void ReadLightChunk(ModelScene* scene) {
  float values[6];
  if (!ReadFloats(values, 6)) return;
  scene->lightsOn = 1;
  if (lightCount >= kModelMaxLights) return;  // a ninth light and beyond are dropped
  scene->lastLight = lightCount;
  scene->lights[lightCount] = {values[0], values[1], values[2], values[3], values[4], values[5]};
  ++lightCount;
}

void LoadModelFile(ModelScene* scene, const char* fileName) {
  if (!scene) return;
  modelFile = PlatformOpenFile(fileName, "rb");
  bytesLeft = 0;
  streamEnded = modelFile == nullptr;
  if (modelFile && std::fseek(modelFile, 0, SEEK_END) == 0) {
    const long size = std::ftell(modelFile);
    if (size > 0) bytesLeft = static_cast<uint64_t>(size);
    std::rewind(modelFile);
  }
  // A file that cannot be opened leaves test.txt as it was.
  modelLogFile = modelFile ? PlatformOpenFile("test.txt", "w") : nullptr;
  lightCount = 0;
  currentObject = -1;

  uint32_t header = 0;
  ReadU32(&header);
  // Every slot a file fills costs an object chunk; a header asking for more slots than the
  // rest of the file could fill is cut down to what it could.
  uint64_t slots = static_cast<uint64_t>(header) + 1;
  const uint64_t fillable = bytesLeft / (kMinObjectChunkBytes + 2) + 1;
  if (slots > fillable) slots = fillable;
  scene->objects = static_cast<ModelObject*>(std::calloc(slots, sizeof(ModelObject)));
  scene->lastObject = scene->objects ? static_cast<uint32_t>(slots - 1) : 0;
  for (uint64_t i = 0; scene->objects && i < slots; ++i) {
    scene->objects[i].id = static_cast<int32_t>(i);
  }

  uint16_t tag;
  while (!streamEnded && ReadU16(&tag) && tag != kModelTagEnd) {
    switch (tag) {
      case kModelTagObject:
        ReadObjectChunk(scene);
        break;
      case kModelTagMaterialAssign:
        ReadMaterialAssignChunk(scene);
        break;
      case kModelTagMaterial:
        ReadMaterialChunk(scene);
        break;
      case kModelTagLight:
        ReadLightChunk(scene);
        break;
      default:  // an unknown tag is two bytes and nothing more
        break;
    }
  }

  float vector[3];
  if (ReadFloats(vector, 3)) std::memcpy(scene->viewPosition, vector, sizeof(vector));
  if (ReadFloats(vector, 3)) std::memcpy(scene->viewVector, vector, sizeof(vector));

  if (modelLogFile) std::fclose(modelLogFile);
  if (modelFile) std::fclose(modelFile);
  modelLogFile = nullptr;
  modelFile = nullptr;
  currentMaterial = 0;
  materialCount = 0;
}

void FreeModelScene(ModelScene* scene) {
  if (!scene) return;
  for (uint32_t i = 0; scene->objects && i <= scene->lastObject; ++i) {
    std::free(scene->objects[i].faces);
  }
  std::free(scene->objects);
  scene->objects = nullptr;
  scene->lastObject = 0;
}
