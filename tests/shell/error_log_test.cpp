// The error log: the file's exact bytes, one line per report however long, '%' kept,
// and reports that still reach the user when the file cannot be made.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/error_log.h"
#include "tests/shell/shell_fixture.h"

namespace {

constexpr char kBanner[] = " .:Vorlen Engine Errors File:.\n\n\n";

class ErrorLogTest : public ShellTest {
 protected:
  // The log as it is on disk once the stream is flushed.
  std::string Log() {
    if (logFile) std::fflush(logFile);
    return scratch_.Read("data/VorlErrors.txt");
  }
};

TEST_F(ErrorLogTest, OpeningWritesExactlyTheBannerAndEmptiesAnOldLog) {
  std::filesystem::create_directory("data");
  std::ofstream("data/VorlErrors.txt") << "a report from the previous run\n";
  ErrorLogOpen();
  ASSERT_NE(logFile, nullptr);
  EXPECT_EQ(Log(), kBanner);
  EXPECT_FALSE(scratch_.Exists("Data"));  // "Data" found the existing "data"
  EXPECT_TRUE(fake::state.boxes.empty());
}

TEST_F(ErrorLogTest, ReportsAreLinesInOrderAndBoxesWithTheSameText) {
  std::filesystem::create_directory("data");
  ErrorLogOpen();
  ErrorLogReport("qenLoadJPEGTexture", "data\\mur.jpg", 0);
  ErrorLogReport("Quenra3D_Music", "Music File Not Found", 7);

  const std::string first = "qenLoadJPEGTexture -> data\\mur.jpg   [0]\n";
  const std::string second = "Quenra3D_Music -> Music File Not Found   [7]\n";
  EXPECT_EQ(Log(), kBanner + first + second);
  ASSERT_EQ(fake::state.boxes.size(), 2u);
  EXPECT_EQ(fake::state.boxes[0].text, first);
  EXPECT_EQ(fake::state.boxes[1].text, second);
  for (const fake::Box& box : fake::state.boxes) {
    EXPECT_EQ(box.caption, "Vorlen - ERROR");
    EXPECT_EQ(box.type, kMbOk);  // no icon
  }
  // The cursor shows for each box and hides again afterwards.
  EXPECT_EQ(fake::state.cursorCount, 0);
  const std::vector<std::string> around(fake::state.calls.begin(), fake::state.calls.begin() + 3);
  EXPECT_EQ(around, (std::vector<std::string>{"ShowCursor 1", "MessageBox Vorlen - ERROR",
                                              "ShowCursor 0"}));
}

// Read from disk without touching the stream: what a kill while the box is up would leave.
TEST_F(ErrorLogTest, TheBannerAndEachReportAreOnDiskBeforeItsBoxShows) {
  std::filesystem::create_directory("data");
  ErrorLogOpen();
  EXPECT_EQ(scratch_.Read("data/VorlErrors.txt"), kBanner);
  std::vector<std::string> onDisk;
  fake::state.onBox = [&] { onDisk.push_back(scratch_.Read("data/VorlErrors.txt")); };
  ErrorLogReport("qenLoadJPEGTexture", "data\\mur.jpg", 0);
  ErrorLogReport("Draw_Particle", "Unable To Allocate Memory For Particles", 0);

  const std::string first = std::string(kBanner) + "qenLoadJPEGTexture -> data\\mur.jpg   [0]\n";
  ASSERT_EQ(onDisk.size(), 2u);
  EXPECT_EQ(onDisk[0], first);
  EXPECT_EQ(onDisk[1], first + "Draw_Particle -> Unable To Allocate Memory For Particles   [0]\n");
}

TEST_F(ErrorLogTest, PercentSignsAreWrittenUnchanged) {
  std::filesystem::create_directory("data");
  ErrorLogOpen();
  ErrorLogReport("%s%n", "data\\100%d%%.jpg", 0);
  EXPECT_EQ(Log(), std::string(kBanner) + "%s%n -> data\\100%d%%.jpg   [0]\n");
}

TEST_F(ErrorLogTest, AnOverlongEntryIsCutToOneLineOf199Characters) {
  std::filesystem::create_directory("data");
  ErrorLogOpen();
  const std::string longName(500, 'x');
  ErrorLogReport("qenLoadJPEGTexture", longName.c_str(), 0);
  ErrorLogReport("Draw_Particle", "short", 0);

  const std::string cut = "qenLoadJPEGTexture -> " + std::string(199 - 22 - 1, 'x') + "\n";
  ASSERT_EQ(cut.size(), 199u);
  EXPECT_EQ(Log(), kBanner + cut + "Draw_Particle -> short   [0]\n");
  ASSERT_EQ(fake::state.boxes.size(), 2u);
  EXPECT_EQ(fake::state.boxes[0].text, cut);
}

TEST_F(ErrorLogTest, WithoutADataFolderReportsStillShowAndNothingIsWritten) {
  ErrorLogOpen();
  EXPECT_EQ(logFile, nullptr);
  ErrorLogReport("qenLoadJPEGTexture", "data\\mur.jpg", 0);
  ASSERT_EQ(fake::state.boxes.size(), 1u);
  EXPECT_EQ(fake::state.boxes[0].text, "qenLoadJPEGTexture -> data\\mur.jpg   [0]\n");
  EXPECT_TRUE(std::filesystem::is_empty(scratch_.path()));
}

TEST_F(ErrorLogTest, OpeningTwiceKeepsOneStreamOnTheNewFile) {
  std::filesystem::create_directory("data");
  ErrorLogOpen();
  ErrorLogReport("Draw_Particle", "first run", 0);
  ErrorLogOpen();
  EXPECT_EQ(Log(), kBanner);
}

}  // namespace
