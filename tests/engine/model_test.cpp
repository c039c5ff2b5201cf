#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "format/reader.h"
#include "model/record_list.h"
#include "model/workspace.h"
#include "platform/paths.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using test_support::LoadList;
using test_support::WorkspaceTest;

// A merge inserts records by taking the order out, adding records that have no place yet and
// handing the new order back.
std::vector<Provider*> InsertedBefore(std::vector<Provider*> order, std::size_t position,
                                      Provider& record) {
  order.insert(order.begin() + static_cast<std::ptrdiff_t>(position), &record);
  return order;
}

TEST(RecordList, ReferencesSurviveAppendsAndInserts) {
  RecordList<Provider> list;
  Provider* first = &list.Append({"first", 0, false});
  Provider* second = &list.Append({"second", 1, false});
  // Enough appends to make the list grow its storage several times.
  for (int i = 0; i < 5000; ++i) list.Append({"filler" + std::to_string(i), i + 2, false});
  Provider* inserted = &list.MakeUnplaced({"inserted", 0, false});
  list.AssignOrder(InsertedBefore(list.TakeOrder(), 1, *inserted));
  list.AssignOrder(InsertedBefore(list.TakeOrder(), 0, list.MakeUnplaced({"front", 0, false})));

  EXPECT_EQ(first->name, "first");
  EXPECT_EQ(second->name, "second");
  EXPECT_EQ(inserted->name, "inserted");
  EXPECT_EQ(&list[1], first);
  EXPECT_EQ(&list[2], inserted);
  EXPECT_EQ(&list[3], second);
  EXPECT_EQ(list.size(), 5004u);
}

TEST(RecordList, ReferencesSurviveATakeOverAndARearrangement) {
  RecordList<Provider> main;
  RecordList<Provider> merged;
  Provider* kept = &main.Append({"kept", 0, false});
  std::vector<Provider*> moved;
  for (int i = 0; i < 100; ++i) moved.push_back(&merged.Append({std::to_string(i), i, false}));

  main.AppendAllOf(merged);
  EXPECT_TRUE(merged.empty());
  merged.Clear();  // the records moved over are not the merged list's to free any more
  ASSERT_EQ(main.size(), 101u);
  EXPECT_EQ(&main[0], kept);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(&main[static_cast<std::size_t>(i) + 1], moved[i]);
  EXPECT_EQ(moved[99]->name, "99");

  auto order = main.TakeOrder();
  Provider* added = &main.MakeUnplaced({"added", 0, false});
  order.insert(order.begin(), added);
  std::reverse(order.begin() + 1, order.end());
  main.AssignOrder(std::move(order));
  EXPECT_EQ(&main[0], added);
  EXPECT_EQ(&main[1], moved[99]);
  EXPECT_EQ(&main.back(), kept);
  EXPECT_EQ(kept->name, "kept");
}

