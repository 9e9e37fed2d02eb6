// Windows-style file names ("Data\VorlErrors.txt") on the running system, and which data
// folder they reach: the one beside the program, or the one a package installed.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lumivex/build_info.h"  // LUMIVEX_DATA_DIR: set for installed builds only
#include "platform/data_layout.h"
#include "platform/platform.h"

#ifndef _WIN32
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

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

// `name` inside `folder` ("" is the working folder).
std::string Inside(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The entry of `folder` whose name equals `name` ignoring case, or `name` itself when
// none does (so a file about to be created keeps the name it was given).
std::string MatchEntry(const std::string& folder, const std::string& name) {
  if (name.empty() || name == "." || name == "..") return name;
  if (Exists(Inside(folder, name))) return name;
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

// The folder names of a path, '\' and '/' both separating; an empty name where two
// separators meet or one ends the path.
std::vector<std::string> SplitNames(const std::string& path, size_t start) {
  std::vector<std::string> names;
  while (start <= path.size()) {
    size_t slash = path.find_first_of("/\\", start);
    if (slash == std::string::npos) slash = path.size();
    names.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return names;
}

// `names[first..]` below `base` ("" for the working folder), each matched ignoring case.
std::string ResolveBelow(std::string resolved, const std::vector<std::string>& names,
                         size_t first) {
  for (size_t i = first; i < names.size(); ++i) {
    const std::string name = names[i].empty() ? names[i] : MatchEntry(resolved, names[i]);
    if (!resolved.empty() && resolved.back() != '/') resolved += '/';
    resolved += name;
  }
  return resolved;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0]) return home;
  const passwd* user = getpwuid(getuid());
  return user && user->pw_dir ? user->pw_dir : "";
}

std::string ProgramFolder() {
  char buffer[4096];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return std::string();
  const std::string program(buffer, static_cast<size_t>(length));
  const size_t slash = program.rfind('/');
  return slash == std::string::npos ? std::string() : program.substr(0, slash ? slash : 1);
}

// Creates `folder` and the folders above it that are missing, private to the user as the
// XDG rules ask of the state folder.
void MakeFolders(const std::string& folder) {
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    mkdir(folder.substr(0, slash).c_str(), 0700);
    if (slash == std::string::npos) break;
  }
}
#endif

}  // namespace

std::string StateFolderFor(const char* xdgStateHome, const char* home) {
  if (xdgStateHome && xdgStateHome[0] == '/') {
    return WithoutTrailingSlashes(xdgStateHome) + "/lumivex";
  }
  if (home && home[0] == '/') {
    return WithoutTrailingSlashes(home) + "/.local/state/lumivex";
  }
  return std::string();
}

const DataLayout& CurrentDataLayout() {
  static const DataLayout layout = [] {
    DataLayout made;
#ifndef _WIN32
    made.installedData = WithoutTrailingSlashes(LUMIVEX_DATA_DIR);
    if (!made.installedData.empty()) {
      made.stateFolder = StateFolderFor(std::getenv("XDG_STATE_HOME"), HomeFolder().c_str());
    }
    made.programFolder = ProgramFolder();
#endif
    return made;
  }();
  return layout;
}

std::string ResolvePathIn(const DataLayout& layout, const char* path, bool forWriting) {
  if (!path) return std::string();
#ifdef _WIN32
  (void)layout;
  (void)forWriting;
  return path;  // backslashes and case-insensitive names are native there
#else
  const std::string given(path);
  if (!given.empty() && (given[0] == '/' || given[0] == '\\')) {
    return ResolveBelow("/", SplitNames(given, 1), 0);
  }
  const std::vector<std::string> names = SplitNames(given, 0);
  if (!layout.installedData.empty()) {
    if (!SameIgnoringCase(names[0], "data")) return ResolveBelow("", names, 0);
    if (!forWriting) return ResolveBelow(layout.installedData, names, 1);
    // No state folder (no home at all): nowhere to write, rather than the working folder.
    if (layout.stateFolder.empty()) return std::string();
    return ResolveBelow(layout.stateFolder, names, 1);
  }
  // Portable: the working folder's entry when it has one, else the executable's folder's.
  if (!names[0].empty() && !layout.programFolder.empty() && !Exists(MatchEntry("", names[0]))) {
    const std::string besideProgram =
        Inside(layout.programFolder, MatchEntry(layout.programFolder, names[0]));
    if (Exists(besideProgram)) return ResolveBelow(layout.programFolder, names, 0);
  }
  return ResolveBelow("", names, 0);
#endif
}

std::string PlatformResolvePath(const char* path) {
  return ResolvePathIn(CurrentDataLayout(), path, false);
}

FILE* OpenFileIn(const DataLayout& layout, const char* path, const char* mode) {
  if (!path || !mode) return nullptr;
  const bool writing = std::strpbrk(mode, "wa+") != nullptr;
  const std::string resolved = ResolvePathIn(layout, path, writing);
  if (resolved.empty()) return nullptr;
#ifndef _WIN32
  const std::string& state = layout.stateFolder;
  if (writing && !state.empty() && resolved.compare(0, state.size() + 1, state + "/") == 0) {
    MakeFolders(state);
  }
#endif
  return std::fopen(resolved.c_str(), mode);
}

FILE* PlatformOpenFile(const char* path, const char* mode) {
  return OpenFileIn(CurrentDataLayout(), path, mode);
}
