// The keys the capture holds in the gallery, frame by frame. A script is text, one line
// per frame range: "FIRST-LAST key key ..." or "FRAME key ...", frames counted from the
// first gallery frame (0), both ends included; keys are left, right, up, down, 1, 2, 3.
// A range with no keys holds nothing but still lengthens the tour. '#' starts a comment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Keys of a script as bits.
enum ScriptKey : uint8_t {
  kScriptLeft = 1,
  kScriptRight = 2,
  kScriptUp = 4,
  kScriptDown = 8,
  kScriptSet1 = 16,
  kScriptSet2 = 32,
  kScriptSet3 = 64,
};

struct KeyRange {
  int64_t first;
  int64_t last;
  uint8_t keys;
};

class KeyScript {
 public:
  // Parses `text`; false with `error` naming the line ("line 3: ...") on a bad line.
  bool Parse(const std::string& text, std::string* error);
  // The keys held at gallery frame `frame` (the union of every range holding it).
  uint8_t KeysAt(int64_t frame) const;
  // Gallery frames the tour lasts: one past the last frame any range names.
  int64_t Length() const { return length_; }
  const std::vector<KeyRange>& ranges() const { return ranges_; }

 private:
  std::vector<KeyRange> ranges_;
  int64_t length_ = 0;
};

// The default tour: look all around the room, walk forward and back, show sets 2, 3, 1.
const char* DefaultTourText();

// Writes the virtual-key flags of `keys` into a 256-entry key table (others untouched).
void HoldScriptKeys(uint8_t keys, uint8_t* table);
