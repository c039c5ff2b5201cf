#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "format/conversions.h"
#include "merge/merge_driver.h"
#include "platform/paths.h"
#include "split/save_driver.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

// ---- Hand-made lists ----

// A "[TS]" line; the values that merging compares are column 3 and column 5.
std::string TsLine(int antenna, int value3, int value5) {
  return TransponderLine(antenna, Tabbed({0, value3, 0, value5, 0, 0, 0}));
}

// ---- Looking at the main set ----

template <class Record>
std::string PositionOf(const RecordList<Record>& list, const Record* record) {
  if (record == nullptr) return "null";
  std::int32_t position = 0;
  for (const Record& candidate : list) {
    if (&candidate == record) return std::to_string(position);
    ++position;
  }
  return "foreign";
}

// Every field of every record of a set, references by the position of the record they designate.
std::string Dump(const ChannelList& set) {
  std::string out;
  const auto n = [](auto value) { return std::to_string(value) + " "; };
  for (const Antenna& a : set.antennas) {
    out += "A " + n(a.index) + n(a.values.value2) + n(a.values.value3) + n(a.values.value4) +
           n(a.values.value5) + n(a.values.value6) + n(a.values.value7) + n(a.values.value8) + "[" +
           std::string(a.name) + "] " + n(a.list_index) + n(a.matched) + n(a.selected) +
           n(a.out_index) + n(a.saved_selected) + std::string(a.sat_position) + "\n";
  }
  for (const Transponder& t : set.transponders) {
    out += "T " + n(t.antenna_index) + n(t.values.value2) + n(t.values.value3) +
           n(t.values.value4) + n(t.values.value5) + n(t.values.value6) + n(t.values.value7) +
           n(t.values.value8) + PositionOf(set.antennas, t.antenna) + " " + n(t.list_index) +
           n(t.out_antenna_index) + n(t.out_index) + "\n";
  }
  for (const Network& x : set.networks) out += "N [" + x.text + "] " + n(x.list_index) + "\n";
  for (const Provider& p : set.providers) {
    out += "P [" + p.name + "] " + n(p.list_index) + n(p.used) + "\n";
  }
  for (const Menu& m : set.menus) out += "M [" + m.text + "] " + n(m.list_index) + "\n";
  for (const auto* services : {&set.tv_services, &set.radio_services}) {
    for (const Service& s : *services) {
      out += "S " + std::string(s.kind()) + " " + n(s.values.value2) + n(s.values.value3) +
             n(s.values.value4) + n(s.values.value5) + n(s.values.value6) + n(s.values.value7) +
             std::string(s.Text(Service::Column::flag8)) + " " +
             std::string(s.Text(Service::Column::flag9)) + " " +
             std::string(s.Text(Service::Column::scrambled)) + " [" + std::string(s.name()) + "] " +
             PositionOf(set.antennas, s.antenna()) + " " +
             PositionOf(set.transponders, s.transponder) + " " +
             PositionOf(set.providers, s.provider) + " " + n(s.kept) + "\n";
    }
  }
  for (const auto* favorites : {&set.tv_favorites, &set.radio_favorites}) {
    for (const Favorite& f : *favorites) {
      out += "F " + n(f.kind) + n(f.value2) + n(f.channel_index) +
             PositionOf(set.tv_services, f.service) + "/" +
             PositionOf(set.radio_services, f.service) + " " + n(f.list_index) + "\n";
    }
  }
  return out;
}

// The transponders as "antenna name:value3/value5", in list order.
std::vector<std::string> TransponderOrder(const ChannelList& set) {
  std::vector<std::string> order;
  for (const Transponder& t : set.transponders) {
    order.push_back(std::string(t.antenna != nullptr ? t.antenna->name : "?") + ":" +
                    std::to_string(t.values.value3) + "/" + std::to_string(t.values.value5));
  }
  return order;
}

using Strings = std::vector<std::string>;

class MergeTest : public WorkspaceTest {
 protected:
  bool LoadList(const TestList& list, std::string_view name = "main.txt") {
    WriteList(name, list.Text());
    return Load(name);
  }
  bool Merge(const TestList& list, std::string_view name = "merged.txt") {
    WriteList(name, list.Text());
    return MergeFile(name);
  }
  bool MergeFile(std::string_view name) { return MergeList(workspace, Path(name)); }
  ChannelList& main_set() { return workspace.main_set; }

