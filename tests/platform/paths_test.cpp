// Windows-style names on this system: separators, and names matched ignoring case only
// where the exact name does not exist.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "lumivex-paths-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::current_path(root_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(root_);
  }
  static void Touch(const std::string& path) { std::ofstream(path) << "x"; }
  fs::path previous_, root_;
};

TEST_F(PathsTest, TheLogNameLandsInTheLowerCaseDataFolder) {
  fs::create_directory("data");
  EXPECT_EQ(PlatformResolvePath("Data\\VorlErrors.txt"), "data/VorlErrors.txt");
  FILE* file = PlatformOpenFile("Data\\VorlErrors.txt", "wt");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  EXPECT_TRUE(fs::exists("data/VorlErrors.txt"));
  EXPECT_FALSE(fs::exists("Data"));
}

TEST_F(PathsTest, ExistingNamesAreFoundIgnoringCaseAtEveryLevel) {
  fs::create_directories("Data/Sub");
  Touch("Data/Sub/Kavra#2.JPG");
  EXPECT_EQ(PlatformResolvePath("data\\sub\\kavra#2.jpg"), "Data/Sub/Kavra#2.JPG");
  FILE* file = PlatformOpenFile("DATA\\SUB\\KAVRA#2.jpg", "rb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
}

TEST_F(PathsTest, AnExactNameWinsOverOneThatDiffersInCase) {
  fs::create_directory("data");
  Touch("data/mur.jpg");
  Touch("data/MUR.jpg");
  EXPECT_EQ(PlatformResolvePath("data\\MUR.jpg"), "data/MUR.jpg");
  EXPECT_EQ(PlatformResolvePath("data\\mur.jpg"), "data/mur.jpg");
}

TEST_F(PathsTest, MissingNamesKeepTheirSpelling) {
  EXPECT_EQ(PlatformResolvePath("Data\\VorlErrors.txt"), "Data/VorlErrors.txt");
  fs::create_directory("data");
  EXPECT_EQ(PlatformResolvePath("data\\Missing.TXT"), "data/Missing.TXT");
  EXPECT_EQ(PlatformOpenFile("data\\missing.jpg", "rb"), nullptr);
  EXPECT_EQ(PlatformOpenFile(nullptr, "rb"), nullptr);
}

TEST_F(PathsTest, AbsolutePathsStayAbsolute) {
  fs::create_directory("Pics");
  Touch("Pics/a.jpg");
  const std::string windowsStyle = root_.string() + "\\pics\\A.JPG";
  EXPECT_EQ(PlatformResolvePath(windowsStyle.c_str()), root_.string() + "/Pics/a.jpg");
}

}  // namespace
