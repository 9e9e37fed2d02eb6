// Key scripts: parsing, the default tour, and the keys held at a frame.
#include "tools/capture/key_script.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

#include "platform/platform.h"

namespace {

// Upper bound for frame numbers: a day at 240 frames per second, far past any capture,
// and small enough that no arithmetic on it overflows.
constexpr int64_t kMaxFrame = 240LL * 60 * 60 * 24;

struct KeyName {
  const char* name;
  uint8_t key;
};
constexpr KeyName kKeyNames[] = {
    {"left", kScriptLeft}, {"right", kScriptRight}, {"up", kScriptUp},  {"down", kScriptDown},
    {"1", kScriptSet1},    {"2", kScriptSet2},      {"3", kScriptSet3},
};

std::string Lower(std::string word) {
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

// A whole word of decimal digits, within 0..kMaxFrame.
bool ParseFrame(const std::string& word, int64_t* frame) {
  if (word.empty() || word.size() > 12) return false;
  for (char c : word) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  *frame = std::strtoll(word.c_str(), nullptr, 10);
  return *frame <= kMaxFrame;
}

}  // namespace

bool KeyScript::Parse(const std::string& text, std::string* error) {
  ranges_.clear();
  length_ = 0;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    const size_t comment = line.find('#');
    if (comment != std::string::npos) line.resize(comment);
    std::istringstream words(line);
    std::string span;
    if (!(words >> span)) continue;  // blank or comment only
    const std::string where = "line " + std::to_string(number) + ": ";
    KeyRange range{0, 0, 0};
    const size_t dash = span.find('-');
    const std::string firstWord = span.substr(0, dash);
    const std::string lastWord = dash == std::string::npos ? firstWord : span.substr(dash + 1);
    if (!ParseFrame(firstWord, &range.first) || !ParseFrame(lastWord, &range.last)) {
      *error = where + "\"" + span + "\" is not a frame or a range FIRST-LAST";
      return false;
    }
    if (range.last < range.first) {
      *error = where + "the range " + span + " ends before it starts";
      return false;
    }
    std::string word;
    while (words >> word) {
      uint8_t key = 0;
      for (const KeyName& known : kKeyNames) {
        if (Lower(word) == known.name) key = known.key;
      }
      if (!key) {
        *error = where + "unknown key \"" + word + "\" (keys: left right up down 1 2 3)";
        return false;
      }
      range.keys |= key;
    }
    ranges_.push_back(range);
    if (range.last + 1 > length_) length_ = range.last + 1;
  }
  if (ranges_.empty()) {
    *error = "the script names no frames";
    return false;
  }
  return true;
}

uint8_t KeyScript::KeysAt(int64_t frame) const {
  uint8_t keys = 0;
  for (const KeyRange& range : ranges_) {
    if (frame >= range.first && frame <= range.last) keys |= range.keys;
  }
  return keys;
}

const char* DefaultTourText() {
  // Steps are per frame: Right turns 0.8 degrees, so 450 frames make a full turn; Up and
  // Down move 0.1, and the room stops the viewer at 1.5 forward and 1.8 back.
  return "# The default tour, in gallery frames.\n"
         "0-59                 # set 1, standing still\n"
         "60-509 right         # look all around the room\n"
         "510-539\n"
         "540-569 up           # walk forward to the front limit\n"
         "570-599\n"
         "600-639 down         # and back to the rear limit\n"
         "640-669\n"
         "670-687 up           # back to the middle\n"
         "688-719\n"
         "720 2                # set 2, turning half round\n"
         "750-974 left\n"
         "975-1004\n"
         "1005 3               # set 3: only the back-wall picture\n"
         "1035-1259 left       # the rest of the way round\n"
         "1260-1289\n"
         "1290 1               # set 1 again\n"
         "1291-1379\n";
}

void HoldScriptKeys(uint8_t keys, uint8_t* table) {
  table[kVkLeft] = (keys & kScriptLeft) ? 1 : 0;
  table[kVkRight] = (keys & kScriptRight) ? 1 : 0;
  table[kVkUp] = (keys & kScriptUp) ? 1 : 0;
  table[kVkDown] = (keys & kScriptDown) ? 1 : 0;
  table[kVk1] = (keys & kScriptSet1) ? 1 : 0;
  table[kVk2] = (keys & kScriptSet2) ? 1 : 0;
  table[kVk3] = (keys & kScriptSet3) ? 1 : 0;
}