  // Two antennas; Astra's transponders 10, 20, 30 followed by Hotbird's 15.
  static TestList AstraThenHotbird() {
    TestList list;
    list.antennas = {AntennaLine("Astra", "0\t100\t1\t2\t3\t4\t5\t6"), AntennaLine("Hotbird")};
    list.transponders = {TsLine(0, 10, 1), TsLine(0, 20, 1), TsLine(0, 30, 1), TsLine(1, 15, 1)};
    return list;
  }
};

// ---- Antennas ----

TEST_F(MergeTest, AnAntennaOfEqualNameIsTakenAsItIsAndKeepsItsValues) {
  ASSERT_TRUE(LoadList(AstraThenHotbird()));
  TestList other;
  other.antennas = {AntennaLine("Astra", "0\t999\t1\t2\t3\t4\t5\t6"),
                    AntennaLine("astra", "0\t7\t1\t2\t3\t4\t5\t6")};
  ASSERT_TRUE(Merge(other));
  ASSERT_EQ(main_set().antennas.size(), 3u);
  EXPECT_EQ(main_set().antennas[0].values.value2, 100);
  EXPECT_EQ(main_set().antennas[2].name, "astra");  // letter case counts
  EXPECT_EQ(main_set().antennas[2].values.value2, 7);
  EXPECT_EQ(main_set().antennas[2].sat_position, "astra");
  EXPECT_TRUE(main_set().antennas[2].selected);
  EXPECT_FALSE(main_set().antennas[2].matched);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MergeTest, AntennasOfEqualNameInTheMergedFileCollapseIntoOne) {
  ASSERT_TRUE(LoadList(AstraThenHotbird()));
  TestList other;
  other.antennas = {AntennaLine("New"), AntennaLine("New")};
  // The second "New" is matched against the copy of the first: its 10/1 is found, its 5/1 is
  // inserted into the group before the 10.
  other.transponders = {TsLine(0, 10, 1), TsLine(1, 10, 1), TsLine(1, 5, 1)};
  other.providers = {"P"};
  other.services = {ServiceLine("V", 1, 0, "on second")};
  ASSERT_TRUE(Merge(other));
  ASSERT_EQ(main_set().antennas.size(), 3u);
  EXPECT_EQ(TransponderOrder(main_set()), (Strings{"Astra:10/1", "Astra:20/1", "Astra:30/1",
                                                   "Hotbird:15/1", "New:5/1", "New:10/1"}));
  const Service& merged = main_set().tv_services.back();
  EXPECT_EQ(merged.antenna(), &main_set().antennas[2]);
  EXPECT_EQ(merged.transponder, &main_set().transponders[5]);
}

TEST_F(MergeTest, EachAntennaBeyondThe32ndIsWarnedAboutAndAdded) {
  TestList list;
  for (int i = 0; i < 32; ++i) list.antennas.push_back(AntennaLine("Sat " + std::to_string(i)));
  ASSERT_TRUE(LoadList(list));
  ASSERT_TRUE(platform.messages.empty());
  TestList other;
  other.antennas = {AntennaLine("Sat 5"), AntennaLine("First new"), AntennaLine("Second new")};
  ASSERT_TRUE(Merge(other, "more.txt"));
  EXPECT_EQ(main_set().antennas.size(), 34u);
  ASSERT_EQ(platform.messages.size(), 2u);
  for (const auto& message : platform.messages) EXPECT_EQ(message.title, "Warning !!!");
  EXPECT_EQ(platform.messages[0].text,
            "More then 32 antennas ! \r\nFirst new\r\n" + Path("more.txt"));
  EXPECT_EQ(platform.messages[1].text,
            "More then 32 antennas ! \r\nSecond new\r\n" + Path("more.txt"));
}

// ---- Transponders ----

TEST_F(MergeTest, ANewTransponderJoinsItsAntennasGroupInValue3Order) {
  ASSERT_TRUE(LoadList(AstraThenHotbird()));
  TestList other;
  other.antennas = {AntennaLine("Astra")};
  other.transponders = {TsLine(0, 20, 2), TsLine(0, 40, 2), TsLine(0, 5, 2)};
  ASSERT_TRUE(Merge(other));
  EXPECT_EQ(TransponderOrder(main_set()),
            (Strings{"Astra:5/2", "Astra:10/1", "Astra:20/1", "Astra:20/2", "Astra:30/1",
                     "Astra:40/2", "Hotbird:15/1"}));
}

