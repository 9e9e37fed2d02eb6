// Display lists: the recorded commands of one list, the table of list names, and the
// replay, which sends each command through the layer's entry points again. Attributes a
// list does not set come from the state when it is called, as in GL.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/gl11/gl11_enums.h"

namespace gl11 {

enum class Op : uint8_t {
  kBegin,
  kEnd,
  kVertex,
  kTexCoord,
  kNormal,
  kColour,
  kMatrixMode,
  kLoadIdentity,
  kLoadMatrix,
  kMultMatrix,
  kPushMatrix,
  kPopMatrix,
  kTranslate,
  kRotate,
  kScale,
  kCallList,
  kCallLists,  // ints: the values, base added at replay
  kListBase,
  kBindTexture,
  kTexParameter,
  kEnable,
  kDisable,
  kBlendFunc,
  kDepthFunc,
  kDepthMask,
  kShadeModel,
  kHint,
  kClearColour,
  kClearDepth,
  kClear,
  kViewport,
  kLight,
  kMaterial,
};

// One command: its enums or integers in a and b, its values from `at` in the list's pools.
struct Command {
  Op op;
  uint32_t a, b;
  uint32_t at, count;
};

struct DisplayList {
  std::vector<Command> commands;
  std::vector<float> floats;
  std::vector<int32_t> ints;

  void Add(Op op, uint32_t a = 0, uint32_t b = 0) { commands.push_back({op, a, b, 0, 0}); }
  void AddFloats(Op op, uint32_t a, uint32_t b, const float* values, uint32_t count);
  void AddInts(Op op, uint32_t a, uint32_t b, const int32_t* values, uint32_t count);
};

// The list names in use. Names are handed out above the highest one ever used, as Mesa
// does, and from the lowest free block once that runs out.
class ListTable {
 public:
  // The first of `range` new names, each an empty list; 0 when no block is free.
  GLuint Generate(GLsizei range);
  void Delete(GLuint first, GLsizei range);
  bool Exists(GLuint name) const { return lists_.count(name) != 0; }
  const DisplayList* Find(GLuint name) const;
  void Replace(GLuint name, DisplayList list);
  void Clear();

 private:
  std::unordered_map<GLuint, DisplayList> lists_;
  GLuint highest_ = 0;
};

// Runs the list's commands through the gl11 entry points.
void Replay(const DisplayList& list);

}  // namespace gl11
