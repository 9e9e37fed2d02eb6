// Vertex arrays and buffer objects for the viewer's mesh.
#include "tools/viewer/mesh_arrays.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

#ifdef _WIN32
#define LUMIVEX_GL_CALL __stdcall
#else
#define LUMIVEX_GL_CALL
#endif

// Buffer objects: GL 1.5, beyond gl.h's 1.1 prototypes.
constexpr GLenum kArrayBuffer = 0x8892;
constexpr GLenum kElementArrayBuffer = 0x8893;
constexpr GLenum kStaticDraw = 0x88E4;
using GenBuffersFn = void(LUMIVEX_GL_CALL*)(GLsizei, GLuint*);
using BindBufferFn = void(LUMIVEX_GL_CALL*)(GLenum, GLuint);
using BufferDataFn = void(LUMIVEX_GL_CALL*)(GLenum, ptrdiff_t, const void*, GLenum);
using DeleteBuffersFn = void(LUMIVEX_GL_CALL*)(GLsizei, const GLuint*);

// Found once a context has them; every context the viewer makes is the same GL.
GenBuffersFn genBuffers = nullptr;
BindBufferFn bindBuffer = nullptr;
BufferDataFn bufferData = nullptr;
DeleteBuffersFn deleteBuffers = nullptr;

// The core names from 1.5 on, the extension's before.
bool FindBufferFunctions(GLProcLoader load) {
  if (!load) return false;
  const char* suffix = GLVersionAtLeast(1, 5)                          ? ""
                       : GLHasExtension("GL_ARB_vertex_buffer_object") ? "ARB"
                                                                       : nullptr;
  if (!suffix) return false;
  const auto find = [load, suffix](const char* name) {
    return load((std::string(name) + suffix).c_str());
  };
  genBuffers = reinterpret_cast<GenBuffersFn>(find("glGenBuffers"));
  bindBuffer = reinterpret_cast<BindBufferFn>(find("glBindBuffer"));
  bufferData = reinterpret_cast<BufferDataFn>(find("glBufferData"));
  deleteBuffers = reinterpret_cast<DeleteBuffersFn>(find("glDeleteBuffers"));
  return genBuffers && bindBuffer && bufferData && deleteBuffers;
}

// Where the arrays start: an offset into the bound buffer, or the memory itself.
const char* VertexBase(const ViewerMesh& mesh, const MeshArrays& arrays) {
  return arrays.vertexBuffer ? nullptr : reinterpret_cast<const char*>(mesh.vertices.data());
}

}  // namespace

bool UploadMeshArrays(ViewerMesh* mesh, GLProcLoader load, MeshArrays* arrays) {
  *arrays = MeshArrays();
  if (!FindBufferFunctions(load)) return false;
  for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
  }  // earlier errors are not this upload's
  GLuint names[2] = {0, 0};
  genBuffers(2, names);
  bindBuffer(kArrayBuffer, names[0]);
  bufferData(kArrayBuffer, static_cast<ptrdiff_t>(mesh->vertices.size() * sizeof(MeshVertex)),
             mesh->vertices.data(), kStaticDraw);
  bindBuffer(kElementArrayBuffer, names[1]);
  bufferData(kElementArrayBuffer, static_cast<ptrdiff_t>(mesh->indices.size() * sizeof(uint32_t)),
             mesh->indices.data(), kStaticDraw);
  bindBuffer(kArrayBuffer, 0);
  bindBuffer(kElementArrayBuffer, 0);
  if (glGetError() == GL_OUT_OF_MEMORY) {
    // The GL could not hold them: drawn from memory instead.
    deleteBuffers(2, names);
    return false;
  }
  arrays->vertexBuffer = names[0];
  arrays->indexBuffer = names[1];
  mesh->vertices = std::vector<MeshVertex>();
  mesh->indices = std::vector<uint32_t>();
  return true;
}

void BindMeshArrays(const ViewerMesh& mesh, const MeshArrays& arrays) {
  if (arrays.vertexBuffer) {
    bindBuffer(kArrayBuffer, arrays.vertexBuffer);
    bindBuffer(kElementArrayBuffer, arrays.indexBuffer);
  }
  const char* base = VertexBase(mesh, arrays);
  constexpr GLsizei kStride = sizeof(MeshVertex);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, kStride, base + offsetof(MeshVertex, position));
  glEnableClientState(GL_NORMAL_ARRAY);
  glNormalPointer(GL_FLOAT, kStride, base + offsetof(MeshVertex, normal));
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexCoordPointer(2, GL_FLOAT, kStride, base + offsetof(MeshVertex, uv));
  if (mesh.colored) {
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, kStride, base + offsetof(MeshVertex, color));
  }
}

void DrawMeshRange(const ViewerMesh& mesh, const MeshArrays& arrays, const MaterialRange& range) {
  const void* first = arrays.indexBuffer
                          ? reinterpret_cast<const void*>(range.first * sizeof(uint32_t))
                          : static_cast<const void*>(mesh.indices.data() + range.first);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(range.count), GL_UNSIGNED_INT, first);
}

void UnbindMeshArrays(const MeshArrays& arrays) {
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  if (arrays.vertexBuffer) {
    bindBuffer(kArrayBuffer, 0);
    bindBuffer(kElementArrayBuffer, 0);
  }
}

void ReleaseMeshArrays(MeshArrays* arrays) {
  if (arrays->vertexBuffer && deleteBuffers) {
    const GLuint names[2] = {arrays->vertexBuffer, arrays->indexBuffer};
    deleteBuffers(2, names);
  }
  *arrays = MeshArrays();
}