TEST_F(MergeTest, AGroupAtTheEndOfTheListGrowsAtTheEnd) {
  TestList list;
  list.antennas = {AntennaLine("Hotbird"), AntennaLine("Astra")};
  list.transponders = {TsLine(0, 15, 1), TsLine(1, 10, 1), TsLine(1, 20, 1), TsLine(1, 30, 1)};
  ASSERT_TRUE(LoadList(list));
  TestList other;
  other.antennas = {AntennaLine("Astra")};
  other.transponders = {TsLine(0, 40, 2)};
  ASSERT_TRUE(Merge(other));
  EXPECT_EQ(TransponderOrder(main_set()).back(), "Astra:40/2");
  EXPECT_EQ(main_set().transponders.size(), 5u);
}

TEST_F(MergeTest, AMatchedAntennaWithoutTranspondersStartsItsGroupAtTheEnd) {
  TestList list;
  list.antennas = {AntennaLine("Astra"), AntennaLine("Hotbird")};
  list.transponders = {TsLine(1, 15, 1)};
  ASSERT_TRUE(LoadList(list));
  TestList other;
  other.antennas = {AntennaLine("Astra")};
  // The 7 is appended; the 3 then joins the new group before it.
  other.transponders = {TsLine(0, 7, 1), TsLine(0, 3, 1)};
  ASSERT_TRUE(Merge(other));
  EXPECT_EQ(TransponderOrder(main_set()), (Strings{"Hotbird:15/1", "Astra:3/1", "Astra:7/1"}));
}

TEST_F(MergeTest, TranspondersOfANewAntennaAreAppendedWithoutComparison) {
  ASSERT_TRUE(LoadList(AstraThenHotbird()));
  TestList other;
  other.antennas = {AntennaLine("Eutelsat")};
  other.transponders = {TsLine(0, 20, 1), TsLine(0, 10, 1), TsLine(0, 20, 1)};
  ASSERT_TRUE(Merge(other));
  EXPECT_EQ(TransponderOrder(main_set()),
            (Strings{"Astra:10/1", "Astra:20/1", "Astra:30/1", "Hotbird:15/1", "Eutelsat:20/1",
                     "Eutelsat:10/1", "Eutelsat:20/1"}));
}

// Found by the merge fuzzer. A loaded transponder whose antenna column lies past the antennas
// belongs to the last antenna, but was grouped under the position its column names. When the
// merge appended an antenna at that position and a second antenna of the same name in the merged
// file then matched it, a transponder of that second antenna was taken for the loaded one: its
// service ended up on a transponder of another antenna than its own.
TEST_F(MergeTest, ATransponderBelongsToTheAntennaItNamesWhateverItsColumnSays) {
  TestList list;
  list.antennas = {AntennaLine("Astra")};
  list.transponders = {TsLine(1, 10, 1)};  // past the one antenna: Astra's
  ASSERT_TRUE(LoadList(list));
  TestList other;
  other.antennas = {AntennaLine("Hotbird"), AntennaLine("Hotbird")};
  other.transponders = {TsLine(0, 20, 1), TsLine(1, 10, 1)};
  other.providers = {"P"};
  other.services = {ServiceLine("V", 1, 0, "on Hotbird 10")};
  ASSERT_TRUE(Merge(other));
  EXPECT_EQ(TransponderOrder(main_set()), (Strings{"Astra:10/1", "Hotbird:10/1", "Hotbird:20/1"}));
  const Service& merged = main_set().tv_services.back();
  ASSERT_NE(merged.transponder, nullptr);
  EXPECT_EQ(merged.transponder, &main_set().transponders[1]);
  EXPECT_EQ(merged.antenna(), &main_set().antennas[1]);
  EXPECT_EQ(main_set().antennas[1].name, "Hotbird");
}

TEST_F(MergeTest, AnEqualTransponderIsReusedWhateverItsOtherValues) {
  ASSERT_TRUE(LoadList(AstraThenHotbird()));
  TestList other;
  other.antennas = {AntennaLine("Hotbird"), AntennaLine("Astra")};
  other.transponders = {"1\t99\t20\t98\t1\t97\t96\t95"};
  other.providers = {"P"};
  other.services = {ServiceLine("V", 0, 0, "on 20")};
  ASSERT_TRUE(Merge(other));
  ASSERT_EQ(main_set().transponders.size(), 4u);
  const Transponder& reused = main_set().transponders[1];
  EXPECT_EQ(reused.values.value2, 0);  // the main set keeps its own values
  EXPECT_EQ(reused.values.value4, 0);
  EXPECT_EQ(main_set().tv_services.back().transponder, &reused);
}

