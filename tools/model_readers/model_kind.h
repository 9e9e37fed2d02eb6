// What kind of model file a file is, told by its first bytes and its size, never by its
// name: the viewer and obj2model pick their reader with it.
#pragma once

#include <cstdint>
#include <string_view>

enum class ModelKind {
  kUnknown,    // none of these: refused
  kObj,        // text that is not one of the text formats below
  kGltf,       // glTF 2.0 JSON (a "{" first)
  kGlb,        // binary glTF ("glTF" first)
  kStlAscii,   // "solid" first, and not the size of a binary STL
  kStlBinary,  // 84 bytes of header and count, and 50 bytes for each of the count's triangles
  kPly,        // "ply" on the first line
  kToolkit,    // the toolkit's chunked model format (a known chunk tag after the header)
};

// `head` is the file's first bytes (4096 or all of a smaller file); `size` the whole file's.
ModelKind DetectModelKind(std::string_view head, uint64_t size);

// "OBJ", "glTF", "GLB", "ASCII STL", "binary STL", "PLY", "model", "unknown".
const char* ModelKindName(ModelKind kind);
