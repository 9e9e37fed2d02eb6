// Message boxes and the cursor's display count on Win32.
#include <cstdio>
#include <cstring>

#include "platform/win32/win32_internal.h"

int PlatformMessageBox(const char* text, const char* caption, uint32_t type) {
  if (!text) text = "";
  if (!caption) caption = "";
  const bool question = (type & MB_TYPEMASK) == MB_YESNO;
  // The text also goes to standard error: a window program started from a console (or
  // under Wine) still leaves the reason where it was started.
  const size_t length = std::strlen(text);
  std::fprintf(stderr, "%s: %s%s", caption, text, length && text[length - 1] == '\n' ? "" : "\n");
  std::fflush(stderr);
  const int answer = MessageBoxA(nullptr, text, caption, type);
  // 0: the box could not be shown; it counts as OK, or No for a question.
  if (answer == 0) return question ? kIdNo : kIdOk;
  return answer;
}

// MessageBoxA is modal: PlatformMessageBox returns once it is answered.
bool PlatformMessageBoxOpen() {
  return false;
}

int PlatformShowCursor(bool show) {
  return ShowCursor(show ? TRUE : FALSE);
}
