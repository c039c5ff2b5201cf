#include "split/save_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "format/conversions.h"
#include "format/reader.h"
#include "format/text_lines.h"
#include "generator/list_generator.h"
#include "merge/merge_driver.h"
#include "platform/files.h"
#include "split_test_lists.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

// Every file below a folder, with its content.
std::set<std::pair<std::string, std::string>> Snapshot(const std::string& folder) {
  std::set<std::pair<std::string, std::string>> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files.insert({entry.path().string(), ReadFile(entry.path().string())});
    }
  }
  return files;
}

class SaveTest : public WorkspaceTest {
 protected:
  void SetUp() override {
    WriteList("list.txt", TextForm(spec));
    ASSERT_TRUE(Load("list.txt"));
  }
  bool Save(std::string target) { return SaveList(workspace, std::move(target)); }
  bool ConverterBuilt() const {
    return IsRegularFile(ConverterPath(workspace.settings, kToBinaryConverter));
  }
  ListSpec spec = SampleList();
};

TEST_F(SaveTest, TextTargetIsWrittenDirectly) {
  EXPECT_TRUE(Save(Path("out.txt")));
  EXPECT_EQ(workspace.settings.text_file, Path("out.txt"));
  EXPECT_EQ(ReadFile(Path("out.txt")).substr(0, 19), "[MORVANE V3 FILE]\r\n");
  EXPECT_FALSE(Exists(workspace.settings.WorkPath("out.txt.txt")));
  EXPECT_TRUE(workspace.conversions.Idle());  // no converter started
  EXPECT_EQ(platform.caption(Button::save), "Saved out.txt");
}

TEST_F(SaveTest, OtherTargetsAreSavedAsVrkThroughTheWorkFolder) {
  struct Case {
    const char* given;
    const char* saved;
  };
  for (const Case& c :
       {Case{"list", "list.vrk"}, Case{"NEW.VRK", "NEW.VRK"}, Case{"new2.Vrk", "new2.Vrk"},
        Case{"sat.vrk", "sat.vrk"}, Case{"list.txt.bak", "list.txt.bak.vrk"}}) {
    EXPECT_TRUE(Save(Path(c.given)));
    EXPECT_EQ(workspace.settings.current_file, Path(c.saved));
    EXPECT_EQ(workspace.settings.text_file, workspace.settings.WorkPath(c.saved) + ".txt");
    EXPECT_TRUE(Exists(workspace.settings.text_file)) << c.saved;
    EXPECT_EQ(platform.caption(Button::save), std::string("Saved ") + c.saved);
  }
}

TEST_F(SaveTest, VrkTargetIsConvertedFromItsTextForm) {
  EXPECT_TRUE(Save(Path("list")));
  workspace.conversions.WaitAll(platform);
  if (!ConverterBuilt()) GTEST_SKIP() << "the converter mvt2vrk is not built";
  // The binary list loads back to the same records.
  ASSERT_TRUE(LoadList(workspace, Path("list.vrk")));
  ExpectSamePiece(HeldPiece(workspace.main_set, spec, "list.vrk"), ExpectedSave(spec, {}));
}

// A save that writes nothing says so: the user must not take last week's file for the new one.
struct NothingSavedCase {
  const char* label;
  std::string list;  // the list loaded instead of the sample list; "" keeps it
  std::function<void(Workspace&)> set_options;
  const char* target;  // as given; its completed name ends the message
  const char* message;
};

void PrintTo(const NothingSavedCase& c, std::ostream* out) { *out << c.label; }

class NothingSavedTest : public SaveTest, public testing::WithParamInterface<NothingSavedCase> {};

TEST_P(NothingSavedTest, WritesNothingAndSaysWhy) {
  const NothingSavedCase& c = GetParam();
  if (!c.list.empty()) {
    WriteList("other.txt", c.list);
    ASSERT_TRUE(Load("other.txt"));
  }
  c.set_options(workspace);
  const bool named_as_saved = HasSuffix(c.target, ".txt") || HasSuffix(c.target, ".vrk");
  const std::string saved = Path(c.target) + (named_as_saved ? "" : ".vrk");
  WriteFile(saved, "last week's list");
  const auto before = Snapshot(folder.path());
  EXPECT_FALSE(Save(Path(c.target)));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Nice....");
  EXPECT_EQ(platform.messages[0].text, c.message + saved);
  EXPECT_EQ(platform.caption(Button::save), "Save");
  EXPECT_EQ(workspace.left_undone, 1);
  EXPECT_EQ(Snapshot(folder.path()), before);
  EXPECT_TRUE(workspace.conversions.Idle());
}

