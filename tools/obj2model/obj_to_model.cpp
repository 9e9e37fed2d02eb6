// OBJ and MTL reader and model-file writer. Each model object keeps its own vertex list of
// distinct (position, texture coordinate) pairs, since the model format numbers vertices
// per object with 16 bits; an OBJ object that outgrows one model object continues in the
// next, at the same placement.
#include "tools/obj2model/obj_to_model.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

constexpr uint16_t kTagObject = 0x1010;
constexpr uint16_t kTagMaterial = 0xF1D2;
constexpr uint16_t kTagAssign = 0x0101;
constexpr uint16_t kTagEnd = 0xD2E3;

struct Vertex {
  float x, y, z, u, v;
};

// One model object: at most 65535 faces over at most 65536 vertices.
struct Part {
  std::vector<Vertex> vertices;
  std::unordered_map<uint64_t, uint32_t> index;  // (position, uv) -> vertex number
  std::vector<std::array<uint16_t, 3>> faces;
  std::vector<int> materials;  // per face
};

// A corner as the OBJ names it: position number and texture number (-1: none).
struct Corner {
  long p, t;
  uint64_t Key() const { return (static_cast<uint64_t>(p) << 32) | static_cast<uint32_t>(t + 1); }
};

class Writer {
 public:
  explicit Writer(std::vector<uint8_t>* out) : out_(out) {}
  void U16(uint16_t v) {
    out_->push_back(v & 0xFF);
    out_->push_back(v >> 8);
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_->push_back((v >> (8 * i)) & 0xFF);
  }
  void F32(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    U32(bits);
  }
  void Name(const std::string& name) {
    out_->insert(out_->end(), name.begin(), name.end());
    out_->push_back('#');
  }

 private:
  std::vector<uint8_t>* out_;
};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The words of one line, up to a "#" that starts a comment.
void SplitWords(std::string_view line, std::vector<std::string_view>* words) {
  words->clear();
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsSpace(line[i])) ++i;
    if (i >= line.size() || line[i] == '#') return;
    const size_t start = i;
    while (i < line.size() && !IsSpace(line[i]) && line[i] != '#') ++i;
    words->push_back(line.substr(start, i - start));
  }
}

std::string Join(const std::vector<std::string_view>& words, size_t from) {
  std::string joined;
  for (size_t i = from; i < words.size(); ++i) {
    if (!joined.empty()) joined += ' ';
    joined.append(words[i]);
  }
  return joined;
}

// A word as a NUL-terminated string of its own, for strtof and strtol: pointing them into
// the whole text would let them (and checking tools) look far past the word.
class WordText {
 public:
  explicit WordText(std::string_view word) {
    if (word.size() < sizeof(small_)) {
      std::memcpy(small_, word.data(), word.size());
      small_[word.size()] = '\0';
      text_ = small_;
    } else {
      large_.assign(word);
      text_ = large_.c_str();
    }
    size_ = word.size();
  }
  const char* c_str() const { return text_; }
  size_t size() const { return size_; }

 private:
  char small_[64];
  std::string large_;
  const char* text_;
  size_t size_;
};

bool ParseFloat(std::string_view word, float* value) {
  const WordText text(word);
  char* end = nullptr;
  *value = std::strtof(text.c_str(), &end);
  return !word.empty() && end == text.c_str() + text.size();
}

// An OBJ index: 1-based, or negative counting back from the latest element. `word` is the
// part of a corner before, between or after its "/".
enum class IndexResult { kOk, kMalformed, kMissing };
IndexResult ResolveIndex(std::string_view word, size_t count, long* index, long* raw) {
  if (word.empty()) return IndexResult::kMalformed;
  const WordText text(word);
  char* end = nullptr;
  *raw = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size() || *raw == 0) return IndexResult::kMalformed;
  const long resolved = *raw > 0 ? *raw - 1 : static_cast<long>(count) + *raw;
  if (resolved < 0 || resolved >= static_cast<long>(count)) return IndexResult::kMissing;
  *index = resolved;
  return IndexResult::kOk;
}