// A service's text columns are views of texts that its list keeps: they must last as long as the
// service, in the list that took it over or was moved from it too.
TEST(RecordList, KeptTextsLastAsLongAsTheRecordsAlsoAfterATakeOverOrAMove) {
  RecordList<Service> main;
  RecordList<Service> merged;
  const std::string longer_than_a_block(100'000, 'x');
  auto add = [](RecordList<Service>& list, const std::string& name) {
    list.AppendNew().SetTexts({"V", "FALSE", "FALSE", "FALSE", name}, list.texts());
  };
  add(main, "first");
  add(main, "");
  // Enough texts to fill several of the store's blocks, one of them larger than a block.
  for (int i = 0; i < 20000; ++i) add(merged, "service " + std::to_string(i));
  add(merged, longer_than_a_block);
  add(merged, "after the long one");

  main.AppendAllOf(merged);
  merged.Clear();  // the texts moved over are not the merged list's to free any more
  add(main, "last");
  ASSERT_EQ(main.size(), 20005u);
  EXPECT_EQ(main[0].name(), "first");
  EXPECT_EQ(main[1].name(), "");
  for (int i = 0; i < 20000; ++i) {
    ASSERT_EQ(main[static_cast<std::size_t>(i) + 2].name(), "service " + std::to_string(i));
  }
  EXPECT_EQ(main[20002].name(), longer_than_a_block);
  EXPECT_EQ(main[20003].name(), "after the long one");
  EXPECT_EQ(main[20004].name(), "last");

  // The list moved from goes on with storage of its own, not with the rest of a block it gave up.
  RecordList<Service> moved = std::move(main);
  add(main, "kept by the list moved from");  // NOLINT(bugprone-use-after-move): it is reused
  add(moved, "kept after the move");
  EXPECT_EQ(main[0].name(), "kept by the list moved from");
  EXPECT_EQ(moved[20004].name(), "last");
  EXPECT_EQ(moved[20005].name(), "kept after the move");
}

// A service keeps its usual column texts as codes and any other text with its name; each column
// reads back as it was, whichever of them are odd, and only "TRUE" makes it scrambled.
TEST(Service, EveryColumnTextReadsBackAsItWasKept) {
  RecordList<Service> list;
  const std::string long_name(300, 'n');
  const std::vector<ServiceTexts> cases = {
      {"V", "FALSE", "TRUE", "TRUE", "usual"},
      {"A", "TRUE", "FALSE", "FALSE", ""},
      {"Video", "", "x", "true", long_name},
      {"", "FALSE", "yes", "TRUE", "odd kind and flag9"},
      {"R", "no", "", "", ""},
  };
  for (const ServiceTexts& texts : cases) list.AppendNew().SetTexts(texts, list.texts());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    using Column = Service::Column;
    const Service& service = list[i];
    EXPECT_EQ(service.kind(), cases[i].kind) << i;
    EXPECT_EQ(service.Text(Column::flag8), cases[i].flag8) << i;
    EXPECT_EQ(service.Text(Column::flag9), cases[i].flag9) << i;
    EXPECT_EQ(service.Text(Column::scrambled), cases[i].scrambled) << i;
    EXPECT_EQ(service.name(), cases[i].name) << i;
  }
  EXPECT_TRUE(list[0].IsScrambled());
  EXPECT_FALSE(list[1].IsScrambled());
  EXPECT_FALSE(list[2].IsScrambled());  // "true" is not "TRUE"
}

TEST(RecordList, ResolvesPositionsPastTheEndToTheLastRecordAndNegativeOnesToNone) {
  RecordList<Menu> list;
  EXPECT_EQ(list.Resolve(0), nullptr);  // an empty list designates nothing
  EXPECT_EQ(list.Resolve(7), nullptr);
  Menu* a = &list.Append({"a", 0});
  Menu* b = &list.Append({"b", 1});
  EXPECT_EQ(list.Resolve(0), a);
  EXPECT_EQ(list.Resolve(1), b);
  EXPECT_EQ(list.Resolve(2), b);
  EXPECT_EQ(list.Resolve(4294967296LL), b);
  EXPECT_EQ(list.Resolve(-1), nullptr);
  EXPECT_EQ(list.Resolve(INT32_MIN), nullptr);
}

TEST(RecordList, WalksInOrder) {
  RecordList<Network> list;
  list.Append({"w", 0});
  list.Append({"x", 0});
  list.Append({"y", 0});
  std::string order;
  for (const Network& network : list) order += network.text;
  EXPECT_EQ(order, "wxy");
  // The standard algorithms work on it.
  const auto x =
      std::find_if(list.begin(), list.end(), [](const Network& n) { return n.text == "x"; });
  EXPECT_EQ(std::distance(list.begin(), x), 1);
}

class ModelTest : public WorkspaceTest {
 protected:
  // Puts one record into every list of both sets, the loaded files and the kept chains.
  void FillEverything() {
    for (ChannelList* set : {&workspace.main_set, &workspace.merge_set}) {
      Antenna& antenna = set->antennas.Append({});
      set->transponders.Append({});
      set->networks.Append({});
      set->providers.Append({});
      set->menus.Append({});
      set->tv_services.Append({});
      set->radio_services.Append({});
      set->tv_favorites.Append({});
      set->radio_favorites.Append({});
      set->generated_providers.Append({});
      antenna.name = "A";
    }
    workspace.loaded_files.push_back({"a.vrk"});
    workspace.kept.transponders = {&workspace.main_set.transponders[0]};
    workspace.kept.tv_services = {&workspace.main_set.tv_services[0]};
    workspace.kept.radio_services = {&workspace.main_set.radio_services[0]};
  }

