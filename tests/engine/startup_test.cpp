#include "session/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "platform/program_folder.h"
#include "platform/user_folders.h"
#include "split/sat_position_table.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

TEST(StartUp, CreatesTheWorkingFoldersAndTheDefaultSatelliteTable) {
  TempFolder folder;
  RecordingPlatform platform;
  Session session(platform, folder.path(), "");
  ASSERT_TRUE(StartUp(session));
  EXPECT_TRUE(IsFolder(folder / "VrkWork"));
  EXPECT_TRUE(IsFolder(folder / "VrkKeep"));
  EXPECT_TRUE(IsFolder(folder / "VrkResult"));
  EXPECT_EQ(ReadFile(folder / "VrkKeep/sat_position.txt"), DefaultSatPositionTable());
  EXPECT_TRUE(platform.messages.empty());
}

TEST(StartUp, KeepsTheUsersSatelliteTableAndExistingFolders) {
  TempFolder folder;
  CreateFolder(folder / "VrkKeep");
  WriteFile(folder / "VrkKeep/sat_position.txt", "mine\r\n");
  RecordingPlatform platform;
  Session session(platform, folder.path(), "");
  ASSERT_TRUE(StartUp(session));
  EXPECT_EQ(ReadFile(folder / "VrkKeep/sat_position.txt"), "mine\r\n");
  EXPECT_TRUE(IsFolder(folder / "VrkWork"));
}

TEST(StartUp, StartFolderEndsInExactlyOneSeparator) {
  RecordingPlatform platform;
  const std::string with = Session(platform, "/tmp/x/", "").workspace.settings.start_folder;
  const std::string without = Session(platform, "/tmp/x", "").workspace.settings.start_folder;
  EXPECT_EQ(with, "/tmp/x/");
  EXPECT_EQ(without, std::string("/tmp/x") + kFolderSeparator);
  EXPECT_EQ(Session(platform, "/", "").workspace.settings.start_folder, "/");
}

#ifndef _WIN32
// Where the tool takes its converters from when the system does not say where it runs from (no
// /proc): argv[0] as it was started, never a folder that a relative name would make of the
// current one.
TEST(ProgramFolder, ComesFromTheSystemElseFromHowTheProgramWasStarted) {
  TempFolder folder;
  CreateFolder(folder / "bin");
  for (const char* program : {"bin/tool", "tool", "bin/plain"}) {
    WriteFile(folder / program, "#!/bin/sh\n");
    if (std::string_view(program) != "bin/plain") {
      std::filesystem::permissions(folder / program, std::filesystem::perms::owner_all);
    }
  }
  const std::string here = folder.path();
  const std::string bin = folder / "bin/";
  struct Case {
    std::string system_answer, argv0, search_path, folder;
  };
  for (const Case& c : std::vector<Case>{
           {"/opt/vsm/", "bin/tool", "", "/opt/vsm/"},
           {"", "bin/tool", "", bin},
           {"", bin + "tool", "", bin},
           {"", "./tool", "", here + "./"},
           {"", "tool", "/nowhere:.::bin:" + bin, bin},  // relative entries name no folder
           {"", "tool", ".:bin", ""},
           {"", "bin/plain", "", ""},  // not executable
           {"", "plain", bin, ""},
           {"", "", bin, ""},
       }) {
    EXPECT_EQ(ProgramFolderFrom(c.system_answer, c.argv0, here, c.search_path), c.folder)
        << c.argv0 << " with PATH " << c.search_path;
  }
}
#endif

// The documents folder as xdg-user-dirs-update writes it into user-dirs.dirs: a shell file whose
// values are home-relative ("$HOME/...") or absolute, with \ before '"', '\', '$' and '`'.
TEST(DocumentsFolder, IsReadFromTheUserDirsFileAsTheDesktopWritesIt) {
  const std::string home = "/home/ann";
  const auto documents = [&home](std::string_view text) {
    return DocumentsFolderInUserDirs(text, home);
  };
  EXPECT_EQ(documents("# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                      "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n"),
            "/home/ann/Dokumente");
  EXPECT_EQ(documents("XDG_DOCUMENTS_DIR=\"/data/ann docs/\""), "/data/ann docs");
  EXPECT_EQ(documents("  XDG_DOCUMENTS_DIR = \"$HOME/say \\\"hi\\\" \\$5 \\\\ \\`x\\`\"\r\n"),
            "/home/ann/say \"hi\" $5 \\ `x`");
  EXPECT_EQ(documents("XDG_DOCUMENTS_DIR=\"$HOME/\"\n"), "/home/ann");  // switched off: home
  EXPECT_EQ(documents("XDG_DOCUMENTS_DIR=\"$HOME/A\"\nXDG_DOCUMENTS_DIR=\"$HOME/B\"\n"),
            "/home/ann/B");  // the last one counts, as in a shell
  // Anything else sets nothing: another name, a relative path, a missing quote.
  for (const std::string_view text :
       {"", "# XDG_DOCUMENTS_DIR=\"$HOME/Docs\"", "XDG_DOCUMENTS_DIRS=\"$HOME/Docs\"",
        "XDG_DOCUMENTS_DIR=\"Docs\"", "XDG_DOCUMENTS_DIR=$HOME/Docs", "XDG_DOCUMENTS_DIR=\"/Docs",
        "XDG_DOCUMENTS_DIR=\"$HOMEDocs\""}) {
    EXPECT_EQ(documents(text), "") << text;
  }
}

// Folder names on Windows: the start folder and the working folders end in exactly one "\", also
// at the root of a drive, and every path the tool builds uses "\" between folder and name.
class WindowsFolders : public testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    GTEST_SKIP() << "drive letters and \"\\\" as separator exist on Windows only";
#endif
  }
  std::string StartFolderFor(const std::string& current) {
    return Session(platform, current, "").workspace.settings.start_folder;
  }
  RecordingPlatform platform;
};

TEST_F(WindowsFolders, StartFolderGetsOneBackslash) {
  EXPECT_EQ(StartFolderFor("C:\\lists"), "C:\\lists\\");
  EXPECT_EQ(StartFolderFor("C:\\lists\\"), "C:\\lists\\");
  EXPECT_EQ(StartFolderFor("C:\\"), "C:\\");
  EXPECT_EQ(StartFolderFor("\\\\server\\share\\"), "\\\\server\\share\\");
}

TEST_F(WindowsFolders, WorkingPathsUseBackslashes) {
  const Session session(platform, "C:\\", "");
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