// Folder part of a name written with "/" or "\" ("" when it has none), with its separator.
std::string FolderOf(const std::string& name) {
  const size_t slash = name.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

bool IsAbsolute(const std::string& name) {
  return (!name.empty() && (name[0] == '/' || name[0] == '\\')) ||
         (name.size() > 1 && name[1] == ':');
}

// The file name of a map statement, after its options ("-s 1 1 1 -clamp on file.bmp").
std::string MapFileName(const std::vector<std::string_view>& words) {
  size_t i = 1;
  while (i < words.size() && words[i].size() > 1 && words[i][0] == '-') {
    const std::string_view option = words[i++];
    if (option == "-o" || option == "-s" || option == "-t") {
      float ignored;
      for (int n = 0; n < 3 && i < words.size() && ParseFloat(words[i], &ignored); ++n) ++i;
    } else if (option == "-mm") {
      i += 2;
    } else {
      ++i;  // -blendu, -blendv, -cc, -clamp, -bm, -boost, -texres, -imfchan, -type: one value
    }
  }
  return Join(words, std::min(i, words.size()));
}

// Everything one conversion keeps track of.
class Converter {
 public:
  Converter(std::string* error, const ObjFileReader& readFile) : error_(error), read_(readFile) {}

  bool Run(const std::string& text);
  void Write(std::vector<uint8_t>* model, ObjConversionSummary* summary);

 private:
  bool Fail(const std::string& what) {
    if (error_) *error_ = "line " + std::to_string(line_) + ": " + what;
    return false;
  }
  void Note(const std::string& what) {
    if (noted_.insert(what).second) notes_.push_back(what);
  }
  bool Statement(const std::vector<std::string_view>& w);
  bool Face(const std::vector<std::string_view>& w);
  bool ReadMtlLibrary(const std::vector<std::string_view>& w);
  void ReadMtl(const std::string& name, const std::string& text);
  bool UseMaterial(const std::string& name);
  std::vector<std::string> FileNames();

  std::string* error_;
  const ObjFileReader& read_;
  int line_ = 0;
  std::vector<std::array<float, 3>> positions_;
  std::vector<std::array<float, 2>> uvs_;
  size_t normals_ = 0;
  std::vector<Part> parts_ = std::vector<Part>(1);
  std::vector<std::string> materials_;             // in first-use order
  std::map<std::string, std::string> mtlTexture_;  // name -> map_Kd, from the MTL files
  std::set<std::string> mtlNames_;                 // every newmtl seen
  bool mtlRead_ = false;
  int currentMaterial_ = -1;
  std::vector<Corner> corners_;
  std::vector<std::string> notes_;
  std::set<std::string> noted_;
};

bool Converter::Run(const std::string& text) {
  std::vector<std::string_view> words;
  std::string joined;  // a line continued with "\" at its end
  size_t start = 0;
  int pendingLines = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    ++pendingLines;
    size_t last = line.size();
    while (last > 0 && IsSpace(line[last - 1])) --last;
    if (last > 0 && line[last - 1] == '\\' && start < text.size()) {
      joined.append(line.substr(0, last - 1)).push_back(' ');
      continue;
    }
    if (!joined.empty()) {
      joined.append(line);
      line = joined;
    }
    line_ += pendingLines;  // a continued statement counts as its last line
    pendingLines = 0;
    SplitWords(line, &words);
    const bool ok = words.empty() || Statement(words);
    joined.clear();
    if (!ok) return false;
  }
  if (parts_.size() > 1 && parts_.back().faces.empty()) parts_.pop_back();
  return true;
}

