#include "script/script_interpreter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "format/reader.h"
#include "script/controls.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

// A channel list with one antenna, one transponder and `tv` TV and `radio` radio services.
std::string ListText(std::string_view antenna, int tv, int radio) {
  TestList list;
  list.antennas = {AntennaLine(antenna, "0\t1\t2\t3\t4\t5\t6\t7")};
  list.transponders = {TransponderLine(0, "11778\t27500\t3\t4\t5\t6\t7")};
  list.networks = {"net"};
  list.providers = {"Provider " + std::string(antenna)};
  for (int i = 0; i < tv + radio; ++i) {
    const bool is_tv = i < tv;
    list.services.push_back(ServiceLine(is_tv ? "V" : "R", 0, 0,
                                        std::string(antenna) + " " + std::to_string(i),
                                        is_tv ? i + 1 : i - tv + 1, {.flag8 = "FALSE"}));
  }
  list.menus = {"menu"};
  return list.Text();
}

class ScriptTest : public WorkspaceTest {
 protected:
  ScriptTest() {
    controls.Click(Control::keep_existing_option, true);
    WriteList("a.txt", ListText("Astra", 2, 1));
    WriteList("b.txt", ListText("Hotbird", 3, 0));
  }

  // Writes the script job.txt (header, then `lines`, each ended by CR LF) and loads it.
  bool RunLines(std::initializer_list<std::string_view> lines) {
    return RunText(BatchScript(lines));
  }

  bool RunText(std::string_view text) {
    WriteList("job.txt", text);
    platform.status_history.clear();
    platform.caption_history.clear();
    platform.event_waits = 0;
    return Load("job.txt");
  }

  // Loads a file of the start folder as a load does, a batch script among them.
  bool Load(std::string_view name) {
    return workspace.Report(LoadThisFile(workspace, controls, Path(name)));
  }

  // A command line naming a file of the start folder: "load " + full name.
  std::string Command(std::string_view keyword, std::string_view file) const {
    return std::string(keyword) + " " + Path(file);
  }

  bool Captioned(std::string_view entry) const {
    const auto& history = platform.caption_history;
    return std::find(history.begin(), history.end(), entry) != history.end();
  }

  Controls controls{workspace};
};

TEST_F(ScriptTest, LoadLineShowsTheFileCountsAndResetsTheOtherCaptions) {
  EXPECT_TRUE(RunLines({Command("load", "a.txt")}));
  EXPECT_EQ(workspace.main_set.tv_services.size(), 2u);
  EXPECT_EQ(platform.status_history, (std::vector<std::string>{"0:a", "1:Tv 2 , Radio 1"}));
  EXPECT_EQ(platform.caption_history,
            (std::vector<std::string>{"load_button:Loaded a.txt", "save_button:Save",
                                      "merge_button:Merge", "split_button:Split per antenna"}));
  EXPECT_EQ(workspace.settings.current_file, Path("job.txt"));
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ScriptTest, KeywordMustBeLowerCaseInTheFirstColumn) {
  EXPECT_TRUE(
      RunLines({"Load " + Path("a.txt"), " load " + Path("a.txt"), "\tload " + Path("a.txt"),
                "#load " + Path("a.txt"), "LOAD " + Path("a.txt")}));
  EXPECT_TRUE(workspace.main_set.antennas.empty());
  EXPECT_TRUE(platform.status_history.empty());
  EXPECT_TRUE(platform.caption_history.empty());
  EXPECT_EQ(platform.event_waits, 5);  // one wait per line, also for the lines ignored
}

TEST_F(ScriptTest, NothingIsNeededBetweenKeywordAndFileName) {
  EXPECT_TRUE(RunLines({"load" + Path("a.txt")}));
  EXPECT_EQ(workspace.main_set.tv_services.size(), 2u);
}

TEST_F(ScriptTest, FileNameLosesItsBlanksButKeepsItsTabs) {
  EXPECT_TRUE(RunLines({"load   " + Path("a.txt") + "   "}));
  EXPECT_TRUE(Captioned("load_button:Loaded a.txt"));

  EXPECT_TRUE(RunLines({"load " + Path("a.txt") + "\t"}));
  EXPECT_TRUE(Captioned("load_button:Load"));
  EXPECT_TRUE(workspace.main_set.antennas.empty());
}

TEST_F(ScriptTest, FailedLoadLineCaptionsLoadAndShowsZeroCounts) {
  EXPECT_TRUE(RunLines({Command("load", "a.txt"), Command("load", "missing.txt")}));
  EXPECT_EQ(platform.caption_history[4], "load_button:Load");
  EXPECT_EQ(platform.status_history.back(), "1:Tv 0 , Radio 0");
  EXPECT_EQ(platform.status_history[2], "0:missing");
}

