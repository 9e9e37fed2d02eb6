// Shared set-up for the shell's tests: the show's state back as the program starts, a
// fresh scripted platform, and a scratch working directory.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fake_platform.h"

// A new empty directory that is the working directory while the object lives.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& path() const { return path_; }
  // The whole content of a file below the directory ("" when it does not exist).
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;

 private:
  std::string path_;
  std::string previous_;
};

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  ScratchDir scratch_;  // no data folder: loading reports its failures into fake boxes
};
