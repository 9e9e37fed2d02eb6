// Display list storage and replay.
#include "platform/gl11/display_list.h"

#include <limits>

#include "platform/gl11/gl11.h"

namespace gl11 {

void DisplayList::AddFloats(Op op, uint32_t a, uint32_t b, const float* values, uint32_t count) {
  commands.push_back({op, a, b, static_cast<uint32_t>(floats.size()), count});
  floats.insert(floats.end(), values, values + count);
}

void DisplayList::AddInts(Op op, uint32_t a, uint32_t b, const int32_t* values, uint32_t count) {
  commands.push_back({op, a, b, static_cast<uint32_t>(ints.size()), count});
  ints.insert(ints.end(), values, values + count);
}

GLuint ListTable::Generate(GLsizei range) {
  if (range <= 0) return 0;
  const GLuint n = static_cast<GLuint>(range);
  constexpr GLuint kLast = std::numeric_limits<GLuint>::max();
  GLuint first = 0;
  if (highest_ <= kLast - n) {
    first = highest_ + 1;
  } else {
    // Every name above the highest is taken: look for a free block from 1.
    GLuint run = 0;
    for (GLuint name = 1;; ++name) {
      run = Exists(name) ? 0 : run + 1;
      if (run == n) {
        first = name - n + 1;
        break;
      }
      if (name == kLast) return 0;
    }
  }
  for (GLuint i = 0; i < n; ++i) lists_[first + i];
  if (first + n - 1 > highest_) highest_ = first + n - 1;
  return first;
}

void ListTable::Delete(GLuint first, GLsizei range) {
  for (GLsizei i = 0; i < range; ++i) {
    const GLuint name = first + static_cast<GLuint>(i);
    if (name < first) break;  // wrapped past the last name
    lists_.erase(name);
  }
}

const DisplayList* ListTable::Find(GLuint name) const {
  const auto it = lists_.find(name);
  return it == lists_.end() ? nullptr : &it->second;
}

void ListTable::Replace(GLuint name, DisplayList list) {
  lists_[name] = std::move(list);
  if (name > highest_) highest_ = name;
}

void ListTable::Clear() {
  lists_.clear();
  highest_ = 0;
}

void Replay(const DisplayList& list) {
  for (const Command& c : list.commands) {
    const float* f = list.floats.data() + c.at;
    switch (c.op) {
      case Op::kBegin:
        gl11Begin(c.a);
        break;
      case Op::kEnd:
        gl11End();
        break;
      case Op::kVertex:
        // Stored with w; a vertex call always gives w = 1.
        gl11Vertex3f(f[0], f[1], f[2]);
        break;
      case Op::kTexCoord:
        gl11TexCoord2f(f[0], f[1]);
        break;
      case Op::kNormal:
        gl11Normal3f(f[0], f[1], f[2]);
        break;
      case Op::kColour:
        gl11Color4f(f[0], f[1], f[2], f[3]);
        break;
      case Op::kMatrixMode:
        gl11MatrixMode(c.a);
        break;
      case Op::kLoadIdentity:
        gl11LoadIdentity();
        break;
      case Op::kLoadMatrix:
        gl11LoadMatrixf(f);
        break;
      case Op::kMultMatrix:
        gl11MultMatrixf(f);
        break;
      case Op::kPushMatrix:
        gl11PushMatrix();
        break;
      case Op::kPopMatrix:
        gl11PopMatrix();
        break;
      case Op::kTranslate:
        gl11Translatef(f[0], f[1], f[2]);
        break;
      case Op::kRotate:
        gl11Rotatef(f[0], f[1], f[2], f[3]);
        break;
      case Op::kScale:
        gl11Scalef(f[0], f[1], f[2]);
        break;
      case Op::kCallList:
        gl11CallList(c.a);
        break;
      case Op::kCallLists:
        gl11CallLists(static_cast<GLsizei>(c.count), GL_INT, list.ints.data() + c.at);
        break;
      case Op::kListBase:
        gl11ListBase(c.a);
        break;
      case Op::kBindTexture:
        gl11BindTexture(c.a, c.b);
        break;
      case Op::kTexParameter:
        gl11TexParameteri(c.a, c.b, list.ints[c.at]);
        break;
      case Op::kEnable:
        gl11Enable(c.a);
        break;
      case Op::kDisable:
        gl11Disable(c.a);
        break;
      case Op::kBlendFunc:
        gl11BlendFunc(c.a, c.b);
        break;
      case Op::kDepthFunc:
        gl11DepthFunc(c.a);
        break;
      case Op::kDepthMask:
        gl11DepthMask(static_cast<unsigned char>(c.a));
        break;
      case Op::kShadeModel:
        gl11ShadeModel(c.a);
        break;
      case Op::kHint:
        gl11Hint(c.a, c.b);
        break;
      case Op::kClearColour:
        gl11ClearColor(f[0], f[1], f[2], f[3]);
        break;
      case Op::kClearDepth:
        gl11ClearDepth(f[0]);
        break;
      case Op::kClear:
        gl11Clear(c.a);
        break;
      case Op::kViewport:
        gl11Viewport(list.ints[c.at], list.ints[c.at + 1], list.ints[c.at + 2],
                     list.ints[c.at + 3]);
        break;
      case Op::kLight:
        gl11Lightfv(c.a, c.b, f);
        break;
      case Op::kMaterial:
        gl11Materialfv(c.a, c.b, f);
        break;
    }
  }
}

}  // namespace gl11
