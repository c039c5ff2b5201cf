#include "session/startup.h"

#include <gtest/gtest.h>

#include "app/console/tool_arguments.h"
#include "platform/files.h"
#include "split/sat_position_table.h"
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

TEST(ToolArguments, RunTakesAFileAndAnOptionalTrace) {
  ToolArguments line = ParseToolArguments({"--run", "job.txt"});
  EXPECT_EQ(line.mode, ToolArguments::Mode::run);
  EXPECT_EQ(line.file, "job.txt");
  EXPECT_FALSE(line.trace);

  line = ParseToolArguments({"--trace", "--run", "--trace"});  // the file may look like an option
  EXPECT_EQ(line.mode, ToolArguments::Mode::run);
  EXPECT_EQ(line.file, "--trace");
  EXPECT_TRUE(line.trace);

  EXPECT_EQ(ParseToolArguments({}).mode, ToolArguments::Mode::window);
  EXPECT_EQ(ParseToolArguments({"--run", "x", "--help"}).mode, ToolArguments::Mode::help);
  EXPECT_EQ(ParseToolArguments({"--version"}).mode, ToolArguments::Mode::version);
}

TEST(ToolArguments, MistakesAreUsageErrors) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--run"}, {"--trace"}, {"--run", "a", "--run", "b"}, {"job.txt"}, {"-x"}}) {
    const ToolArguments line = ParseToolArguments(arguments);
    EXPECT_EQ(line.mode, ToolArguments::Mode::usage_error) << arguments.front();
    EXPECT_FALSE(line.error.empty());
  }
}

}  // namespace
}  // namespace vsm
