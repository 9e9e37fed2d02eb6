// PLY files, as scanners and photogrammetry tools write them: ASCII, and binary of either
// byte order.
#pragma once

#include <string>
#include <string_view>

#include "tools/model_readers/obj_reader.h"

// Reads a PLY file's vertex and face elements: x, y, z; nx, ny, nz; red, green, blue
// (and alpha) as bytes or as 0..1 floats; s, t or u, v (or texture_u, texture_v); face
// lists of any integer type (vertex_indices or vertex_index), polygons fanned, with a
// per-corner "texcoord" list where the face has one. `comment TextureFile NAME` names the
// picture, relative to `folder` ("" or ending in "/"). Other elements and properties are
// passed over by their declared types. False with the element, its number and the line
// (ASCII) or byte offset (binary) in *error for a bad header, a file cut short, a bad
// number, a position that is not finite or a face naming a vertex that does not exist.
bool ReadPly(std::string_view bytes, const std::string& folder, ObjMesh* mesh, std::string* error);
