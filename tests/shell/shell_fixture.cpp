// Shared set-up for the shell's tests.
#include "tests/shell/shell_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "shell/error_log.h"
#include "shell/show_state.h"

ScratchDir::ScratchDir() {
  char buffer[4096];
  if (getcwd(buffer, sizeof buffer)) previous_ = buffer;
  std::string pattern = (std::filesystem::temp_directory_path() / "lumivex-shell-XXXXXX").string();
  if (mkdtemp(pattern.data())) path_ = pattern;
  if (path_.empty() || chdir(path_.c_str()) != 0) ADD_FAILURE() << "no scratch directory";
}

ScratchDir::~ScratchDir() {
  if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::abort();
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::Read(const std::string& relative) const {
  std::ifstream in(path_ + "/" + relative, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool ScratchDir::Exists(const std::string& relative) const {
  return std::filesystem::exists(path_ + "/" + relative);
}

void ShellTest::SetUp() {
  fake::Reset();
  ResetShowState();
}

void ShellTest::TearDown() {
  ErrorLogClose();
}