// ---- Providers ----

TEST_F(MergeTest, ProvidersMatchByTheWholeLine) {
  TestList list = AstraThenHotbird();
  list.providers = {"ABC", "XYZ"};
  ASSERT_TRUE(LoadList(list));
  TestList other;
  other.antennas = {AntennaLine("Astra")};
  other.transponders = {TsLine(0, 10, 1)};
  other.providers = {"ABC ", "XYZ", "abc"};
  other.services = {ServiceLine("V", 0, 0, "a"), ServiceLine("V", 0, 1, "b"),
                    ServiceLine("V", 0, 2, "c")};
  ASSERT_TRUE(Merge(other));
  ASSERT_EQ(main_set().providers.size(), 4u);
  EXPECT_EQ(main_set().providers[2].name, "ABC ");
  EXPECT_EQ(main_set().providers[3].name, "abc");
  EXPECT_TRUE(main_set().providers[2].used);
  EXPECT_FALSE(main_set().providers[1].used);
  EXPECT_EQ(main_set().tv_services[0].provider, &main_set().providers[2]);
  EXPECT_EQ(main_set().tv_services[1].provider, &main_set().providers[1]);
  EXPECT_EQ(main_set().tv_services[2].provider, &main_set().providers[3]);
}

// ---- Services and favourites ----

class FavoriteMergeTest : public MergeTest {
 protected:
  // TV favourites with value2 1, 1, 3 naming the three TV services; one radio favourite.
  FavoriteMergeTest() {
    TestList list = AstraThenHotbird();
    list.providers = {"P"};
    list.services = {ServiceLine("V", 0, 0, "tv a", 1), ServiceLine("V", 1, 0, "tv b", 2),
                     ServiceLine("V", 2, 0, "tv c", 3), ServiceLine("R", 3, 0, "radio a", 1)};
    list.favorites = {FavoriteLine(0, 1, 0), FavoriteLine(0, 1, 1), FavoriteLine(0, 3, 2),
                      FavoriteLine(1, 5, 0)};
    EXPECT_TRUE(LoadList(list));
  }
  // The names of the services that the favourites of a list name, in list order.
  static Strings Named(const RecordList<Favorite>& favorites) {
    Strings names;
    for (const Favorite& f : favorites) {
      names.push_back(std::string(f.service->name()) + "@" + std::to_string(f.value2));
    }
    return names;
  }
};

TEST_F(FavoriteMergeTest, ANewFavoriteGoesBeforeTheFirstGreaterValue2) {
  TestList other;
  other.antennas = {AntennaLine("Astra")};
  other.transponders = {TsLine(0, 10, 1)};
  other.providers = {"P"};
  other.services = {ServiceLine("V", 0, 0, "new 2"), ServiceLine("V", 0, 0, "new 3"),
                    ServiceLine("V", 0, 0, "new 0"), ServiceLine("R", 0, 0, "radio new")};
  other.favorites = {FavoriteLine(0, 2, 0), FavoriteLine(0, 3, 1), FavoriteLine(0, 0, 2),
                     FavoriteLine(1, 5, 0)};
  ASSERT_TRUE(Merge(other));
  EXPECT_EQ(Named(main_set().tv_favorites),
            (Strings{"new 0@0", "tv a@1", "tv b@1", "new 2@2", "tv c@3", "new 3@3"}));
  EXPECT_EQ(Named(main_set().radio_favorites), (Strings{"radio a@5", "radio new@5"}));
}

TEST_F(FavoriteMergeTest, AMergedFavoriteNamesThePositionOfTheServicesCopy) {
  TestList other;
  other.antennas = {AntennaLine("Astra")};
  other.transponders = {TsLine(0, 10, 1)};
  other.providers = {"P"};
  other.services = {ServiceLine("V", 0, 0, "first", 7), ServiceLine("V", 0, 0, "second", 8),
                    ServiceLine("R", 0, 0, "radio new", 9)};
  other.favorites = {FavoriteLine(0, 9, 1), FavoriteLine(1, 9, 0)};
  ASSERT_TRUE(Merge(other));
  const Favorite& tv = main_set().tv_favorites.back();
  EXPECT_EQ(tv.service, &main_set().tv_services[4]);
  EXPECT_EQ(tv.channel_index, 4);
  EXPECT_EQ(main_set().tv_services[4].name(), "second");
  const Favorite& radio = main_set().radio_favorites.back();
  EXPECT_EQ(radio.service, &main_set().radio_services[1]);
  EXPECT_EQ(radio.channel_index, 1);
}

