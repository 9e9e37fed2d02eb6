// STL files, as 3D printing and CAD tools write them: binary (a header, a triangle count
// and 50 bytes a triangle) and ASCII ("solid", "facet normal", "vertex" lines).
#pragma once

#include <string>
#include <string_view>

#include "tools/model_readers/indexed_mesh.h"
#include "tools/model_readers/obj_reader.h"

// Reads a binary STL: each triangle its three positions, its facet normal where it is not
// zero (computed from the faces where it is), and its colour where the file carries one
// (VisCAM/SolidView's 15-bit colours, or Materialise Magics' when the header says
// "COLOR="). A header that begins "solid" is no matter. False with "triangle N at byte B:
// ..." in *error for a file cut short or a position that is not a finite number.
// With `arrays` the facets go straight into vertex arrays (three vertices each) and `mesh`
// keeps only its material; a file with a zero facet normal, whose corners' normals are made
// from the facets around them, is read as without `arrays`, which are then left empty.
bool ReadBinaryStl(std::string_view bytes, ObjMesh* mesh, std::string* error,
                   IndexedMesh* arrays = nullptr);

// Reads an ASCII STL; each "solid" a group. False with "line N: ..." for a bad number, a
// vertex outside a facet or a facet of fewer than three vertices.
bool ReadAsciiStl(std::string_view text, ObjMesh* mesh, std::string* error);
