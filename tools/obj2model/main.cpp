// obj2model INPUT OUTPUT: writes the toolkit model file for an OBJ, glTF, STL or PLY file and
// lists, per material number, the texture file its MTL entry names (for the application's
// texture array). What the model format cannot hold is said on standard error.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "lumivex/build_info.h"
#include "tools/obj2model/obj_to_model.h"

namespace {
constexpr char kUsage[] =
    "usage: obj2model INPUT OUTPUT\n"
    "  Converts a model file into the toolkit's model format. Reads OBJ (with its MTL\n"
    "  files), glTF 2.0 (.gltf with its .bin, or .glb), STL (binary or ASCII) and PLY\n"
    "  (ASCII or binary), told apart by their content. Lists each material's texture.\n";
}

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("obj2model %s\n", LUMIVEX_VERSION);
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 3) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::vector<uint8_t> model;
  std::string error;
  ObjConversionSummary summary;
  // On any error no output file is made (nor an earlier one touched).
  if (!ConvertModelFile(argv[1], &model, &error, &summary)) {
    std::fprintf(stderr, "obj2model: %s\n", error.c_str());
    return 1;
  }
  for (const std::string& note : summary.notes) {
    std::fprintf(stderr, "obj2model: %s: note: %s\n", argv[1], note.c_str());
  }
  {
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(model.data()),
              static_cast<std::streamsize>(model.size()));
    out.close();
    if (!out) {
      std::remove(argv[2]);  // a cut file would load as a different model
      std::fprintf(stderr, "obj2model: cannot write %s\n", argv[2]);
      return 1;
    }
  }
  std::printf("%s: %d objects, %d triangles, %zu materials, %zu bytes\n", argv[2], summary.objects,
              summary.triangles, summary.materials.size(), model.size());
  for (size_t i = 0; i < summary.materials.size(); ++i) {
    const std::string& texture = summary.textures[i];
    std::printf("  material %zu: %s  %s\n", i, summary.materials[i].c_str(),
                texture.empty() ? "(no texture)" : texture.c_str());
  }
  return 0;
}
