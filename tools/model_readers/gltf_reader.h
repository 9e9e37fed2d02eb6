// glTF 2.0 files, the .gltf text with its .bin and pictures beside it (or in data URIs) and
// the one-file .glb, read through tinygltf into the one mesh.
#pragma once

#include <string>
#include <string_view>

#include "tools/model_readers/indexed_mesh.h"
#include "tools/model_readers/obj_reader.h"

// Reads the default scene (every root node when none is set), each node's mesh placed by
// its world transform; every primitive drawn as triangles, strips or fans, with POSITION,
// NORMAL (flat normals where there is none), TEXCOORD_0 and COLOR_0 of any component type
// (normalized, quantized, sparse).
// Materials keep their base colour and its picture, the sampler's wrap modes,
// KHR_texture_transform, alpha mode and cutoff, doubleSided and KHR_materials_unlit;
// what is not drawn is said once in the notes. `folder` ("" or ending in "/") is where
// the file's relative URIs start; `name` names embedded pictures in messages.
// False with what is wrong and where (accessor, mesh, primitive) in *error for a file
// that is not glTF, needs an extension this reader cannot decode (Draco, meshopt, KTX2),
// misses its .bin, has an accessor outside its buffer, an index beyond its vertices or a
// position that is not finite.
// With `arrays` the triangles go straight from the file's indexed vertices into vertex
// arrays (one vertex a vertex of the file, each material's triangles one range) and `mesh`
// keeps only the materials and notes. A file that needs its corners worked out one by one
// (a primitive without NORMAL, shaded flat; a normal of no direction; a normal against its
// triangle's winding; a vertex no triangle uses, which must not widen the framing) is read
// as without `arrays`, which are then left empty: the same triangles either way.
bool ReadGltf(std::string_view bytes, bool binary, const std::string& folder,
              const std::string& name, ObjMesh* mesh, std::string* error,
              IndexedMesh* arrays = nullptr);
