// Message boxes and the cursor count on SDL2.
#include <cstdio>
#include <cstring>

#include "platform/sdl/sdl_internal.h"

int PlatformMessageBox(const char* text, const char* caption, uint32_t type) {
  if (!text) text = "";
  if (!caption) caption = "";
  const bool question = (type & 0x0F) == kMbYesNo;
  // Every box also goes to standard error, so a run without a screen still tells why.
  const size_t length = std::strlen(text);
  std::fprintf(stderr, "%s: %s%s", caption, text, length && text[length - 1] == '\n' ? "" : "\n");
  std::fflush(stderr);

  uint32_t flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  switch (type & 0xF0) {
    case kMbIconStop:
      flags |= SDL_MESSAGEBOX_ERROR;
      break;
    case kMbIconExclamation:
      flags |= SDL_MESSAGEBOX_WARNING;
      break;
    case kMbIconInformation:
      flags |= SDL_MESSAGEBOX_INFORMATION;
      break;
    default:
      break;
  }
  const SDL_MessageBoxButtonData okButtons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kIdOk,
       "OK"}};
  const SDL_MessageBoxButtonData questionButtons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kIdYes, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kIdNo, "No"}};
  SDL_MessageBoxData box{};
  box.flags = flags;
  box.window = nullptr;  // no owner
  box.title = caption;
  box.message = text;
  box.numbuttons = question ? 2 : 1;
  box.buttons = question ? questionButtons : okButtons;
  int answer = -1;
  // Without a display this fails at once; the text is on standard error already.
  if (SDL_ShowMessageBox(&box, &answer) != 0 || answer < 0) answer = question ? kIdNo : kIdOk;
  return answer;
}

// SDL's box is modal: PlatformMessageBox returns once it is answered.
bool PlatformMessageBoxOpen() {
  return false;
}

int PlatformShowCursor(bool show) {
  sdl_platform::State& state = sdl_platform::Get();
  state.cursorCount += show ? 1 : -1;
  if (SDL_WasInit(SDL_INIT_VIDEO)) {
    SDL_ShowCursor(state.cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  }
  return state.cursorCount;
}