// Found by the merge fuzzer. A favourite joins the TV or the radio list by the first byte of its
// line, but names a service by its kind column; the two disagree for a line whose kind column is
// empty (a radio favourite naming a TV service) or reads "012" (a TV favourite naming a radio
// service). The merge relinked such a favourite among the services of its list, so that it named
// another channel than when its file was loaded.
TEST_F(FavoriteMergeTest, AFavoriteNamesTheSameChannelWhetherItsFileIsLoadedOrMerged) {
  TestList other;
  other.antennas = {AntennaLine("Astra")};
  other.transponders = {TsLine(0, 10, 1)};
  other.providers = {"P"};
  other.services = {ServiceLine("V", 0, 0, "tv new"), ServiceLine("R", 0, 0, "radio new")};
  other.favorites = {"\t7\t0", "012\t8\t0"};
  ASSERT_TRUE(Merge(other));
  EXPECT_EQ(Named(main_set().tv_favorites), (Strings{"tv a@1", "tv b@1", "tv c@3", "radio new@8"}));
  EXPECT_EQ(Named(main_set().radio_favorites), (Strings{"radio a@5", "tv new@7"}));

  ASSERT_TRUE(LoadList(other, "other.txt"));
  EXPECT_EQ(Named(main_set().tv_favorites), (Strings{"radio new@8"}));
  EXPECT_EQ(Named(main_set().radio_favorites), (Strings{"tv new@7"}));
}

// ---- After the merge ----

// The index fields of antennas, transponders and favourites name the positions of the records
// their references designate, and every list_index is the record's position.
void ExpectConsistent(const ChannelList& set) {
  std::int32_t position = 0;
  for (const Antenna& a : set.antennas) {
    EXPECT_EQ(a.list_index, position);
    EXPECT_EQ(a.index, position++);
  }
  position = 0;
  for (const Transponder& t : set.transponders) {
    EXPECT_EQ(t.list_index, position++);
    EXPECT_EQ(std::to_string(t.antenna_index), PositionOf(set.antennas, t.antenna));
  }
  position = 0;
  for (const Provider& p : set.providers) EXPECT_EQ(p.list_index, position++);
  for (const bool tv : {true, false}) {
    const auto& favorites = tv ? set.tv_favorites : set.radio_favorites;
    const auto& services = tv ? set.tv_services : set.radio_services;
    position = 0;
    for (const Favorite& f : favorites) {
      EXPECT_EQ(f.list_index, position++);
      EXPECT_EQ(std::to_string(f.channel_index), PositionOf(services, f.service));
    }
  }
}

TEST_F(FavoriteMergeTest, EveryIndexIsRenumbered) {
  TestList other;
  other.antennas = {AntennaLine("Eutelsat"), AntennaLine("Astra")};
  other.transponders = {TsLine(1, 25, 1), TsLine(0, 1, 1), TsLine(1, 5, 1), TsLine(1, 30, 1)};
  other.providers = {"Q", "P"};
  other.services = {ServiceLine("V", 0, 0, "on 25"), ServiceLine("R", 2, 1, "on 5"),
                    ServiceLine("V", 1, 1, "on Eutelsat"), ServiceLine("V", 3, 0, "on 30")};
  other.favorites = {FavoriteLine(0, 2, 2), FavoriteLine(0, 0, 0), FavoriteLine(1, 0, 0)};
  ASSERT_TRUE(Merge(other));
  EXPECT_EQ(TransponderOrder(main_set()),
            (Strings{"Astra:5/1", "Astra:10/1", "Astra:20/1", "Astra:25/1", "Astra:30/1",
                     "Hotbird:15/1", "Eutelsat:1/1"}));
  ExpectConsistent(main_set());
  const RecordList<Transponder>& transponders = main_set().transponders;
  EXPECT_EQ(main_set().tv_services[3].transponder, &transponders[3]);  // "on 25"
  EXPECT_EQ(main_set().tv_services[4].transponder, &transponders[6]);  // "on Eutelsat"
  // "on 30": the main set's own 30/1
  EXPECT_EQ(main_set().tv_services[5].transponder, &transponders[4]);
  EXPECT_EQ(main_set().radio_services[1].transponder, &transponders[0]);
  EXPECT_EQ(main_set().transponders[6].antenna_index, 2);
}

