// obj2model INPUT.obj OUTPUT: writes the toolkit model file for a Wavefront OBJ file.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "lumivex/build_info.h"
#include "tools/obj2model/obj_to_model.h"

namespace {
constexpr char kUsage[] = "usage: obj2model INPUT.obj OUTPUT\n";
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
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "obj2model: cannot open %s\n", argv[1]);
    return 1;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<uint8_t> model;
  std::string error;
  ObjConversionSummary summary;
  if (!ConvertObjToModel(text, &model, &error, &summary)) {
    std::fprintf(stderr, "obj2model: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(model.data()),
            static_cast<std::streamsize>(model.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "obj2model: cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("%s: %d objects, %d triangles, %zu materials, %zu bytes\n", argv[2], summary.objects,
              summary.triangles, summary.materials.size(), model.size());
  for (size_t i = 0; i < summary.materials.size(); ++i) {
    std::printf("  material %zu: %s\n", i, summary.materials[i].c_str());
  }
  return 0;
}