bool Converter::Statement(const std::vector<std::string_view>& w) {
  const std::string_view keyword = w[0];
  if (keyword == "v") {
    if (w.size() < 4) return Fail("a vertex needs x, y and z");
    std::array<float, 3> p;
    for (int i = 0; i < 3; ++i) {
      if (!ParseFloat(w[i + 1], &p[i])) return Fail("bad number " + std::string(w[i + 1]));
    }
    if (w.size() == 5) Note("vertex weights (the w of v) are not kept");
    if (w.size() >= 7) Note("vertex colours are not kept: the model format has none");
    positions_.push_back(p);
  } else if (keyword == "vt") {
    if (w.size() < 2) return Fail("a texture coordinate needs u");
    std::array<float, 3> t = {0.0f, 0.0f, 0.0f};
    for (size_t i = 0; i < 3 && i + 1 < w.size(); ++i) {
      if (!ParseFloat(w[i + 1], &t[i])) return Fail("bad number " + std::string(w[i + 1]));
    }
    if (t[2] != 0.0f) Note("3D texture coordinates (the w of vt) are not kept");
    uvs_.push_back({t[0], t[1]});
  } else if (keyword == "vn") {
    ++normals_;
    Note("normals (vn) are not kept: the model format has none");
  } else if (keyword == "f" || keyword == "fo") {
    return Face(w);
  } else if (keyword == "o" || keyword == "g") {
    // Each group or object starts model objects of its own; the format has no names.
    if (!parts_.back().faces.empty()) parts_.emplace_back();
  } else if (keyword == "usemtl") {
    if (w.size() < 2) return Fail("usemtl needs a name");
    return UseMaterial(Join(w, 1));
  } else if (keyword == "mtllib") {
    if (w.size() < 2) return Fail("mtllib needs a file name");
    return ReadMtlLibrary(w);
  } else if (keyword == "s") {
    // Smoothing groups say how to make normals, which the format does not have.
  } else if (keyword == "l" || keyword == "p") {
    Note("lines and points (l, p) are not kept: the model format has triangles only");
  } else if (keyword == "vp" || keyword == "cstype" || keyword == "deg" || keyword == "bmat" ||
             keyword == "step" || keyword == "curv" || keyword == "curv2" || keyword == "surf" ||
             keyword == "parm" || keyword == "trim" || keyword == "hole" || keyword == "scrv" ||
             keyword == "sp" || keyword == "end" || keyword == "con" || keyword == "mg") {
    Note("free-form curves and surfaces are not kept");
  } else if (keyword == "usemap" || keyword == "maplib") {
    Note("usemap/maplib texture maps are not kept (materials' map_Kd are)");
  } else {
    Note("statements '" + std::string(keyword) + "' are not kept (first on line " +
         std::to_string(line_) + ")");
  }
  return true;
}

bool Converter::Face(const std::vector<std::string_view>& w) {
  if (w.size() < 4) return Fail("a face needs three corners");
  corners_.clear();
  for (size_t i = 1; i < w.size(); ++i) {
    const std::string_view word = w[i];
    const size_t slash1 = word.find('/');
    const std::string_view vText = word.substr(0, slash1);
    Corner c{0, -1};
    long raw = 0;
    switch (ResolveIndex(vText, positions_.size(), &c.p, &raw)) {
      case IndexResult::kOk:
        break;
      case IndexResult::kMalformed:
        return Fail("bad vertex number in " + std::string(word));
      case IndexResult::kMissing:
        return Fail("face names vertex " + std::to_string(raw) + ", which does not exist (" +
                    std::to_string(positions_.size()) +
                    (positions_.size() == 1 ? " vertex" : " vertices") + " so far)");
    }
    if (slash1 != std::string_view::npos) {
      const size_t slash2 = word.find('/', slash1 + 1);
      const std::string_view tText =
          word.substr(slash1 + 1, slash2 == std::string_view::npos ? std::string_view::npos
                                                                   : slash2 - slash1 - 1);
      if (!tText.empty()) {
        switch (ResolveIndex(tText, uvs_.size(), &c.t, &raw)) {
          case IndexResult::kOk:
            break;
          case IndexResult::kMalformed:
            return Fail("bad texture coordinate number in " + std::string(word));
          case IndexResult::kMissing:
            return Fail("face names texture coordinate " + std::to_string(raw) +
                        ", which does not exist (" + std::to_string(uvs_.size()) + " so far)");
        }
      }
      if (slash2 != std::string_view::npos) {
        long n;
        switch (ResolveIndex(word.substr(slash2 + 1), normals_, &n, &raw)) {
          case IndexResult::kOk:
            break;
          case IndexResult::kMalformed:
            return Fail("bad normal number in " + std::string(word));
          case IndexResult::kMissing:
            return Fail("face names normal " + std::to_string(raw) + ", which does not exist (" +
                        std::to_string(normals_) + " so far)");
        }
      }
    }
    corners_.push_back(c);
  }
  if (currentMaterial_ < 0 && !UseMaterial("default")) return false;

  // A fan around the first corner; each triangle goes whole into the current model object,
  // or into a new one when this one has no room for its face or its new vertices.
  for (size_t i = 1; i + 1 < corners_.size(); ++i) {
    const Corner tri[3] = {corners_[0], corners_[i], corners_[i + 1]};
    size_t fresh = 0;
    for (int k = 0; k < 3; ++k) {
      bool repeated = false;
      for (int j = 0; j < k; ++j) repeated = repeated || tri[j].Key() == tri[k].Key();
      if (!repeated && parts_.back().index.count(tri[k].Key()) == 0) ++fresh;
    }
    if (parts_.back().faces.size() >= kObjMaxFacesPerObject ||
        parts_.back().vertices.size() + fresh > kObjMaxVerticesPerObject) {
      parts_.emplace_back();
    }
    Part& part = parts_.back();
    std::array<uint16_t, 3> face;
    for (int k = 0; k < 3; ++k) {
      auto found = part.index.find(tri[k].Key());
      if (found == part.index.end()) {
        const auto& p = positions_[tri[k].p];
        const std::array<float, 2> uv = tri[k].t >= 0 ? uvs_[tri[k].t] : std::array<float, 2>{};
        part.vertices.push_back({p[0], p[1], p[2], uv[0], uv[1]});
        found = part.index.emplace(tri[k].Key(), part.vertices.size() - 1).first;
      }
      face[k] = static_cast<uint16_t>(found->second);
    }
    part.faces.push_back(face);
    part.materials.push_back(currentMaterial_);
  }
  return true;
}

