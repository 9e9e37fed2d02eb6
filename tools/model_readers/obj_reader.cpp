// OBJ reading. The statements of nearly every line (v, vt, vn, f) are read straight off
// the text, word by word, since a large model has millions of them; the rest go through
// the general word list.
#include "tools/model_readers/obj_reader.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string_view>
#include <unordered_map>

#include "tools/model_readers/obj_text.h"

namespace {

// The next word of `line` from `*at`, stopping at a comment; empty at the end.
std::string_view NextWord(std::string_view line, size_t* at) {
  size_t i = *at;
  while (i < line.size() && IsObjSpace(line[i])) ++i;
  if (i >= line.size() || line[i] == '#') {
    *at = line.size();
    return {};
  }
  const size_t start = i;
  while (i < line.size() && !IsObjSpace(line[i]) && line[i] != '#') ++i;
  *at = i;
  return line.substr(start, i - start);
}

// One number of a face corner ("12", "-3"). False for anything else, or for a number too
// large for any list.
bool ParseIndex(std::string_view text, int64_t* value) {
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++i;
  if (i == text.size()) return false;
  int64_t number = 0;
  for (; i < text.size(); ++i) {
    const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
    if (digit > 9 || number > 99999999999LL) return false;
    number = number * 10 + static_cast<int64_t>(digit);
  }
  *value = negative ? -number : number;
  return true;
}

class Reader {
 public:
  Reader(ObjMesh* mesh, std::string* error, const ObjFileReader& readFile)
      : mesh_(mesh), error_(error), read_(readFile) {}

  bool Run(const std::string& text);

 private:
  bool Fail(const std::string& what) {
    if (error_) *error_ = "line " + std::to_string(line_) + ": " + what;
    return false;
  }
  // Says `what` once for each `key`, however often the file has it.
  void Note(const std::string& key, const std::string& what) {
    if (noted_.insert(key).second) mesh_->notes.push_back(what);
  }
  void Note(const std::string& what) { Note(what, what); }
  int unknownKinds_ = 0;  // kinds of statement not kept, each noted once
  std::string OnLine() const { return " (first on line " + std::to_string(line_) + ")"; }

  bool Line(std::string_view line);
  bool Statement(const std::vector<std::string_view>& w);
  size_t Floats(std::string_view line, size_t at, float* values, size_t* extra,
                std::string_view* bad);
  bool Face(std::string_view line, size_t at);
  bool Corner(std::string_view word, ObjCorner* corner);
  void StartGroup();
  void UseMaterial(const std::string& name, int line);
  void MaterialLibrary(const std::vector<std::string_view>& w);
  void Finish();

  ObjMesh* mesh_;
  std::string* error_;
  const ObjFileReader& read_;
  int line_ = 0;
  int currentMaterial_ = -1;
  std::unordered_map<std::string, int> materialNumbers_;
  std::map<std::string, ObjMaterial> mtlEntries_;
  bool mtlRead_ = false;
  std::vector<std::string_view> words_;
  std::set<std::string> noted_;
};

// Room for what the text holds, counted by the lines' first letters, so that the lists
// grow once instead of by doubling (a large model is tens of megabytes of them). Faces are
// counted as quads: room that triangles never touch costs no memory.
void ReserveFor(const std::string& text, ObjMesh* mesh) {
  size_t v = 0, vt = 0, vn = 0, f = 0;
  const char* p = text.data();
  const char* end = p + text.size();
  while (p + 1 < end) {
    if (p[0] == 'v') {
      v += p[1] == ' ';
      vt += p[1] == 't';
      vn += p[1] == 'n';
    } else {
      f += p[0] == 'f' && p[1] == ' ';
    }
    const void* newline = std::memchr(p, '\n', static_cast<size_t>(end - p));
    if (!newline) break;
    p = static_cast<const char*>(newline) + 1;
  }
  mesh->positions.reserve(3 * v);
  mesh->uvs.reserve(2 * vt);
  mesh->normals.reserve(3 * vn);
  mesh->corners.reserve(4 * f);
  mesh->faceEnds.reserve(f);
  mesh->materials.reserve(f);
}

bool Reader::Run(const std::string& text) {
  ReserveFor(text, mesh_);
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
    while (last > 0 && IsObjSpace(line[last - 1])) --last;
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
    const bool ok = Line(line);
    joined.clear();
    if (!ok) return false;
  }
  Finish();
  return true;
}

