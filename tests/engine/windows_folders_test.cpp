// Folder names on Windows: the start folder and the working folders end in exactly one "\", also
// at the root of a drive, and every path the tool builds uses "\" between folder and name.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "recording_platform.h"
#include "session/session.h"

namespace vsm {
namespace {

class WindowsFolders : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    GTEST_SKIP() << "drive letters and \"\\\" as separator exist on Windows only";
#endif
  }
  std::string StartFolderFor(const std::string& current) {
    return Session(platform, current).workspace.settings.start_folder;
  }
  testing::RecordingPlatform platform;
};

TEST_F(WindowsFolders, StartFolderGetsOneBackslash) {
  EXPECT_EQ(StartFolderFor("C:\\lists"), "C:\\lists\\");
  EXPECT_EQ(StartFolderFor("C:\\lists\\"), "C:\\lists\\");
  EXPECT_EQ(StartFolderFor("C:\\"), "C:\\");
  EXPECT_EQ(StartFolderFor("\\\\server\\share\\"), "\\\\server\\share\\");
}

TEST_F(WindowsFolders, WorkingPathsUseBackslashes) {
  const Session session(platform, "C:\\");
  const Settings& settings = session.workspace.settings;
  EXPECT_EQ(settings.WorkPath("a.vrk.txt"), "C:\\VrkWork\\a.vrk.txt");
  EXPECT_EQ(settings.KeepPath("sat_position.txt"), "C:\\VrkKeep\\sat_position.txt");
  EXPECT_EQ(settings.ResultPath("19.2E.vrk"), "C:\\VrkResult\\19.2E.vrk");
}

TEST_F(WindowsFolders, CurrentFolderAtTheRootOfADriveKeepsItsOneBackslash) {
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(before.root_path());
  const std::string current = CurrentFolder();
  std::filesystem::current_path(before);
  ASSERT_EQ(current.size(), 3u) << current;  // "X:\"
  EXPECT_EQ(current.substr(1), ":\\");
  EXPECT_EQ(StartFolderFor(current), current);
}

}  // namespace
}  // namespace vsm