TEST_F(MergeTest, NetworksAndMenusOfTheFirstFileOnlyAreKeptAndSaved) {
  TestList list = AstraThenHotbird();
  list.providers = {"P"};
  list.services = {ServiceLine("V", 0, 0, "tv")};
  list.networks = {"first network"};
  list.menus = {"first menu"};
  ASSERT_TRUE(LoadList(list));
  TestList other = list;
  other.networks = {"second network"};
  other.menus = {"second menu"};
  ASSERT_TRUE(Merge(other));
  ASSERT_EQ(main_set().networks.size(), 1u);
  EXPECT_EQ(main_set().networks[0].text, "first network");
  ASSERT_EQ(main_set().menus.size(), 1u);
  EXPECT_EQ(main_set().menus[0].text, "first menu");

  ASSERT_TRUE(SaveList(workspace, Path("saved.txt")));
  const std::string saved = ReadFile(Path("saved.txt"));
  EXPECT_NE(saved.find("first network"), std::string::npos);
  EXPECT_NE(saved.find("first menu"), std::string::npos);
  EXPECT_EQ(saved.find("second"), std::string::npos);
}

TEST_F(MergeTest, LoadedRecordsWithEmptyReferencesKeepTheirIndexes) {
  TestList list;
  list.antennas = {AntennaLine("Astra")};
  list.transponders = {TsLine(-1, 10, 1), TsLine(0, 20, 1)};
  list.providers = {"P"};
  list.services = {ServiceLine("V", -3, -4, "broken")};
  list.favorites = {FavoriteLine(1, 0, 0)};  // no radio service to name
  ASSERT_TRUE(LoadList(list));
  ASSERT_EQ(main_set().transponders[0].antenna, nullptr);
  TestList other;
  other.antennas = {AntennaLine("Astra")};
  other.transponders = {TsLine(0, 15, 1)};
  ASSERT_TRUE(Merge(other));
  EXPECT_EQ(TransponderOrder(main_set()), (Strings{"?:10/1", "Astra:15/1", "Astra:20/1"}));
  EXPECT_EQ(main_set().transponders[0].antenna_index, -1);
  EXPECT_EQ(main_set().transponders[2].antenna_index, 0);
  EXPECT_EQ(main_set().tv_services[0].transponder, nullptr);
  EXPECT_EQ(main_set().tv_services[0].provider, nullptr);
  EXPECT_EQ(main_set().radio_favorites[0].channel_index, 0);
  EXPECT_EQ(main_set().radio_favorites[0].service, nullptr);
}

// ---- The driver ----

TEST_F(MergeTest, EachPhaseIsAnnouncedInStatusField1) {
  ASSERT_TRUE(LoadList(AstraThenHotbird()));
  platform.status_history.clear();
  ASSERT_TRUE(Merge(AstraThenHotbird()));
  EXPECT_EQ(platform.status_history,
            (Strings{"1:Merging antennas...", "1:Merging transponders...", "1:Merging providers...",
                     "1:Adding channels...", "1:Merging favorites..."}));
}

TEST_F(MergeTest, AFileAlreadyLoadedIsRefusedUnderItsOwnNameOnly) {
  TestList list = AstraThenHotbird();
  list.providers = {"P"};
  list.services = {ServiceLine("V", 0, 0, "tv")};
  list.favorites = {FavoriteLine(0, 1, 0)};
  ASSERT_TRUE(LoadList(list, "a.txt"));
  const std::string before = Dump(main_set());

  EXPECT_FALSE(MergeFile("a.txt"));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Sorry, no go....");
  EXPECT_EQ(platform.messages[0].text, "File already loaded or merged. \r\n" + Path("a.txt"));
  EXPECT_EQ(Dump(main_set()), before);

  // The same file under another form of its name goes in a second time.
  ASSERT_TRUE(MergeFile("./a.txt"));
  EXPECT_EQ(main_set().tv_services.size(), 2u);
  EXPECT_EQ(main_set().tv_favorites.size(), 2u);
  EXPECT_EQ(main_set().transponders.size(), 4u);
  ASSERT_EQ(workspace.loaded_files.size(), 2u);
  EXPECT_EQ(workspace.loaded_files[1].path, Path("./a.txt"));

  EXPECT_FALSE(MergeFile("./a.txt"));
  EXPECT_EQ(platform.messages.back().text, "File already loaded or merged. \r\n" + Path("./a.txt"));
}