bool Reader::Line(std::string_view line) {
  size_t at = 0;
  const std::string_view keyword = NextWord(line, &at);
  if (keyword.empty()) return true;
  if (keyword == "v" || keyword == "vt" || keyword == "vn") {
    float values[3] = {0.0f, 0.0f, 0.0f};
    size_t extra = 0;
    std::string_view bad;
    const size_t count = Floats(line, at, values, &extra, &bad);
    if (keyword == "vn") {
      if (count < 3) {
        // A normal the file garbles is one it does not have: it is made from the faces.
        Note("bad-normal", "bad normal (vn)" + OnLine() + ": made from the faces instead");
        values[0] = values[1] = values[2] = 0.0f;
      }
      mesh_->normals.insert(mesh_->normals.end(), values, values + 3);
      return true;
    }
    if (!bad.empty()) return Fail("bad number " + PrintableText(bad));
    if (keyword == "vt") {
      if (count < 1) return Fail("a texture coordinate needs u");
      mesh_->uvs.insert(mesh_->uvs.end(), values, values + 2);
      return true;
    }
    if (count < 3) return Fail("a vertex needs x, y and z");
    if (extra == 1) Note("vertex weights (the w of v) are not used");
    if (extra >= 3) Note("vertex colours are not used");
    mesh_->positions.insert(mesh_->positions.end(), values, values + 3);
    return true;
  }
  if (keyword == "f" || keyword == "fo") return Face(line, at);
  SplitObjWords(line, &words_);
  return Statement(words_);
}

// Reads up to three numbers from `at` into `values` and returns how many; stops at a word
// that is not a number (*bad). *extra counts the words after the first three.
size_t Reader::Floats(std::string_view line, size_t at, float* values, size_t* extra,
                      std::string_view* bad) {
  const char* const end = line.data() + line.size();
  size_t count = 0;
  *extra = 0;
  for (;;) {
    while (at < line.size() && IsObjSpace(line[at])) ++at;
    if (at >= line.size() || line[at] == '#') break;
    if (count < 3) {
      // Most numbers are plain decimals, read in the same pass that finds their end.
      const char* stop = ReadPlainDecimal(line.data() + at, end, &values[count]);
      if (stop && (stop == end || IsObjSpace(*stop) || *stop == '#')) {
        at = static_cast<size_t>(stop - line.data());
        ++count;
        continue;
      }
    }
    const std::string_view word = NextWord(line, &at);
    if (count >= 3) {
      ++*extra;
    } else if (ParseObjFloat(word, &values[count])) {
      ++count;
    } else {
      *bad = word;
      break;
    }
  }
  return count;
}

// A corner of plain numbers that all exist ("12/7/3", "-4//1"), read in one pass; null for
// anything else, which Corner then reads and says what is wrong with.
const char* QuickCorner(const char* p, const char* end, const int64_t counts[3],
                        ObjCorner* corner) {
  int32_t* slots[3] = {&corner->p, &corner->t, &corner->n};
  corner->p = corner->t = corner->n = -1;
  for (int part = 0;; ++p, ++part) {
    if (p < end && *p != '/') {
      const bool negative = *p == '-';
      p += negative;
      int64_t number = 0;
      int digits = 0;
      for (; p < end && static_cast<unsigned>(*p - '0') <= 9 && digits < 10; ++p, ++digits) {
        number = number * 10 + (*p - '0');
      }
      const int64_t resolved = negative ? counts[part] - number : number - 1;
      if (digits == 0 || number == 0 || resolved < 0 || resolved >= counts[part]) return nullptr;
      *slots[part] = static_cast<int32_t>(resolved);
    } else if (part == 0) {
      return nullptr;
    }
    if (p == end || IsObjSpace(*p) || *p == '#') return p;
    if (*p != '/' || part == 2) return nullptr;
  }
}