  static std::size_t ListedRecords(const ChannelList& set) {
    return set.antennas.size() + set.transponders.size() + set.networks.size() +
           set.providers.size() + set.menus.size() + set.tv_services.size() +
           set.radio_services.size() + set.tv_favorites.size() + set.radio_favorites.size();
  }
};

TEST_F(ModelTest, ClearEmptiesItsOwnSetAndLeavesTheOtherTheLoadedFilesAndTheKeptChainsAlone) {
  FillEverything();
  workspace.merge_set.Clear();
  EXPECT_EQ(ListedRecords(workspace.merge_set), 0u);
  EXPECT_TRUE(workspace.merge_set.generated_providers.empty());
  EXPECT_EQ(ListedRecords(workspace.main_set), 9u);
  EXPECT_EQ(workspace.main_set.generated_providers.size(), 1u);
  ASSERT_EQ(workspace.loaded_files.size(), 1u);
  EXPECT_EQ(workspace.loaded_files[0].path, "a.vrk");
  EXPECT_EQ(workspace.kept.transponders.size(), 1u);
}

TEST_F(ModelTest, ALoadThatFailsStillEmptiesTheMainSetTheLoadedFilesAndTheKeptChains) {
  FillEverything();
  EXPECT_FALSE(LoadList(workspace, Path("missing.txt")));
  EXPECT_EQ(ListedRecords(workspace.main_set), 0u);
  EXPECT_TRUE(workspace.main_set.generated_providers.empty());
  EXPECT_TRUE(workspace.loaded_files.empty());
  // The kept records were in the cleared lists; following them now would read freed records.
  EXPECT_TRUE(workspace.kept.transponders.empty());
  EXPECT_TRUE(workspace.kept.tv_services.empty());
  EXPECT_TRUE(workspace.kept.radio_services.empty());
  EXPECT_EQ(ListedRecords(workspace.merge_set), 9u);
}

TEST_F(ModelTest, FoldersEndInExactlyOneSeparator) {
  for (const std::string& start :
       {std::string("/tmp/x"), std::string("/tmp/x") + kFolderSeparator}) {
    test_support::RecordingPlatform other_platform;
    Workspace other(other_platform, start);
    EXPECT_EQ(other.settings.start_folder, std::string("/tmp/x") + kFolderSeparator);
    EXPECT_EQ(other.settings.WorkPath("a.txt"),
              std::string("/tmp/x") + kFolderSeparator + "VrkWork" + kFolderSeparator + "a.txt");
  }
}

TEST_F(ModelTest, CountTextNamesTheMainSetServices) {
  workspace.main_set.tv_services.Append({});
  workspace.main_set.tv_services.Append({});
  workspace.main_set.radio_services.Append({});
  workspace.merge_set.tv_services.Append({});
  EXPECT_EQ(CountText(workspace), "Tv 2 , Radio 1");
}

TEST(Paths, FilePartIsTheTextAfterTheLastSlashOfEitherKind) {
  EXPECT_EQ(FilePart("C:\\lists\\sat.vrk"), "sat.vrk");
  EXPECT_EQ(FilePart("/home/u/a\\b/sat.x.vrk"), "sat.x.vrk");
  EXPECT_EQ(FilePart("plain"), "plain");
  EXPECT_TRUE(HasSuffix("a.txt", ".txt"));
  EXPECT_TRUE(HasSuffix("a.TXT", ".txt"));
  EXPECT_TRUE(HasSuffix("a.tXt", ".txt"));
  EXPECT_FALSE(HasSuffix("a.txt.bak", ".txt"));
  EXPECT_FALSE(HasSuffix("txt", ".txt"));
  EXPECT_FALSE(HasSuffix("a.t\xD8t", ".txt"));  // only ASCII letters have a case here
}

}  // namespace
}  // namespace vsm