TEST_F(MergeTest, ATxtFileThatIsNoChannelListIsNotFound) {
  ASSERT_TRUE(LoadList(AstraThenHotbird()));
  WriteList("script.txt", BatchScript({"load x.txt"}));
  EXPECT_FALSE(MergeFile("script.txt"));
  EXPECT_FALSE(MergeFile("missing.txt"));
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages[0].title, "Nice....");
  EXPECT_EQ(platform.messages[0].text, "MergeThisFile: File not found \r\n" + Path("script.txt"));
  EXPECT_EQ(platform.messages[1].text, "MergeThisFile: File not found \r\n" + Path("missing.txt"));
  EXPECT_EQ(workspace.loaded_files.size(), 1u);
}

TEST_F(MergeTest, ARepairedFileMergesAfterAFailedFirstLineCheck) {
  ASSERT_TRUE(LoadList(AstraThenHotbird()));
  TestList other = AstraThenHotbird();
  WriteList("b.txt", "[MORVANE V2 FILE]\r\n" + other.Text().substr(19));
  EXPECT_FALSE(MergeFile("b.txt"));
  EXPECT_EQ(platform.messages.back().text, "MergeThisFile: File not found \r\n" + Path("b.txt"));
  EXPECT_EQ(workspace.loaded_files.size(), 1u);
  ASSERT_TRUE(Merge(other, "b.txt"));
  EXPECT_EQ(workspace.loaded_files.size(), 2u);
}

TEST_F(MergeTest, TheMergeSetIsEmptyAfterwards) {
  ASSERT_TRUE(LoadList(AstraThenHotbird()));
  ASSERT_TRUE(Merge(AstraThenHotbird()));
  EXPECT_EQ(Dump(workspace.merge_set), "");
}

// ---- Broken indexes ----

struct BrokenCase {
  const char* what;
  TestList list;
};

TestList Valid() {
  TestList list;
  list.antennas = {AntennaLine("Astra"), AntennaLine("New")};
  list.transponders = {TsLine(0, 10, 2), TsLine(1, 10, 2)};
  list.providers = {"P", "Q"};
  list.services = {ServiceLine("V", 0, 0, "tv"), ServiceLine("R", 1, 1, "radio")};
  list.favorites = {FavoriteLine(0, 1, 0), FavoriteLine(1, 1, 0)};
  list.networks = {"n"};
  list.menus = {"m"};
  return list;
}

std::vector<BrokenCase> BrokenCases() {
  std::vector<BrokenCase> cases;
  const auto broken = [&cases](const char* what, auto change) {
    TestList list = Valid();
    change(list);
    cases.push_back({what, list});
  };
  broken("transponder antenna negative", [](TestList& l) { l.transponders[1] = TsLine(-1, 1, 1); });
  broken("transponder antenna past end", [](TestList& l) { l.transponders[1] = TsLine(2, 1, 1); });
  broken("transponder without antennas", [](TestList& l) {
    l.antennas.clear();
    l.transponders = {TsLine(0, 1, 1)};
    l.services.clear();
    l.favorites.clear();
  });
  broken("service transponder past end",
         [](TestList& l) { l.services[1] = ServiceLine("R", 2, 0, "radio"); });
  broken("service transponder negative",
         [](TestList& l) { l.services[0] = ServiceLine("V", -1, 0, "tv"); });
  broken("service provider past end",
         [](TestList& l) { l.services[0] = ServiceLine("V", 0, 2, "tv"); });
  broken("service provider negative",
         [](TestList& l) { l.services[1] = ServiceLine("R", 1, -1, "radio"); });
  broken("service without providers", [](TestList& l) { l.providers.clear(); });
  broken("tv favourite past end", [](TestList& l) { l.favorites[0] = FavoriteLine(0, 1, 1); });
  broken("radio favourite without radios", [](TestList& l) {
    l.services.pop_back();
    l.favorites = {FavoriteLine(1, 1, 0)};
  });
  return cases;
}