bool Reader::Face(std::string_view line, size_t at) {
  const char* const end = line.data() + line.size();
  const int64_t counts[3] = {static_cast<int64_t>(mesh_->positions.size() / 3),
                             static_cast<int64_t>(mesh_->uvs.size() / 2),
                             static_cast<int64_t>(mesh_->normals.size() / 3)};
  const size_t first = mesh_->corners.size();
  for (;;) {
    while (at < line.size() && IsObjSpace(line[at])) ++at;
    if (at >= line.size() || line[at] == '#') break;
    ObjCorner corner;
    if (const char* stop = QuickCorner(line.data() + at, end, counts, &corner)) {
      at = static_cast<size_t>(stop - line.data());
    } else if (!Corner(NextWord(line, &at), &corner)) {
      return false;
    }
    mesh_->corners.push_back(corner);
  }
  if (mesh_->corners.size() - first < 3) return Fail("a face needs three corners");
  if (currentMaterial_ < 0) UseMaterial("default", 0);
  mesh_->faceEnds.push_back(static_cast<uint32_t>(mesh_->corners.size()));
  mesh_->materials.push_back(currentMaterial_);
  return true;
}

// "v", "v/t", "v//n", "v/t/n": numbers from 1, or negative counting back from the latest.
bool Reader::Corner(std::string_view word, ObjCorner* corner) {
  std::string_view parts[3];  // the words between the slashes; "" where there is none
  size_t part = 0, from = 0;
  for (size_t i = 0; i < word.size(); ++i) {
    if (word[i] != '/') continue;
    if (part == 2) return Fail("bad normal number in " + PrintableText(word));
    parts[part++] = word.substr(from, i - from);
    from = i + 1;
  }
  parts[part] = word.substr(from);
  const size_t counts[3] = {mesh_->positions.size() / 3, mesh_->uvs.size() / 2,
                            mesh_->normals.size() / 3};
  int32_t* slots[3] = {&corner->p, &corner->t, &corner->n};
  static const char* const kWhat[3] = {"vertex", "texture coordinate", "normal"};
  for (int i = 0; i < 3; ++i) {
    *slots[i] = -1;
    if (parts[i].empty() && i > 0) continue;  // "v//n", "v/t/", "v/", "v"
    int64_t raw = 0;
    if (!ParseIndex(parts[i], &raw)) {
      return Fail(std::string("bad ") + kWhat[i] + " number in " + PrintableText(word));
    }
    if (raw == 0) {
      return Fail("face names " + std::string(kWhat[i]) + " 0 in " + PrintableText(word) +
                  ": OBJ numbers from 1");
    }
    const int64_t count = static_cast<int64_t>(counts[i]);
    const int64_t resolved = raw > 0 ? raw - 1 : count + raw;
    if (resolved >= 0 && resolved < count) {
      *slots[i] = static_cast<int32_t>(resolved);
    } else if (i == 0) {
      return Fail("face names vertex " + std::to_string(raw) + ", which does not exist (" +
                  std::to_string(count) + (count == 1 ? " vertex" : " vertices") + " so far)");
    } else if (i == 1) {
      Note("absent-uv", "faces name texture coordinates the file does not have" + OnLine() +
                            ": those corners get (0, 0)");
    } else {
      Note("absent-normal", "faces name normals the file does not have" + OnLine() +
                                ": those corners get normals from the faces");
    }
  }
  return true;
}

bool Reader::Statement(const std::vector<std::string_view>& w) {
  const std::string_view keyword = w[0];
  if (keyword == "o" || keyword == "g") {
    StartGroup();
  } else if (keyword == "usemtl") {
    // Some exporters write "usemtl" alone for faces of no material.
    UseMaterial(w.size() < 2 ? "default" : JoinObjWords(w, 1), line_);
  } else if (keyword == "mtllib") {
    if (w.size() < 2) {
      Note("empty mtllib", "mtllib names no file" + OnLine());
    } else {
      MaterialLibrary(w);
    }
  } else if (keyword == "s") {
    // Smoothing groups: normals come from the file's vn or from the crease angle.
  } else if (keyword == "l" || keyword == "p") {
    Note("lines and points (l, p) are not kept: triangles only");
  } else if (keyword == "vp" || keyword == "cstype" || keyword == "deg" || keyword == "bmat" ||
             keyword == "step" || keyword == "curv" || keyword == "curv2" || keyword == "surf" ||
             keyword == "parm" || keyword == "trim" || keyword == "hole" || keyword == "scrv" ||
             keyword == "sp" || keyword == "end" || keyword == "con" || keyword == "mg") {
    Note("free-form curves and surfaces are not kept");
  } else if (keyword == "usemap" || keyword == "maplib") {
    Note("usemap/maplib texture maps are not kept (materials' map_Kd are)");
  } else {
    // A file that is not OBJ at all would otherwise give a note a line.
    if (noted_.count("statement " + std::string(keyword)) == 0 && ++unknownKinds_ > 8) {
      Note("more statements are not kept");
    } else {
      Note("statement " + std::string(keyword),
           "statements '" + PrintableText(keyword) + "' are not kept" + OnLine());
    }
  }
  return true;
}

