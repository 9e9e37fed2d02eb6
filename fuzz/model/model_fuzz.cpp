// Feeds arbitrary bytes to LoadModelFile through a file, then reads every face the scene
// holds, so that a bad pointer or count shows up under AddressSanitizer.
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "toolkit/model_file.h"

namespace {
// The loader writes test.txt into the current directory: each load runs in a scratch
// folder, and the fuzzer's own folder (corpus paths, artifacts) is restored afterwards.
char scratch[] = "/tmp/model_fuzz.XXXXXX";
char home[PATH_MAX];
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!mkdtemp(scratch) || !getcwd(home, sizeof(home))) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (chdir(scratch) != 0) std::abort();
  FILE* file = std::fopen("input.mdl", "wb");
  if (!file) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  ModelScene scene;
  std::memset(&scene, 0, sizeof(scene));
  LoadModelFile(&scene, "input.mdl");
  if (chdir(home) != 0) std::abort();
  if (!scene.objects || scene.lastLight >= kModelMaxLights) std::abort();
  if (materialCount != 0 || currentMaterial != 0 || modelFile || modelLogFile) std::abort();

  volatile float sum = 0.0f;
  for (uint32_t k = 0; k <= scene.lastObject; ++k) {
    const ModelObject& object = scene.objects[k];
    if (object.faceCount > 0 && !object.faces) std::abort();
    for (uint32_t s = 1; s <= object.faceCount; ++s) {
      for (const ModelCorner& c : object.faces[s].corners) sum = sum + c.x + c.u;
      if (object.faces[s].material < 0 || object.faces[s].material >= kModelMaxMaterials) {
        std::abort();
      }
    }
  }
  FreeModelScene(&scene);
  return 0;
}
