// obj2model INPUT.obj OUTPUT: writes the toolkit model file for a Wavefront OBJ file.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/obj2model/obj_to_model.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: obj2model INPUT.obj OUTPUT\n");
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
