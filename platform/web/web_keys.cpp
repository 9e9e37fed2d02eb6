// DOM keyboard events to Windows virtual-key codes, by KeyboardEvent.code: the key's
// place on the keyboard, so the digits work on any layout.
#include <cstdlib>
#include <cstring>

#include "platform/web/web_internal.h"

uint32_t VirtualKeyFromCode(const char* code) {
  if (!code) return 0;
  // "KeyA".."KeyZ", "Digit0".."Digit9", "F1".."F12".
  if (std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && !code[4]) {
    return static_cast<uint32_t>(code[3]);
  }
  if (std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9' && !code[6]) {
    return static_cast<uint32_t>(code[5]);
  }
  if (code[0] == 'F' && std::strspn(code + 1, "0123456789") == std::strlen(code + 1) && code[1]) {
    const int n = std::atoi(code + 1);
    if (n >= 1 && n <= 12) return 0x70u + static_cast<uint32_t>(n - 1);
    return 0;
  }
  struct Named {
    const char* code;
    uint32_t vk;
  };
  static constexpr Named kNamed[] = {
      {"Escape", kVkEscape},       {"ArrowLeft", kVkLeft},       {"ArrowUp", kVkUp},
      {"ArrowRight", kVkRight},    {"ArrowDown", kVkDown},       {"Enter", kVkReturn},
      {"NumpadEnter", kVkReturn},  {"Space", kVkSpace},          {"Tab", kVkTab},
      {"Backspace", kVkBack},      {"ShiftLeft", kVkShift},      {"ShiftRight", kVkShift},
      {"ControlLeft", kVkControl}, {"ControlRight", kVkControl}, {"AltLeft", kVkMenu},
      {"AltRight", kVkMenu},       {"PageUp", kVkPrior},         {"PageDown", kVkNext},
  };
  for (const Named& n : kNamed) {
    if (std::strcmp(code, n.code) == 0) return n.vk;
  }
  return 0;
}

bool ShowUsesKey(uint32_t vk) {
  return vk == kVkEscape || vk == kVkLeft || vk == kVkRight || vk == kVkUp || vk == kVkDown ||
         vk == kVk1 || vk == kVk2 || vk == kVk3 || vk == kVkSpace;
}
