// What the capture's end-to-end tests share: scratch folders, a folder to run the show in,
// and the program run as a user runs it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

std::vector<uint8_t> ReadAll(const std::string& path);
// A word quoted for the shell (no quotes inside).
std::string Quote(const std::string& word);

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// data/ in `folder`: links to the repository's files, less `leaveOut`, so runs write their
// error log there and never into the repository.
void LinkShowData(const TempFolder& folder, const std::string& leaveOut = "");
// A folder with all the show's data, made once.
const TempFolder& ShowFolder();

struct RunResult {
  int code = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};
// Runs lumivex-capture --quiet ARGS in `folder` (ShowFolder() unless given).
RunResult Capture(const std::string& args, const std::string& folder = "");
// Runs a shell command; its exit code, and its standard output in `out` where given.
int Shell(const std::string& command, std::string* out = nullptr);
