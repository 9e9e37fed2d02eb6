// Wavefront MTL material libraries: each material's colours and its map_Kd picture, the
// picture's name taken as exporters write it (options before it, spaces in it, "\" as a
// folder separator).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

// How a material's alpha (its colour's and its picture's) is drawn.
enum class AlphaMode : uint8_t {
  kOpaque,  // alpha is ignored (OBJ pictures with see-through texels are still alpha-tested)
  kMask,    // fragments below `alphaCutoff` are left out
  kBlend,   // blended over what is behind, after the opaque materials
};

// Texture wrap modes as GL numbers them (GL_REPEAT, GL_CLAMP_TO_EDGE, GL_MIRRORED_REPEAT).
constexpr int kWrapRepeat = 0x2901;
constexpr int kWrapClampToEdge = 0x812F;
constexpr int kWrapMirroredRepeat = 0x8370;

// One material as the model's faces are drawn with it. Without an MTL entry: plain white.
// The readers of the other formats fill the same fields (glTF's base colour as `diffuse`).
struct ObjMaterial {
  std::string name;
  int firstLine = 0;     // line of its first usemtl; 0 for faces before any
  bool defined = false;  // an MTL file that was read defines it
  std::string texture;   // the map_Kd picture as a path ("" when none)
  std::string beside;    // the picture's file name in the MTL's folder, when map_Kd names
                         // another folder: tried when `texture` is not there ("" when same)
  float diffuse[3] = {0.8f, 0.8f, 0.8f};   // Kd
  float specular[3] = {0.0f, 0.0f, 0.0f};  // Ks
  float shininess = 0.0f;                  // Ns, 0 to 1000 as MTL files count it
  bool diffuseGiven = false;               // Kd was written (else a picture shows unscaled)
  // The picture's encoded bytes when the model file carries it (a GLB chunk, a data URI);
  // `texture` then only names it for messages.
  std::shared_ptr<const std::string> textureBytes;
  int wrapS = kWrapRepeat, wrapT = kWrapRepeat;
  float alpha = 1.0f;  // the colour's opacity
  AlphaMode alphaMode = AlphaMode::kOpaque;
  float alphaCutoff = 0.5f;
  bool doubleSided = true;  // false: back faces are culled
  bool unlit = false;       // drawn in its colours without lighting
};

// What an MTL text held beyond what materials keep here.
struct MtlFindings {
  bool colours = false;    // Ka, Kd, Ks, Ns, d, illum and the like
  bool otherMaps = false;  // map_Ks, map_Bump, bump, ...: pictures other than map_Kd
};

// Adds the materials of `text` to `entries` by name; the first definition of a name holds
// (as the first match in the toolkit's loader does). `folder` is the MTL file's folder as
// a path ("" or ending in "/"); texture paths come back with it in front unless absolute.
void ReadMtlText(const std::string& text, const std::string& folder,
                 std::map<std::string, ObjMaterial>* entries, MtlFindings* findings);