const std::string kRadiosOnly = OneAntennaListText("Astra", 0);
const std::string kNoServices =
    CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", AntennaLine("Astra", "0\t1\t2\t3\t4\t5\t6\t7"), "[TS]",
          TransponderLine(0, "11778\t27500\t0\t0\t0\t0\t0"), "[SERVICE]", "[MENU]"});

INSTANTIATE_TEST_SUITE_P(
    Cases, NothingSavedTest,
    testing::Values(NothingSavedCase{"no_list", kNoServices,
                                     [](Workspace& w) { w.main_set.Clear(); }, "list",
                                     "Nothing saved: no list is loaded \r\n"},
                    NothingSavedCase{"radios_only_without_radios", kRadiosOnly,
                                     [](Workspace& w) { w.options.remove_radios = true; }, "tv.vrk",
                                     "Nothing saved: no channel is kept \r\n"},
                    NothingSavedCase{"no_preferred_antenna_in_the_list", "",
                                     [](Workspace& w) {
                                       w.options.keep_pref_antennas = true;
                                       WriteFile(w.settings.KeepPath(kAntennaFileName),
                                                 CrLf({AntennaLine("Thor")}));
                                     },
                                     "out.txt", "Nothing saved: no channel is kept \r\n"},
                    NothingSavedCase{"antennas_without_services", kNoServices, [](Workspace&) {},
                                     "out.txt", "Nothing saved: no channel is kept \r\n"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(SaveTest, FailedWriteIsReportedAndLeavesTheCaptionSave) {
  const std::string target = Path("missing-folder/out.txt");
  EXPECT_FALSE(Save(target));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Nice....");
  EXPECT_EQ(platform.messages[0].text.rfind("Cannot write file \r\n" + target + "\r\n", 0), 0u);
  EXPECT_EQ(platform.caption(Button::save), "Save");
}

TEST_F(SaveTest, SavedListHoldsExactlyWhatTheFiltersKeep) {
  // Existing names: the provider that no service names is left out, the others renumbered.
  ASSERT_TRUE(Save(Path("all.txt")));
  const std::string all = ReadFile(Path("all.txt"));
  EXPECT_NE(all.find("[PROVIDER]\r\nORF\r\nBBC\r\n[FAVORITE]\r\n"), std::string::npos);

  // Generated names: the providers of exactly the antennas that keep a service (not Thor).
  workspace.options.naming = Naming::use_antenna_names;
  workspace.options.divide_fta_notfta = true;
  workspace.options.remove_radios = true;
  ASSERT_TRUE(Save(Path("tv.txt")));
  const std::string tv = ReadFile(Path("tv.txt"));
  EXPECT_NE(tv.find("[PROVIDER]\r\nFta Astra 19.2\r\nFta Hotbird\r\nAstra 19.2\r\nHotbird\r\n"
                    "[FAVORITE]\r\n"),
            std::string::npos);
  EXPECT_NE(tv.find("\tDummy Service\t1\r\n[MENU]\r\n"), std::string::npos);
}

// A TV favourite may name a radio service (its line starts with "0", its kind column reads 1):
// once the radios are removed it goes with them, also after a save that kept them.
TEST_F(SaveTest, RemovedRadiosTakeTheirFavoritesAlongAfterASaveWithRadios) {
  WriteList("fav.txt",
            OneAntennaListText("Astra", 2) + CrLf({"[FAVORITE]", "01\t5\t0", "0\t6\t1"}));
  ASSERT_TRUE(Load("fav.txt"));
  ASSERT_TRUE(Save(Path("with.txt")));
  EXPECT_NE(
      ReadFile(Path("with.txt")).find(CrLf({"[FAVORITE]", "1\t5\t0", "0\t6\t1", "[SERVICE]"})),
      std::string::npos);
  workspace.options.remove_radios = true;
  ASSERT_TRUE(Save(Path("without.txt")));
  EXPECT_NE(ReadFile(Path("without.txt")).find(CrLf({"[FAVORITE]", "0\t6\t1", "[SERVICE]"})),
            std::string::npos);
}

// Reads a saved list back and checks every reference against the record written for it.
class SaveContent : public SaveTest,
                    public testing::WithParamInterface<std::tuple<int, bool, bool, bool>> {};

TEST_P(SaveContent, EveryReferenceNamesTheRecordWrittenForIt) {
  const auto [naming, radios, favorites, preferred] = GetParam();
  SplitOptions split;
  split.options.naming = static_cast<Naming>(naming);
  split.options.divide_fta_notfta = naming == 2;
  split.options.remove_radios = radios;
  split.options.remove_favorites = favorites;
  split.options.keep_pref_antennas = preferred;
  split.preferred = {"Astra 19.2", "Thor"};
  workspace.options = split.options;
  WriteFile(workspace.settings.KeepPath(kAntennaFileName),
            CrLf({AntennaLine("Astra 19.2"), AntennaLine("Thor")}));
  split.labels = {"Astra 19.2", "Hotbird", "Thor", "Sirius"};
  WriteFile(workspace.settings.KeepPath("sat_position.txt"), "");

  ASSERT_TRUE(Save(Path("saved.txt")));
  ASSERT_TRUE(LoadList(workspace, Path("saved.txt")));
  ExpectSamePiece(HeldPiece(workspace.main_set, spec, "saved.txt"), ExpectedSave(spec, split));
}

INSTANTIATE_TEST_SUITE_P(Options, SaveContent,
                         testing::Combine(testing::Values(0, 1, 2), testing::Bool(),
                                          testing::Bool(), testing::Bool()));

// Found by the reader fuzzer: a radio favourite whose kind column reads 0 without its line
// starting with "0" (here the column is empty) is written with the kind 0 and so comes back
// among the TV favourites. Every record survives the save and the load; only the order of the
// favourites changes, once.

// The fuzzer's input, shortened by libFuzzer: lone CRs and LFs, an empty kind column, a NUL.
const std::string kFoundInput(
    "[MORVANE V3 FILE]\r\n[ANTENNA]\r9\n[TS]\r\t\n[NETWORK]\r\n[PROVIDER]\r\n\n"
    "[FAVORITE]\r\t2\n[SERVICE]\nV\0",
    88);

std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  LineCursor cursor(text);
  std::string_view line;
  while (cursor.Next(line)) lines.emplace_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

class FavoriteKindTest : public WorkspaceTest {
 protected:
  void LoadAndSave(std::string_view from, std::string_view to) {
    ASSERT_TRUE(Load(from));
    ASSERT_TRUE(SaveList(workspace, Path(to)));
  }
};

TEST_F(FavoriteKindTest, ARadioFavoriteOfKindZeroComesBackAsTvWithEveryRecordKept) {
  ASSERT_EQ(kFoundInput.size(), 88u);
  WriteList("input.txt", kFoundInput);
  WriteList("generated.txt",
            GenerateChannelListText({.services = 8, .antennas = 2, .first_antenna = 0, .seed = 7}));
  ASSERT_TRUE(Load("input.txt"));
  ASSERT_EQ(workspace.main_set.radio_favorites.size(), 1u);
  EXPECT_EQ(workspace.main_set.radio_favorites[0].kind, 0);
  ASSERT_TRUE(MergeList(workspace, Path("generated.txt")));
  ASSERT_TRUE(SaveList(workspace, Path("saved.txt")));

  LoadAndSave("saved.txt", "resaved.txt");
  EXPECT_NE(ReadFile(Path("resaved.txt")), ReadFile(Path("saved.txt")));  // the order changed
  EXPECT_EQ(SortedLines(ReadFile(Path("resaved.txt"))), SortedLines(ReadFile(Path("saved.txt"))));
  LoadAndSave("resaved.txt", "resaved_twice.txt");
  EXPECT_EQ(ReadFile(Path("resaved_twice.txt")), ReadFile(Path("resaved.txt")));
}

}  // namespace
}  // namespace vsm
