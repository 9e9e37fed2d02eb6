// The model readers behind one call: a file's kind is told by its content (model_kind.h)
// and read by its reader into the one mesh the viewer draws and obj2model converts.
#pragma once

#include <string>

#include "tools/model_readers/indexed_mesh.h"
#include "tools/model_readers/model_kind.h"
#include "tools/model_readers/obj_reader.h"

// Reads the OBJ, glTF, GLB, STL or PLY file at `path` with the files it names (relative to
// its folder); texture paths come back from the current directory. `kind` (may be null)
// gets the kind found. A toolkit model file is not read here: false with *kind kToolkit
// and *error "PATH: a toolkit model file". Errors are one line and name the file:
// "PATH: cannot open the file", "PATH: not a model file of a known kind (OBJ, glTF, GLB,
// STL, PLY)", "PATH: line 3: ...", "PATH: accessor 2 (POSITION): ...".
// With `arrays`, a glTF, GLB or binary STL file's triangles go straight into vertex arrays
// where its reader can put them there (see ReadGltf, ReadBinaryStl) and `mesh` keeps only
// the materials and notes; otherwise (and for every other kind) `arrays` stay empty and
// `mesh` holds the faces.
bool ReadModelFile(const std::string& path, ObjMesh* mesh, std::string* error,
                   ModelKind* kind = nullptr, IndexedMesh* arrays = nullptr);

// What ReadModelFile reads, for usage lines.
constexpr char kModelFormats[] = "OBJ, glTF 2.0 (.gltf, .glb), STL (binary, ASCII), PLY";
