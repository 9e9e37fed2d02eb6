// Windows-style names on this system: separators, names matched ignoring case only where
// the exact name does not exist, and which data folder a name reaches in a portable and in
// an installed build.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/data_layout.h"
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

// A portable build (source checkout, unpacked tarball): the working folder's data folder
// first, then the one beside the executable, as one unit: a picture missing from the
// working folder's copy is not fetched from the other.
TEST_F(PathsTest, PortableRunsUseTheWorkingFolderFirstThenTheProgramFolder) {
  DataLayout layout;
  layout.programFolder = (root_ / "unpacked").string();
  fs::create_directories("unpacked/data");
  Touch("unpacked/data/tarnel.jpg");
  Touch("unpacked/data/mur.jpg");
  const std::string beside = layout.programFolder + "/data/";
  EXPECT_EQ(ResolvePathIn(layout, "data\\tarnel.jpg", false), beside + "tarnel.jpg");
  EXPECT_EQ(ResolvePathIn(layout, "Data\\VorlErrors.txt", true), beside + "VorlErrors.txt");
  FILE* log = OpenFileIn(layout, "Data\\VorlErrors.txt", "wt");
  ASSERT_NE(log, nullptr);
  std::fclose(log);
  EXPECT_TRUE(fs::exists("unpacked/data/VorlErrors.txt"));
  EXPECT_FALSE(fs::exists("data"));

  fs::create_directory("Data");
  Touch("Data/tarnel.jpg");
  EXPECT_EQ(ResolvePathIn(layout, "data\\tarnel.jpg", false), "Data/tarnel.jpg");
  EXPECT_EQ(ResolvePathIn(layout, "data\\mur.jpg", false), "Data/mur.jpg");
  EXPECT_EQ(ResolvePathIn(layout, "Data\\VorlErrors.txt", true), "Data/VorlErrors.txt");
  // Names outside any data folder stay in the working folder.
  EXPECT_EQ(ResolvePathIn(layout, "test.txt", true), "test.txt");
}

TEST_F(PathsTest, PortableRunsWithoutAnyDataFolderKeepTheWorkingFolderName) {
  DataLayout layout;
  layout.programFolder = (root_ / "bin").string();
  fs::create_directory("bin");
  EXPECT_EQ(ResolvePathIn(layout, "Data\\VorlErrors.txt", true), "Data/VorlErrors.txt");
  EXPECT_EQ(OpenFileIn(layout, "Data\\VorlErrors.txt", "wt"), nullptr);
  EXPECT_TRUE(fs::is_empty(root_ / "bin"));
}

class InstalledPathsTest : public PathsTest {
 protected:
  void SetUp() override {
    PathsTest::SetUp();
    fs::create_directories("usr/share/games/lumivex/data");
    Touch("usr/share/games/lumivex/data/kavra#2.jpg");
    Touch("usr/share/games/lumivex/data/lumivex.xm");
    layout_.installedData = (root_ / "usr/share/games/lumivex/data").string();
    layout_.stateFolder = (root_ / "home/.local/state/lumivex").string();
    layout_.programFolder = (root_ / "usr/games").string();
    fs::create_directory("work");
    fs::current_path("work");
  }
  DataLayout layout_;
};

TEST_F(InstalledPathsTest, ReadsComeFromTheInstalledFolderWhateverTheWorkingFolderHolds) {
  fs::create_directory("data");
  Touch("data/kavra#2.jpg");
  EXPECT_EQ(ResolvePathIn(layout_, "data\\Kavra#2.JPG", false),
            layout_.installedData + "/kavra#2.jpg");
  EXPECT_EQ(ResolvePathIn(layout_, "DATA\\lumivex.xm", false),
            layout_.installedData + "/lumivex.xm");
  FILE* module = OpenFileIn(layout_, "data\\lumivex.xm", "rb");
  ASSERT_NE(module, nullptr);
  std::fclose(module);
  EXPECT_EQ(OpenFileIn(layout_, "data\\missing.jpg", "rb"), nullptr);
  // Only the data folder is the package's: other relative names are the caller's own.
  EXPECT_EQ(ResolvePathIn(layout_, "Data\\..\\notes.txt", false),
            layout_.installedData + "/../notes.txt");
  EXPECT_EQ(ResolvePathIn(layout_, "datafile.txt", false), "datafile.txt");
}

TEST_F(InstalledPathsTest, TheLogGoesToAPrivateStateFolderAndNothingToTheWorkingFolder) {
  EXPECT_EQ(ResolvePathIn(layout_, "Data\\VorlErrors.txt", true),
            layout_.stateFolder + "/VorlErrors.txt");
  FILE* log = OpenFileIn(layout_, "Data\\VorlErrors.txt", "wt");
  ASSERT_NE(log, nullptr);
  std::fputs("banner\n", log);
  std::fclose(log);
  EXPECT_TRUE(fs::is_empty(fs::current_path()));
  EXPECT_TRUE(fs::exists(layout_.stateFolder + "/VorlErrors.txt"));
  EXPECT_FALSE(fs::exists(layout_.installedData + "/VorlErrors.txt"));
  // The folders made on the way are the user's alone, as the XDG rules ask.
  for (const char* made : {"home/.local", "home/.local/state", "home/.local/state/lumivex"}) {
    struct stat info;
    ASSERT_EQ(stat((root_ / made).c_str(), &info), 0) << made;
    EXPECT_EQ(info.st_mode & 0777, 0700u) << made;
  }
  // A second run finds the folder there and writes the log afresh.
  log = OpenFileIn(layout_, "Data\\VorlErrors.txt", "wt");
  ASSERT_NE(log, nullptr);
  std::fclose(log);
  EXPECT_EQ(fs::file_size(layout_.stateFolder + "/VorlErrors.txt"), 0u);
}

TEST_F(InstalledPathsTest, WithoutAStateFolderNothingIsWritten) {
  layout_.stateFolder.clear();
  EXPECT_EQ(ResolvePathIn(layout_, "Data\\VorlErrors.txt", true), "");
  EXPECT_EQ(OpenFileIn(layout_, "Data\\VorlErrors.txt", "wt"), nullptr);
  EXPECT_TRUE(fs::is_empty(fs::current_path()));
}

TEST(StateFolderTest, FollowsXdgStateHomeElseTheHomeFolder) {
  EXPECT_EQ(StateFolderFor("/tmp/state", "/home/ada"), "/tmp/state/lumivex");
  EXPECT_EQ(StateFolderFor("/tmp/state//", "/home/ada"), "/tmp/state/lumivex");
  EXPECT_EQ(StateFolderFor(nullptr, "/home/ada"), "/home/ada/.local/state/lumivex");
  EXPECT_EQ(StateFolderFor("", "/home/ada/"), "/home/ada/.local/state/lumivex");
  // A relative XDG_STATE_HOME is invalid and ignored; so is a relative home.
  EXPECT_EQ(StateFolderFor("state", "/home/ada"), "/home/ada/.local/state/lumivex");
  EXPECT_EQ(StateFolderFor(nullptr, "ada"), "");
  EXPECT_EQ(StateFolderFor(nullptr, nullptr), "");
}

TEST(DataLayoutTest, ThisBuildIsPortableAndKnowsItsProgramFolder) {
  const DataLayout& layout = CurrentDataLayout();
  EXPECT_TRUE(layout.installedData.empty());
  EXPECT_TRUE(layout.stateFolder.empty());
  ASSERT_FALSE(layout.programFolder.empty());
  EXPECT_TRUE(fs::exists(layout.programFolder + "/platform_paths_test"));
}

}  // namespace