bool Converter::UseMaterial(const std::string& name) {
  for (size_t i = 0; i < materials_.size(); ++i) {
    if (materials_[i] == name) {
      currentMaterial_ = static_cast<int>(i);
      return true;
    }
  }
  if (materials_.size() >= kObjMaxMaterials) {
    return Fail("more than 100 materials, the most a model file can name");
  }
  if (mtlRead_ && mtlNames_.count(name) == 0 && name != "default") {
    Note("material " + name + " is in no MTL file: it has no texture");
  }
  materials_.push_back(name);
  currentMaterial_ = static_cast<int>(materials_.size() - 1);
  return true;
}

bool Converter::ReadMtlLibrary(const std::vector<std::string_view>& w) {
  if (!read_) {
    Note("MTL files are not read here: materials have no texture");
    return true;
  }
  std::string text;
  // A name with spaces is one file; otherwise each word names a file.
  const std::string whole = Join(w, 1);
  if (w.size() > 2 && read_(whole, &text)) {
    ReadMtl(whole, text);
    return true;
  }
  for (size_t i = 1; i < w.size(); ++i) {
    const std::string name(w[i]);
    if (!read_(name, &text)) return Fail("cannot read MTL file " + name);
    ReadMtl(name, text);
  }
  return true;
}

void Converter::ReadMtl(const std::string& name, const std::string& text) {
  mtlRead_ = true;
  const std::string folder = FolderOf(name);  // map names are relative to their MTL file
  std::vector<std::string_view> w;
  std::string current;
  bool defining = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    SplitWords(std::string_view(text.data() + start, end - start), &w);
    start = end + 1;
    if (w.empty()) continue;
    const std::string_view key = w[0];
    if (key == "newmtl") {
      current = Join(w, 1);
      // The first definition of a name holds, as the first match in the loader does.
      defining = mtlNames_.insert(current).second;
    } else if (!defining) {
      continue;
    } else if (key == "map_Kd" || key == "map_kd") {  // exporters write both
      const std::string file = MapFileName(w);
      if (file.empty()) continue;
      mtlTexture_[current] = IsAbsolute(file) ? file : folder + file;
    } else if (key.substr(0, 4) == "map_" || key == "bump" || key == "disp" || key == "decal" ||
               key == "refl") {
      Note(
          "texture maps other than map_Kd (map_Ks, map_Bump, bump and the like) are not "
          "kept: the model format has one texture per material");
    } else if (key == "Ka" || key == "Kd" || key == "Ks" || key == "Ke" || key == "Ns" ||
               key == "d" || key == "Tr" || key == "Tf" || key == "Ni" || key == "illum") {
      Note("material colours and finishes (Ka, Kd, Ks, Ns, d, illum) are not kept");
    }
  }
}

