#include "app/startup.h"

#include <gtest/gtest.h>

#include "app/headless_runner.h"
#include "app/sat_position_table.h"
#include "platform/files.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using testing::ReadFile;
using testing::WriteFile;

TEST(StartUp, CreatesTheWorkingFoldersAndTheDefaultSatelliteTable) {
  testing::TempFolder folder;
  testing::RecordingPlatform platform;
  Session session(platform, folder.path());
  StartUp(session);
  EXPECT_TRUE(IsFolder(folder / "VrkWork"));
  EXPECT_TRUE(IsFolder(folder / "VrkKeep"));
  EXPECT_TRUE(IsFolder(folder / "VrkResult"));
  EXPECT_EQ(ReadFile(folder / "VrkKeep/sat_position.txt"), DefaultSatPositionTable());
  EXPECT_EQ(session.workspace.settings.program_folder, ExecutableFolder());
  EXPECT_TRUE(platform.messages.empty());
}

TEST(StartUp, KeepsTheUsersSatelliteTableAndExistingFolders) {
  testing::TempFolder folder;
  CreateFolder(folder / "VrkKeep");
  WriteFile(folder / "VrkKeep/sat_position.txt", "mine\r\n");
  testing::RecordingPlatform platform;
  Session session(platform, folder.path());
  StartUp(session);
  EXPECT_EQ(ReadFile(folder / "VrkKeep/sat_position.txt"), "mine\r\n");
  EXPECT_TRUE(IsFolder(folder / "VrkWork"));
}

TEST(StartUp, StartFolderEndsInExactlyOneSeparator) {
  testing::RecordingPlatform platform;
  const std::string with = Session(platform, "/tmp/x/").workspace.settings.start_folder;
  const std::string without = Session(platform, "/tmp/x").workspace.settings.start_folder;
  EXPECT_EQ(with, "/tmp/x/");
  EXPECT_EQ(without, std::string("/tmp/x") + kFolderSeparator);
  EXPECT_EQ(Session(platform, "/").workspace.settings.start_folder, "/");
}

TEST(CommandLine, RunTakesAFileAndAnOptionalTrace) {
  CommandLine line = ParseCommandLine({"--run", "job.txt"});
  EXPECT_EQ(line.mode, CommandLine::Mode::run);
  EXPECT_EQ(line.file, "job.txt");
  EXPECT_FALSE(line.trace);

  line = ParseCommandLine({"--trace", "--run", "--trace"});  // the file may look like an option
  EXPECT_EQ(line.mode, CommandLine::Mode::run);
  EXPECT_EQ(line.file, "--trace");
  EXPECT_TRUE(line.trace);

  EXPECT_EQ(ParseCommandLine({}).mode, CommandLine::Mode::window);
  EXPECT_EQ(ParseCommandLine({"--run", "x", "--help"}).mode, CommandLine::Mode::help);
  EXPECT_EQ(ParseCommandLine({"--version"}).mode, CommandLine::Mode::version);
}

TEST(CommandLine, MistakesAreUsageErrors) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--run"}, {"--trace"}, {"--run", "a", "--run", "b"}, {"job.txt"}, {"-x"}}) {
    const CommandLine line = ParseCommandLine(arguments);
    EXPECT_EQ(line.mode, CommandLine::Mode::usage_error) << arguments.front();
    EXPECT_FALSE(line.error.empty());
  }
}

}  // namespace
}  // namespace vsm
