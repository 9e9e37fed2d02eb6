// Telling model files apart by their content.
#include "tools/model_readers/model_kind.h"

#include <cstring>

namespace {

uint32_t LittleU32(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

std::string_view SkipSpace(std::string_view text) {
  size_t i = 0;
  // A UTF-8 byte order mark, as some Windows tools write before JSON and OBJ text.
  if (StartsWith(text, "\xEF\xBB\xBF")) i = 3;
  while (i < text.size() &&
         (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) {
    ++i;
  }
  return text.substr(i);
}

// Text as OBJ files hold it: no NUL and few control characters (UTF-8 passes).
bool LooksLikeText(std::string_view head) {
  size_t odd = 0;
  for (char ch : head) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == 0) return false;
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') ++odd;
  }
  return odd * 100 <= head.size();
}

// The toolkit's format has no signature: a 32-bit object count of sane size and then one
// of the chunk tags that can open a file (object, material, light, end).
bool LooksLikeToolkitModel(std::string_view head, uint64_t size) {
  if (head.size() < 6 || size < 30) return false;
  if (LittleU32(head, 0) > 0xFFFF) return false;
  const uint16_t tag =
      static_cast<uint16_t>(static_cast<uint8_t>(head[4]) | static_cast<uint8_t>(head[5]) << 8);
  return tag == 0x1010 || tag == 0xF1D2 || tag == 0x3AD5 || tag == 0xD2E3;
}

float LittleF32(std::string_view bytes, size_t at) {
  const uint32_t bits = LittleU32(bytes, at);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// A binary STL cut short: its first triangle reads as one (finite numbers, a normal of at
// most unit length or none) but its count asks for more than the file holds.
bool LooksLikeCutStl(std::string_view head, uint64_t size) {
  if (head.size() < 134 || size >= 84 + 50 * static_cast<uint64_t>(LittleU32(head, 80))) {
    return false;
  }
  double length2 = 0;
  for (int i = 0; i < 12; ++i) {
    const float v = LittleF32(head, 84 + 4 * i);
    if (!(v > -1e30f && v < 1e30f)) return false;
    if (i < 3) length2 += double(v) * v;
  }
  return length2 < 1.1;
}

}  // namespace

ModelKind DetectModelKind(std::string_view head, uint64_t size) {
  if (StartsWith(head, "glTF")) return ModelKind::kGlb;
  if (StartsWith(head, "ply\n") || StartsWith(head, "ply\r\n")) return ModelKind::kPly;
  // A binary STL's header is free text and often says "solid": its size decides.
  if (head.size() >= 84 && size == 84 + 50 * static_cast<uint64_t>(LittleU32(head, 80))) {
    return ModelKind::kStlBinary;
  }
  const std::string_view text = SkipSpace(head);
  if (StartsWith(text, "solid") && LooksLikeText(head)) return ModelKind::kStlAscii;
  if (StartsWith(text, "{") && LooksLikeText(head)) return ModelKind::kGltf;
  if (LooksLikeToolkitModel(head, size)) return ModelKind::kToolkit;
  if (LooksLikeText(head)) return ModelKind::kObj;
  if (LooksLikeCutStl(head, size)) return ModelKind::kStlBinary;
  return ModelKind::kUnknown;
}

const char* ModelKindName(ModelKind kind) {
  switch (kind) {
    case ModelKind::kObj:
      return "OBJ";
    case ModelKind::kGltf:
      return "glTF";
    case ModelKind::kGlb:
      return "GLB";
    case ModelKind::kStlAscii:
      return "ASCII STL";
    case ModelKind::kStlBinary:
      return "binary STL";
    case ModelKind::kPly:
      return "PLY";
    case ModelKind::kToolkit:
      return "model";
    case ModelKind::kUnknown:
      break;
  }
  return "unknown";
}
