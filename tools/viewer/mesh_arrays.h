// The viewer's mesh in GL: its arrays in buffer objects where the context has them (GL 1.5,
// or ARB_vertex_buffer_object), else drawn from memory as GL 1.1 vertex arrays. Either way
// a material's triangles are one glDrawElements.
#pragma once

#include "platform/gl_api.h"
#include "tools/viewer/gl_caps.h"
#include "tools/viewer/viewer_mesh.h"

struct MeshArrays {
  GLuint vertexBuffer = 0, indexBuffer = 0;  // 0: the arrays stay in the mesh's memory
};

// Copies the mesh's arrays into buffer objects when the context has them (functions found
// through `load`) and then releases them from `mesh`, keeping its ranges. Needs a current
// context; false when the arrays stay in memory.
bool UploadMeshArrays(ViewerMesh* mesh, GLProcLoader load, MeshArrays* arrays);

// Points the vertex, normal and texture-coordinate arrays (and the colour array of a
// coloured mesh) at the mesh and switches them on.
void BindMeshArrays(const ViewerMesh& mesh, const MeshArrays& arrays);
// The triangles of one range, with whatever material and texture are current.
void DrawMeshRange(const ViewerMesh& mesh, const MeshArrays& arrays, const MaterialRange& range);
// Switches the arrays off again and unbinds the buffers, for the immediate-mode drawing
// after them (the status line).
void UnbindMeshArrays(const MeshArrays& arrays);

// Deletes the buffers (with the context current).
void ReleaseMeshArrays(MeshArrays* arrays);
