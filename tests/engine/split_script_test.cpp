#include "split/split_script.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "split/split_per_antenna.h"
#include "split/split_per_provider.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using std::chrono::seconds;
using Waits = std::vector<std::chrono::milliseconds>;
using namespace test_support;

// What a script ends with: how to save what its lines merged.
std::string SaveLines(std::string_view list) {
  return CrLf({"#", "# To save the merged files:", "#", "save " + std::string(list) + ".vrk"});
}

class SplitScriptTest : public WorkspaceTest {
 protected:
  const std::string header = Golden("split_script_header.txt");
};

TEST_F(SplitScriptTest, ScriptHoldsHeaderPieceLinesAndSaveLine) {
  SplitScript script;
  const std::string name = Path("antenna_list.txt");
  WriteFile(name, "old script");
  ASSERT_TRUE(OpenSplitScript(workspace, script, name));
  EXPECT_EQ(platform.sleeps, Waits{seconds(1)});
  WriteSplitScriptLine(script, "load /x/VrkResult/A.vrk");
  WriteSplitScriptLine(script, "merge /x/VrkResult/B.vrk");
  EXPECT_TRUE(CloseSplitScript(script, "antenna_list"));
  EXPECT_EQ(ReadFile(name), header + CrLf({"load /x/VrkResult/A.vrk", "merge /x/VrkResult/B.vrk"}) +
                                SaveLines("antenna_list"));
  EXPECT_TRUE(platform.messages.empty());
  // Lines 14 to 22 of the written header: "<true|false>" at the 26th character of 37.
  std::istringstream lines(ReadFile(name));
  std::string line;
  for (int number = 1; number <= 22 && std::getline(lines, line); ++number) {
    if (number < 14 || number == 18) continue;
    EXPECT_EQ(line, line.substr(0, 25) + "<true|false>\r") << number;
  }
}

// A piece's path with a line break would put a command of its own into the script.
TEST_F(SplitScriptTest, NoLineWithALineBreakIsWritten) {
  SplitScript script;
  const std::string name = Path("antenna_list.txt");
  ASSERT_TRUE(OpenSplitScript(workspace, script, name));
  EXPECT_FALSE(WriteSplitScriptLine(script, "load /x\nload evil.vrk\n#/VrkResult/A.vrk"));
  EXPECT_FALSE(WriteSplitScriptLine(script, "merge /x\rload evil.vrk/VrkResult/B.vrk"));
  EXPECT_TRUE(WriteSplitScriptLine(script, "merge /x/VrkResult/C.vrk"));
  EXPECT_TRUE(CloseSplitScript(script, "antenna_list"));
  EXPECT_EQ(ReadFile(name),
            header + CrLf({"merge /x/VrkResult/C.vrk"}) + SaveLines("antenna_list"));
}

TEST_F(SplitScriptTest, SplitsOfAnEmptyListWriteOnlyHeaderAndSaveLine) {
  SplitPerAntenna(workspace, Button::split);
  EXPECT_EQ(ReadFile(Path("antenna_list.txt")), header + SaveLines("antenna_list"));
  EXPECT_EQ(platform.caption(Button::split), "Split into 0 antennas");
  EXPECT_EQ(platform.status_text(StatusField::outcome), "Done splitting.");

  SplitPerProvider(workspace, Button::split);
  EXPECT_EQ(ReadFile(Path("provider_list.txt")), header + SaveLines("provider_list"));
  EXPECT_EQ(platform.caption(Button::split), "Split into 0 providers");
}

TEST_F(SplitScriptTest, ScriptThatCannotBeCreatedIsTriedFiveTimesThenReported) {
  // A folder in the script's place can be neither removed nor replaced by a file.
  const std::string name = Path("antenna_list.txt");
  ASSERT_TRUE(CreateFolder(name));
  SplitScript script;
  const Outcome opened = OpenSplitScript(workspace, script, name);
  EXPECT_EQ(platform.sleeps, Waits(5, seconds(1)));  // five tries, a second before each
  ASSERT_FALSE(opened);
  ASSERT_TRUE(opened.error());
  EXPECT_EQ(opened.error()->title, "Nice....");
  EXPECT_EQ(opened.error()->text.rfind("Cannot write file \r\n" + name + "\r\n", 0), 0u);
  EXPECT_FALSE(script.is_open());
}

TEST_F(SplitScriptTest, SplitStopsBeforeAnyPieceWhenItsScriptCannotBeCreated) {
  WriteList("list.txt", CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", AntennaLine("Astra"), "[TS]",
                              TransponderLine(0, "1\t2\t3\t4\t5\t6\t7"), "[NETWORK]", "[PROVIDER]",
                              "ORF", "[SERVICE]", ServiceLine("V", 0, 0, "One")}));
  ASSERT_TRUE(Load("list.txt"));
  ASSERT_TRUE(CreateFolder(Path("antenna_list.txt")));
  SplitPerAntenna(workspace, Button::split);
  EXPECT_FALSE(Exists(workspace.settings.WorkPath("Astra.vrk.txt")));
  EXPECT_EQ(platform.caption(Button::split), "");
  EXPECT_EQ(platform.MessagesTitled("Nice....").size(), 1u);
  EXPECT_TRUE(workspace.main_set.antennas[0].selected);  // the selection is back

  std::filesystem::remove(Path("antenna_list.txt"));
  SplitPerAntenna(workspace, Button::split);
  EXPECT_TRUE(Exists(workspace.settings.WorkPath("Astra.vrk.txt")));
  EXPECT_EQ(platform.caption(Button::split), "Split into 1 antennas");
}

TEST_F(SplitScriptTest, ElapsedTimeShowsMinutesAndSecondsWithinTheHour) {
  struct Case {
    int seconds;
    const char* text;
  };
  for (const Case& c : {Case{0, "00 minutes 00 seconds"}, Case{59, "00 minutes 59 seconds"},
                        Case{75, "01 minutes 15 seconds"}, Case{3599, "59 minutes 59 seconds"},
                        Case{3600, "00 minutes 00 seconds"}, Case{3725, "02 minutes 05 seconds"}}) {
    RunTimer timer;
    timer.Start(platform);
    platform.Advance(seconds(c.seconds));
    EXPECT_EQ(timer.ElapsedText(platform), c.text) << c.seconds;
  }
}

TEST_F(SplitScriptTest, ElapsedTimeCountsWholeSeconds) {
  RunTimer timer;
  timer.Start(platform);
  platform.Advance(std::chrono::milliseconds(61'900));
  EXPECT_EQ(timer.ElapsedText(platform), "01 minutes 01 seconds");
}

}  // namespace
}  // namespace vsm
