// Windows-style file names ("Data\VorlErrors.txt") on the running system.
#include <cctype>
#include <string>
#include <vector>

#include "platform/platform.h"

#ifndef _WIN32
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace {

#ifndef _WIN32
bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

bool SameIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return i == a.size() && b[i] == '\0';
}

// The entry of `folder` whose name equals `name` ignoring case, or `name` itself when
// none does (so a file about to be created keeps the name it was given).
std::string MatchEntry(const std::string& folder, const std::string& name) {
  if (name.empty() || name == "." || name == "..") return name;
  const std::string candidate = folder.empty() ? name : folder + "/" + name;
  if (Exists(candidate)) return name;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return name;
  std::string found = name;
  while (dirent* entry = readdir(dir)) {
    if (SameIgnoringCase(name, entry->d_name)) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}
#endif

}  // namespace

std::string PlatformResolvePath(const char* path) {
  if (!path) return std::string();
#ifdef _WIN32
  return path;  // backslashes and case-insensitive names are native there
#else
  std::string unixPath(path);
  for (char& c : unixPath) {
    if (c == '\\') c = '/';
  }
  const bool absolute = !unixPath.empty() && unixPath[0] == '/';
  std::vector<std::string> parts;
  size_t start = absolute ? 1 : 0;
  while (start <= unixPath.size()) {
    size_t slash = unixPath.find('/', start);
    if (slash == std::string::npos) slash = unixPath.size();
    parts.push_back(unixPath.substr(start, slash - start));
    start = slash + 1;
  }
  std::string resolved = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string folder =
        resolved.empty() ? "" : (resolved == "/" ? "/" : resolved.substr(0, resolved.size()));
    std::string name = parts[i];
    if (!name.empty()) name = MatchEntry(folder == "/" ? "/" : folder, name);
    if (!resolved.empty() && resolved.back() != '/') resolved += '/';
    resolved += name;
  }
  return resolved;
#endif
}

FILE* PlatformOpenFile(const char* path, const char* mode) {
  if (!path || !mode) return nullptr;
  return std::fopen(PlatformResolvePath(path).c_str(), mode);
}
