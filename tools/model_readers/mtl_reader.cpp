// MTL reading: newmtl, the colours the viewer lights with, and map_Kd.
#include "tools/model_readers/mtl_reader.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "tools/model_readers/obj_text.h"

namespace {

// The file name of a map statement, after its options ("-s 1 1 1 -clamp on file.png").
std::string MapFileName(const std::vector<std::string_view>& words) {
  size_t i = 1;
  while (i < words.size() && words[i].size() > 1 && words[i][0] == '-') {
    const std::string_view option = words[i++];
    float ignored;
    if (option == "-o" || option == "-s" || option == "-t") {
      // u, and v and w where given.
      for (int n = 0; n < 3 && i < words.size() && ParseObjFloat(words[i], &ignored); ++n) ++i;
    } else if (option == "-mm") {
      i += 2;  // base and gain
    } else {
      ++i;  // -blendu, -blendv, -cc, -clamp, -bm, -boost, -texres, -imfchan, -type: one value
    }
  }
  // What is left is one name, spaces and all ("my texture.png" as well as "my\ texture.png").
  std::string name;
  for (const std::string& part : ObjFileNames(words, std::min(i, words.size()))) {
    if (!name.empty()) name += ' ';
    name += part;
  }
  return name;
}

// "Kd r g b", or "Kd r" for a grey; false for the spectral and xyz forms.
bool ReadColour(const std::vector<std::string_view>& words, float colour[3]) {
  float values[3];
  size_t n = 0;
  while (n < 3 && n + 1 < words.size() && ParseObjFloat(words[n + 1], &values[n])) ++n;
  if (n == 0) return false;
  for (size_t i = 0; i < 3; ++i) {
    const float v = values[i < n ? i : 0];
    colour[i] = v > 0.0f ? std::min(v, 1.0f) : 0.0f;  // NaN too
  }
  return true;
}

}  // namespace

void ReadMtlText(const std::string& text, const std::string& folder,
                 std::map<std::string, ObjMaterial>* entries, MtlFindings* findings) {
  std::vector<std::string_view> w;
  ObjMaterial* current = nullptr;  // null while a repeated name's entry is being passed over
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    SplitObjWords(std::string_view(text.data() + start, end - start), &w);
    start = end + 1;
    if (w.empty()) continue;
    const std::string_view key = w[0];
    if (key == "newmtl") {
      const std::string name = JoinObjWords(w, 1);
      const auto inserted = entries->emplace(name, ObjMaterial());
      current = inserted.second ? &inserted.first->second : nullptr;
      if (current) {
        current->name = name;
        current->defined = true;
      }
      continue;
    }
    if (!current) continue;
    if (key == "map_Kd" || key == "map_kd") {  // exporters write both
      const std::string file = ObjPathFromName(MapFileName(w));
      if (file.empty()) continue;
      current->texture = IsAbsoluteObjPath(file) ? file : folder + file;
      const std::string beside = folder + ObjBaseName(file);
      current->beside = beside == current->texture ? std::string() : beside;
    } else if (key.substr(0, 4) == "map_" || key == "bump" || key == "disp" || key == "decal" ||
               key == "refl") {
      findings->otherMaps = true;
    } else if (key == "Kd") {
      findings->colours = true;
      current->diffuseGiven = ReadColour(w, current->diffuse) || current->diffuseGiven;
    } else if (key == "Ks") {
      findings->colours = true;
      ReadColour(w, current->specular);
    } else if (key == "Ns") {
      findings->colours = true;
      float shininess;
      if (w.size() > 1 && ParseObjFloat(w[1], &shininess)) {
        current->shininess = shininess > 0.0f ? std::min(shininess, 1000.0f) : 0.0f;
      }
    } else if (key == "Ka" || key == "Ke" || key == "d" || key == "Tr" || key == "Tf" ||
               key == "Ni" || key == "illum") {
      findings->colours = true;
    }
  }
}