TEST_F(MergeTest, BrokenIndexesRefuseTheMergeAndChangeNothing) {
  TestList list = AstraThenHotbird();
  list.providers = {"P"};
  list.services = {ServiceLine("V", 0, 0, "tv"), ServiceLine("R", 3, 0, "radio")};
  list.favorites = {FavoriteLine(0, 1, 0), FavoriteLine(1, 2, 0)};
  list.networks = {"net"};
  list.menus = {"menu"};
  ASSERT_TRUE(LoadList(list));
  const std::string before = Dump(main_set());

  for (const BrokenCase& broken : BrokenCases()) {
    SCOPED_TRACE(broken.what);
    platform.messages.clear();
    platform.status_history.clear();
    EXPECT_FALSE(Merge(broken.list, "broken.txt"));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, "Nice....");
    EXPECT_EQ(platform.messages[0].text,
              "MergeThisFile: index out of range \r\n" + Path("broken.txt"));
    EXPECT_EQ(Dump(main_set()), before);
    EXPECT_EQ(Dump(workspace.merge_set), "");
    ASSERT_EQ(workspace.loaded_files.size(), 1u);
    EXPECT_TRUE(platform.status_history.empty());
  }
  // The valid form of the same file merges.
  ASSERT_TRUE(Merge(Valid(), "broken.txt"));
  ExpectConsistent(main_set());
}

// ---- Binary input (made-up converter that copies its input) ----

class BinaryMergeTest : public MergeTest {
 protected:
  BinaryMergeTest() {
    workspace.settings.converter_folder = programs.path();
    const std::string program = programs / (std::string(kToTextConverter) + kExecutableSuffix);
    WriteFile(program, "#!/bin/sh\ncp \"$1\" \"$2\"\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  }
#ifdef _WIN32
  void SetUp() override { GTEST_SKIP() << "the made-up converter is a POSIX shell script"; }
#endif
  TempFolder programs;
};

TEST_F(BinaryMergeTest, ABinaryListIsMergedThroughItsTextForm) {
  ASSERT_TRUE(LoadList(AstraThenHotbird()));
  ASSERT_TRUE(Merge(Valid(), "other.vrk"));
  EXPECT_EQ(workspace.settings.text_file, workspace.settings.WorkPath("other.vrk.txt"));
  EXPECT_NE(workspace.settings.converter_command.find("vrk2mvt"), std::string::npos);
  EXPECT_EQ(main_set().tv_services.size(), 1u);
  // The text form stays in the work folder.
  EXPECT_EQ(ReadFile(workspace.settings.WorkPath("other.vrk.txt")), Valid().Text());
}

TEST_F(BinaryMergeTest, AnUpperCaseVrkNameIsConvertedAndAnUpperCaseTxtNameIsNot) {
  ASSERT_TRUE(LoadList(AstraThenHotbird()));
  ASSERT_TRUE(Merge(Valid(), "LIST.VRK"));
  EXPECT_EQ(workspace.settings.text_file, workspace.settings.WorkPath("LIST.VRK.txt"));
  WriteList("LIST.TXT", Valid().Text());
  ASSERT_TRUE(MergeFile("LIST.TXT"));
  EXPECT_EQ(workspace.settings.text_file, Path("LIST.TXT"));
}

TEST_F(BinaryMergeTest, AWrongTextFormIsRefusedUntilRepaired) {
  ASSERT_TRUE(LoadList(AstraThenHotbird()));
  WriteList("b.vrk", CrLf({"[MORVANE V2 FILE]", "[ANTENNA]"}));
  EXPECT_FALSE(MergeFile("b.vrk"));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Nice....");
  EXPECT_EQ(platform.messages[0].text, "MergeThisFile: this file is not [MORVANE V3 FILE]\r\n" +
                                           Path("b.vrk") + "\r\n[MORVANE V2 FILE]");
  EXPECT_EQ(workspace.loaded_files.size(), 1u);
  ASSERT_TRUE(Merge(Valid(), "b.vrk"));
  EXPECT_EQ(workspace.loaded_files.back().path, Path("b.vrk"));
}

TEST_F(BinaryMergeTest, AMissingBinaryFileIsNotFound) {
  ASSERT_TRUE(LoadList(AstraThenHotbird()));
  EXPECT_FALSE(MergeFile("gone.vrk"));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "MergeThisFile: File not found \r\n" + Path("gone.vrk") +
                                           "\r\ncp: cannot stat '" + Path("gone.vrk") +
                                           "': No such file or directory");
}

}  // namespace
}  // namespace vsm