TEST_F(ScriptTest, SaveAloneIsTooShortToCountButSplitAloneSplits) {
  EXPECT_TRUE(RunLines({Command("load", "a.txt"), "save", "split"}));
  EXPECT_TRUE(std::none_of(
      platform.caption_history.begin(), platform.caption_history.end(),
      [](const std::string& entry) { return entry.starts_with("save_button:Saved"); }));
  EXPECT_TRUE(Exists(Path("antenna_list.txt")));
  EXPECT_FALSE(Exists(Path("provider_list.txt")));
}

TEST_F(ScriptTest, SplitIntoProvidersChoosesTheKindOfTheNextSplit) {
  EXPECT_TRUE(RunLines({Command("load", "a.txt"), "split_into_providers true", "split now"}));
  EXPECT_TRUE(controls.IsChecked(Control::split_per_provider_box));
  EXPECT_TRUE(Captioned("split_button:Split per provider"));
  EXPECT_TRUE(Exists(Path("provider_list.txt")));
  EXPECT_FALSE(Exists(Path("antenna_list.txt")));

  EXPECT_TRUE(RunLines({Command("load", "a.txt"), "split_into_providers false", "split"}));
  EXPECT_EQ(workspace.settings.split_caption, "Split per antenna");
  EXPECT_TRUE(Exists(Path("antenna_list.txt")));
}

TEST_F(ScriptTest, SaveLineWritesTheNamedFile) {
  EXPECT_TRUE(RunLines({Command("load", "a.txt"), Command("save", "out.txt")}));
  EXPECT_TRUE(ReadFile(Path("out.txt")).starts_with("[MORVANE V3 FILE]\r\n"));
  EXPECT_EQ(platform.caption_history.back(), "save_button:Saved out.txt");
  EXPECT_EQ(platform.status_history.size(), 2u);  // only the load line's texts
}

TEST(IsTrue, LooksForTrueInAnyLetterCaseFromTheKeywordsEndOn) {
  EXPECT_TRUE(IsTrue("keep_pref_antennas TRUE", 18));
  EXPECT_TRUE(IsTrue("keep_pref_antennas = true", 18));
  EXPECT_TRUE(IsTrue("keep_pref_antennas, as I said, is True here", 18));
  EXPECT_TRUE(IsTrue("keep_pref_antennas untrue", 18));
  EXPECT_TRUE(IsTrue("keep_pref_antennastrue", 18));
  EXPECT_FALSE(IsTrue("keep_pref_antennas", 18));
  EXPECT_FALSE(IsTrue("keep_pref_antennas 1", 18));
  EXPECT_FALSE(IsTrue("keep_pref_antennas false", 18));
  EXPECT_FALSE(IsTrue("keep_pref_antennas tru e", 18));
  // The search starts at the last character of the keyword, never before it.
  EXPECT_TRUE(IsTrue("xtrue", 1));
  EXPECT_FALSE(IsTrue("truex", 2));
}

TEST_F(ScriptTest, OptionLineSetsTheBoxAndTheOptionForEachValueForm) {
  const struct {
    std::string line;
    bool expected;
  } cases[] = {
      {"keep_pref_antennas TRUE", true},
      {"keep_pref_antennas = true", true},
      {"keep_pref_antennas is true now", true},
      {"keep_pref_antennas untrue", true},
      {"keep_pref_antennas", false},
      {"keep_pref_antennas 1", false},
      {"keep_pref_antennas false", false},
  };
  for (const auto& c : cases) {
    controls.Click(Control::keep_pref_box, !c.expected);
    EXPECT_TRUE(RunLines({c.line}));
    EXPECT_EQ(workspace.options.keep_pref_antennas, c.expected) << c.line;
    EXPECT_EQ(controls.IsChecked(Control::keep_pref_box), c.expected) << c.line;
    EXPECT_EQ(platform.checked[static_cast<std::size_t>(Control::keep_pref_box)], c.expected);
  }
}

TEST_F(ScriptTest, EachOptionKeywordReachesItsOption) {
  EXPECT_TRUE(RunLines({"remove_favorites true", "remove_radios true", "keep_pref_antennas true",
                        "use_satellite_position true"}));
  EXPECT_TRUE(workspace.options.remove_favorites);
  EXPECT_TRUE(workspace.options.remove_radios);
  EXPECT_TRUE(workspace.options.keep_pref_antennas);
  EXPECT_EQ(workspace.options.naming, Naming::use_satellite_position);
  EXPECT_TRUE(controls.IsChecked(Control::satellite_position_option));
  EXPECT_FALSE(controls.IsChecked(Control::keep_existing_option));
}

TEST_F(ScriptTest, DivideIsRefusedWhileExistingNamesAreKept) {
  EXPECT_TRUE(RunLines({"keep_existing_names true", "divide_fta_notfta true"}));
  EXPECT_FALSE(workspace.options.divide_fta_notfta);
  EXPECT_FALSE(controls.IsChecked(Control::divide_fta_box));

  EXPECT_TRUE(RunLines({"use_antenna_names true", "divide_fta_notfta true"}));
  EXPECT_TRUE(workspace.options.divide_fta_notfta);
  EXPECT_TRUE(controls.IsChecked(Control::divide_fta_box));
  EXPECT_EQ(workspace.options.naming, Naming::use_antenna_names);
}