// The names written into the model file: an assignment carries at most 11 characters, so
// longer names are cut and numbered until they are unique among all names.
std::vector<std::string> Converter::FileNames() {
  std::set<std::string> taken;
  for (const std::string& name : materials_) {
    if (name.size() <= kObjMaxNameLength) taken.insert(name);
  }
  std::vector<std::string> names;
  std::string shortened;
  for (const std::string& name : materials_) {
    if (name.size() <= kObjMaxNameLength) {
      names.push_back(name);
      continue;
    }
    for (int n = 1;; ++n) {
      const std::string suffix = "~" + std::to_string(n);
      const std::string candidate = name.substr(0, kObjMaxNameLength - suffix.size()) + suffix;
      if (taken.insert(candidate).second) {
        names.push_back(candidate);
        break;
      }
    }
    if (!shortened.empty()) shortened += ", ";
    shortened += name + " -> " + names.back();
  }
  if (!shortened.empty()) {
    Note("material names longer than 11 characters are shortened in the model file: " + shortened);
  }
  return names;
}

void Converter::Write(std::vector<uint8_t>* model, ObjConversionSummary* summary) {
  const std::vector<std::string> names = FileNames();
  model->clear();
  Writer out(model);
  out.U32(static_cast<uint32_t>(parts_.size() - 1));
  for (const std::string& name : names) {
    out.U16(kTagMaterial);
    out.Name(name);
  }
  int triangles = 0;
  for (size_t slot = 0; slot < parts_.size(); ++slot) {
    const Part& part = parts_[slot];
    out.U16(kTagObject);
    out.U32(static_cast<uint32_t>(slot));
    out.U32(static_cast<uint32_t>(part.vertices.size()));
    for (const Vertex& v : part.vertices) {
      out.F32(v.x);
      out.F32(v.y);
      out.F32(v.z);
    }
    for (const Vertex& v : part.vertices) {
      out.F32(v.u);
      out.F32(v.v);
    }
    for (int i = 0; i < 3; ++i) out.F32(0.0f);  // placement: the coordinates are absolute
    const size_t faceCount = part.faces.size();
    out.U16(static_cast<uint16_t>(faceCount));
    for (const auto& face : part.faces) {
      for (uint16_t corner : face) out.U16(corner);
    }
    // Assignments name faces counting back from the last face of the chunk.
    for (size_t m = 0; m < names.size(); ++m) {
      std::vector<uint16_t> numbers;
      for (size_t i = 0; i < faceCount; ++i) {
        if (part.materials[i] == static_cast<int>(m)) {
          numbers.push_back(static_cast<uint16_t>(faceCount - 1 - i));
        }
      }
      if (numbers.empty()) continue;
      out.U16(kTagAssign);
      out.Name(names[m]);
      out.U16(static_cast<uint16_t>(numbers.size()));
      for (uint16_t k : numbers) out.U16(k);
    }
    triangles += static_cast<int>(faceCount);
  }
  out.U16(kTagEnd);
  for (int i = 0; i < 6; ++i) out.F32(0.0f);  // view position and view vector

  if (summary) {
    summary->objects = static_cast<int>(parts_.size());
    summary->triangles = triangles;
    summary->materials = names;
    summary->textures.clear();
    for (const std::string& name : materials_) {
      const auto found = mtlTexture_.find(name);
      summary->textures.push_back(found == mtlTexture_.end() ? std::string() : found->second);
    }
    summary->notes = notes_;
  }
}

}  // namespace

bool ConvertObjToModel(const std::string& objText, std::vector<uint8_t>* model, std::string* error,
                       ObjConversionSummary* summary, const ObjFileReader& readFile) {
  Converter converter(error, readFile);
  if (!converter.Run(objText)) return false;
  converter.Write(model, summary);
  return true;
}

namespace {

bool ReadWholeFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

bool ConvertObjFile(const std::string& path, std::vector<uint8_t>* model, std::string* error,
                    ObjConversionSummary* summary) {
  std::string text;
  if (!ReadWholeFile(path, &text)) {
    if (error) *error = path + ": cannot open the file";
    return false;
  }
  const std::string folder = FolderOf(path);
  // MTL names are relative to the OBJ file; Windows-made files may use "\".
  const ObjFileReader readFile = [&folder](const std::string& name, std::string* out) {
    const std::string full = IsAbsolute(name) ? name : folder + name;
    if (ReadWholeFile(full, out)) return true;
    std::string forward = full;
    for (char& c : forward) c = c == '\\' ? '/' : c;
    return ReadWholeFile(forward, out);
  };
  ObjConversionSummary local;
  ObjConversionSummary* result = summary ? summary : &local;
  if (!ConvertObjToModel(text, model, error, result, readFile)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  for (std::string& texture : result->textures) {
    if (!texture.empty() && !IsAbsolute(texture)) texture = folder + texture;
  }
  return true;
}
