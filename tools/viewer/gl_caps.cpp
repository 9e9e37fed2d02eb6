// GL_VERSION ("2.1 Mesa 22.3.6", "4.5 (Compatibility Profile) Mesa ...") and GL_EXTENSIONS.
#include "tools/viewer/gl_caps.h"

#include <cstdio>
#include <cstring>

#include "platform/gl_api.h"

bool GLVersionAtLeast(int major, int minor) {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int haveMajor = 0, haveMinor = 0;
  if (!version || std::sscanf(version, "%d.%d", &haveMajor, &haveMinor) != 2) return false;
  return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}

bool GLHasExtension(const char* name) {
  const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  const size_t length = std::strlen(name);
  for (const char* at = list; at && (at = std::strstr(at, name)) != nullptr; at += length) {
    const bool starts = at == list || at[-1] == ' ';
    if (starts && (at[length] == ' ' || at[length] == '\0')) return true;
  }
  return false;
}