TEST_F(ScriptTest, FalseNamingValueClearsItsMarkAndStillSelectsItsMode) {
  EXPECT_TRUE(RunLines({"use_satellite_position false"}));
  EXPECT_EQ(workspace.options.naming, Naming::use_satellite_position);
  EXPECT_FALSE(controls.IsChecked(Control::satellite_position_option));
  EXPECT_TRUE(controls.IsChecked(Control::keep_existing_option));

  EXPECT_TRUE(
      RunLines({"use_antenna_names true", "divide_fta_notfta true", "keep_existing_names false"}));
  EXPECT_EQ(workspace.options.naming, Naming::keep_existing_names);
  EXPECT_FALSE(workspace.options.divide_fta_notfta);
  EXPECT_FALSE(controls.IsChecked(Control::keep_existing_option));
  EXPECT_TRUE(controls.IsChecked(Control::antenna_name_option));
}

TEST_F(ScriptTest, MergeAsFirstCommandLoads) {
  EXPECT_TRUE(RunLines({Command("merge", "a.txt")}));
  EXPECT_EQ(workspace.main_set.tv_services.size(), 2u);
  ASSERT_EQ(workspace.loaded_files.size(), 1u);
  EXPECT_EQ(platform.status_history, std::vector<std::string>{"0:a"});
  EXPECT_TRUE(platform.caption_history.empty());
}

TEST_F(ScriptTest, MergeLineCaptionsTheMergeButtonWhetherItMergedOrNot) {
  EXPECT_TRUE(RunLines({Command("load", "a.txt"), Command("merge", "b.txt")}));
  EXPECT_EQ(workspace.main_set.tv_services.size(), 5u);
  EXPECT_EQ(platform.caption_history.back(), "merge_button:Merged b.txt");
  EXPECT_EQ(platform.status_history[2], "0:b");
  EXPECT_EQ(platform.status_history.back(), "1:Merging favorites...");  // no count after a merge

  EXPECT_TRUE(RunLines({Command("load", "a.txt"), Command("merge", "a.txt")}));
  EXPECT_EQ(platform.MessagesTitled("Sorry, no go....").size(), 1u);
  EXPECT_EQ(platform.caption_history.back(), "merge_button:Merged a.txt");
  EXPECT_EQ(workspace.main_set.tv_services.size(), 2u);
}

TEST_F(ScriptTest, ScriptLoadingItselfEmptiesTheListAndGoesOn) {
  EXPECT_TRUE(
      RunLines({Command("load", "a.txt"), Command("load", "job.txt"), "remove_radios true"}));
  EXPECT_TRUE(workspace.main_set.antennas.empty());
  EXPECT_EQ(platform.caption_history[4], "load_button:Load");
  EXPECT_TRUE(workspace.options.remove_radios);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(workspace.script_running);
  EXPECT_EQ(workspace.settings.current_file, Path("job.txt"));
}

TEST_F(ScriptTest, LoneCrAtTheEndEndsTheScriptAfterItsLastLine) {
  EXPECT_TRUE(RunText("[VRK_SPLIT_MERGE]\rload " + Path("a.txt") + "\r"));
  EXPECT_EQ(workspace.main_set.tv_services.size(), 2u);
  EXPECT_EQ(platform.event_waits, 1);
}

TEST_F(ScriptTest, HeaderAloneDoesNothingButEmptiesTheList) {
  ASSERT_TRUE(Load("a.txt"));
  EXPECT_TRUE(RunText("[VRK_SPLIT_MERGE]"));
  EXPECT_TRUE(workspace.main_set.antennas.empty());
  EXPECT_EQ(platform.event_waits, 0);
  EXPECT_TRUE(platform.status_history.empty());
}

TEST_F(ScriptTest, ShortAndUnknownLinesAreSkippedQuietly) {
  EXPECT_TRUE(RunLines({"", "loa", "save", "unknown command here", "# load a comment"}));
  EXPECT_EQ(platform.event_waits, 5);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(platform.status_history.empty());
  EXPECT_TRUE(platform.caption_history.empty());
}

TEST_F(ScriptTest, NoScriptStartsWhileAnotherRuns) {
  WriteList("job.txt", CrLf({"[VRK_SPLIT_MERGE]", "remove_radios true"}));
  workspace.script_running = true;
  EXPECT_FALSE(RunScript(workspace, controls, Path("job.txt")));
  EXPECT_TRUE(workspace.script_running);
  EXPECT_FALSE(workspace.options.remove_radios);
  EXPECT_EQ(platform.event_waits, 0);
}

TEST_F(ScriptTest, ScriptThatCannotBeReadFails) {
  EXPECT_FALSE(RunScript(workspace, controls, Path("missing.txt")));
  EXPECT_FALSE(workspace.script_running);
}

}  // namespace
}  // namespace vsm
