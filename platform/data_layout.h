// Where a run finds the show's data folder and where writes into it go: the rules behind
// PlatformResolvePath and PlatformOpenFile, open to tests with a layout of their own.
#pragma once

#include <cstdio>
#include <string>

struct DataLayout {
  // Empty in a portable build (source checkout, unpacked tarball): "data\..." names the
  // data folder in the working folder, else the one beside the executable. In an installed
  // build, the folder the package put the pictures and the module in: reads of "data\..."
  // come from there, writes go to `stateFolder`, and nothing lands in the working folder.
  std::string installedData;
  std::string stateFolder;    // installed builds: the user's own folder for written files
  std::string programFolder;  // the executable's folder; empty when it cannot be known
};

// This run's layout: the build's install setting, $XDG_STATE_HOME or $HOME, and the
// executable's own location. Worked out on first use.
const DataLayout& CurrentDataLayout();

// "$XDG_STATE_HOME/lumivex", or "HOME/.local/state/lumivex" where XDG_STATE_HOME is unset,
// empty or relative (the XDG rules ignore relative paths); empty when neither is usable.
std::string StateFolderFor(const char* xdgStateHome, const char* home);

// `path` (Windows style) as a path of the running system under `layout`, for reading or,
// with `forWriting`, for creating or writing. Touches nothing.
std::string ResolvePathIn(const DataLayout& layout, const char* path, bool forWriting);

// fopen of ResolvePathIn's path; a write below the state folder creates that folder first
// (and the ones above it), private to the user. Null when there is nowhere to open.
FILE* OpenFileIn(const DataLayout& layout, const char* path, const char* mode);
