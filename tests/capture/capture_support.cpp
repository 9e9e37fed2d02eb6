// Scratch folders and runs of the capture program for its end-to-end tests.
#include "tests/capture/capture_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string Quote(const std::string& word) {
  return "'" + word + "'";
}

TempFolder::TempFolder() {
  static int next = 0;
  path_ = fs::temp_directory_path() /
          ("lumivex_capture_" + std::to_string(getpid()) + "_" + std::to_string(next++));
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void LinkShowData(const TempFolder& folder, const std::string& leaveOut) {
  fs::create_directories(folder / "data");
  for (const auto& entry : fs::directory_iterator("data")) {
    const std::string name = entry.path().filename().string();
    if (name == leaveOut || name == "VorlErrors.txt") continue;
    fs::create_symlink(fs::absolute(entry.path()), folder / ("data/" + name));
  }
}

const TempFolder& ShowFolder() {
  static TempFolder folder;
  static bool linked = false;
  if (!linked) LinkShowData(folder);
  linked = true;
  return folder;
}

int Shell(const std::string& command, std::string* out) {
  const std::string outPath =
      (fs::temp_directory_path() / ("lumivex_capture_out_" + std::to_string(getpid()))).string();
  const int status = std::system((command + (out ? " >" + Quote(outPath) : "")).c_str());
  if (out) {
    const std::vector<uint8_t> bytes = ReadAll(outPath);
    out->assign(bytes.begin(), bytes.end());
    fs::remove(outPath);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

RunResult Capture(const std::string& args, const std::string& folder) {
  const std::string errPath =
      (fs::temp_directory_path() / ("lumivex_capture_err_" + std::to_string(getpid()))).string();
  const std::string command = "cd " + Quote(folder.empty() ? ShowFolder().str() : folder) + " && " +
                              Quote(LUMIVEX_CAPTURE) + " --quiet " + args + " 2>" + Quote(errPath);
  RunResult run;
  run.code = Shell(command, &run.out);
  const std::vector<uint8_t> err = ReadAll(errPath);
  run.err.assign(err.begin(), err.end());
  fs::remove(errPath);
  return run;
}