void Reader::StartGroup() {
  const uint32_t faces = static_cast<uint32_t>(mesh_->Faces());
  const uint32_t last = mesh_->groupStarts.empty() ? 0 : mesh_->groupStarts.back();
  if (faces > last) mesh_->groupStarts.push_back(faces);
}

void Reader::UseMaterial(const std::string& name, int line) {
  const auto inserted =
      materialNumbers_.emplace(name, static_cast<int>(mesh_->materialList.size()));
  if (inserted.second) {
    ObjMaterial material;
    material.name = name;
    material.firstLine = line;
    mesh_->materialList.push_back(material);
  }
  currentMaterial_ = inserted.first->second;
}

void Reader::MaterialLibrary(const std::vector<std::string_view>& w) {
  if (!read_) {
    Note("MTL files are not read here: materials are plain");
    return;
  }
  std::string text;
  const auto readMtl = [this, &text](const std::string& name) {
    const std::string path = ObjPathFromName(name);
    if (!read_(path, &text)) return false;
    ReadMtlText(text, ObjFolderOf(path), &mtlEntries_, &mesh_->mtl);
    mtlRead_ = true;
    return true;
  };
  // A name with plain spaces in it is one file; otherwise each name is one.
  if (w.size() > 2 && readMtl(JoinObjWords(w, 1))) return;
  for (const std::string& name : ObjFileNames(w, 1)) {
    if (!readMtl(name)) {
      Note("mtl " + name, "cannot read MTL file " + name + ": its materials are plain white");
    }
  }
}

void Reader::Finish() {
  for (ObjMaterial& material : mesh_->materialList) {
    const auto found = mtlEntries_.find(material.name);
    if (found != mtlEntries_.end()) {
      const int line = material.firstLine;
      material = found->second;
      material.firstLine = line;
    } else if (mtlRead_ && material.name != "default") {
      Note("material " + material.name + " is in no MTL file: it is plain white");
    }
  }
  if (mesh_->mtl.otherMaps) {
    Note(
        "texture maps other than map_Kd (map_Ks, map_Bump, bump and the like) are not "
        "used: a material has one picture");
  }
}

}  // namespace

bool ReadObj(const std::string& text, ObjMesh* mesh, std::string* error,
             const ObjFileReader& readFile) {
  *mesh = ObjMesh();
  Reader reader(mesh, error, readFile);
  return reader.Run(text);
}

bool ReadWholeFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  // One read of the whole size where the stream can tell it; byte by byte where it cannot.
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size >= 0 && in) {
    text->resize(static_cast<size_t>(size));
    in.read(text->data(), size);
    if (in.gcount() == size) return true;
    in.clear();
    in.seekg(0, std::ios::beg);
  }
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool ReadObjFile(const std::string& path, ObjMesh* mesh, std::string* error) {
  std::string text;
  if (!ReadWholeFile(path, &text)) {
    if (error) *error = path + ": cannot open the file";
    return false;
  }
  const std::string folder = ObjFolderOf(path);
  const auto fromHere = [&folder](const std::string& name) {
    return name.empty() || IsAbsoluteObjPath(name) ? name : folder + name;
  };
  // MTL names are relative to the OBJ file, texture names to their MTL file.
  const ObjFileReader readFile = [&fromHere](const std::string& name, std::string* out) {
    return ReadWholeFile(fromHere(name), out);
  };
  if (!ReadObj(text, mesh, error, readFile)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  for (ObjMaterial& material : mesh->materialList) {
    material.texture = fromHere(material.texture);
    material.beside = fromHere(material.beside);
  }
  return true;
}
