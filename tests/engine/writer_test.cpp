#include "format/writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "format/reader.h"
#include "split/provider_naming.h"
#include "split/split_per_antenna.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

// The set that the tests write, marked by hand the way a marking pass leaves it: antenna "Astra"
// selected, "Hotbird" not; the records on "Astra" kept and renumbered, the others not.
class WriterTest : public WorkspaceTest {
 protected:
  WriterTest() {
    ChannelList& set = workspace.main_set;
    Antenna& astra = AddAntenna("Astra", 4294967296LL, 0);
    astra.values = {4294967296LL, 1, 2, 3, 4, 5, 6};
    Antenna& hotbird = AddAntenna("Hotbird", -1, 1);
    hotbird.selected = false;

    Transponder& t0 = AddTransponder(&astra, 10);
    t0.values = {10, 11, 12, 13, 14, 15, 16};
    Transponder& t1 = AddTransponder(&hotbird, 99);
    t1.out_antenna_index = 1;
    Transponder& t2 = AddTransponder(&astra, -20);
    t2.out_index = 1;
    workspace.kept.transponders = {&t0, &t2};

    set.networks.Append({"net\twith\ttabs", 0});
    set.networks.Append({"", 1});
    for (const char* name : {"P0", "P1", "P2"}) set.providers.Append({name, 0, false});
    set.providers[0].used = set.providers[2].used = true;
    workspace.kept.providers = {&set.providers[0], &set.providers[2]};
    set.menus.Append({"m\t1", 0});
    set.menus.Append({"", 1});

    Service& one = AddService(set.tv_services, "V", "One", &t0, 0, 1);
    Service& other = AddService(set.tv_services, "V", "Other", &t1, 0, 0);
    Service& two = AddService(set.tv_services, "Video", "Tw\xE9", &t2, 1, 2);
    workspace.kept.tv_services = {&one, &two};
    Service& radio = AddService(set.radio_services, "A", "Radio", &t2, 0, 1);
    Service& lost_radio = AddService(set.radio_services, "A", "Lost", &t1, 0, 0);
    workspace.kept.radio_services = {&radio};

    // Every favourite is handed to the writer, which writes those that pass its favourite test.
    AddFavorite(set.tv_favorites, 0, 3, &one, 0);
    AddFavorite(set.tv_favorites, 0, 8, &other, 77);
    AddFavorite(set.tv_favorites, 0, -2, &two, 1);
    AddFavorite(set.tv_favorites, 0, 9, nullptr, 88);
    AddFavorite(set.radio_favorites, 1, 0, &radio, 0);
    AddFavorite(set.radio_favorites, 1, 0, &lost_radio, 66);
    for (Favorite& favorite : set.tv_favorites) workspace.kept.tv_favorites.push_back(&favorite);
    for (Favorite& favorite : set.radio_favorites) {
      workspace.kept.radio_favorites.push_back(&favorite);
    }

    files = {Path("out.txt"), workspace.settings.WorkPath("out.txt")};
  }

  Antenna& AddAntenna(std::string name, std::int64_t value2, int out_index) {
    Antenna antenna;
    antenna.name = workspace.main_set.antennas.KeepText(name);
    antenna.values.value2 = value2;
    antenna.out_index = out_index;
    return workspace.main_set.antennas.Append(std::move(antenna));
  }

  Transponder& AddTransponder(Antenna* antenna, int value2) {
    Transponder transponder;
    transponder.antenna = antenna;
    transponder.values.value2 = value2;
    transponder.antenna_index = 42;  // the value read; the output uses out_antenna_index
    return workspace.main_set.transponders.Append(transponder);
  }

  // A service on `transponder`, written under that one's number.
  static Service& AddService(RecordList<Service>& list, std::string_view kind,
                             std::string_view name, Transponder* transponder, int out_provider,
                             int out_number) {
    Service& service = list.AppendNew();
    service.SetTexts({kind, "TRUE", "FALSE", "FALSE", name}, list.texts());
    service.values = {1, 2, 3, 4, 5, -6};
    service.transponder = transponder;
    service.out_provider_index = out_provider;
    service.out_number = out_number;
    service.kept = out_number != 0;
    return service;
  }

  static void AddFavorite(RecordList<Favorite>& list, int kind, int value2, Service* service,
                          int out_channel_index) {
    Favorite favorite;
    favorite.kind = kind;
    favorite.value2 = value2;
    favorite.channel_index = 40;  // the value read; the output uses out_channel_index
    favorite.service = service;
    favorite.out_channel_index = out_channel_index;
    list.Append(favorite);
  }

  std::string Write(bool by_antenna = true) {
    EXPECT_TRUE(workspace.Report(WriteChannelList(workspace, files, by_antenna)));
    return ReadFile(files.text_file);
  }

  ListFiles files;  // where Write() writes
  // The columns that AddService gives every service, as they are written.
  static constexpr ServiceColumns kAdded{.values = "1\t2\t3\t4\t5\t-6"};
};

// What the writer makes of an empty list.
const std::string kEveryHeader = CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", "[TS]", "[NETWORK]",
                                       "[PROVIDER]", "[FAVORITE]", "[SERVICE]", "[MENU]"});

TEST_F(WriterTest, WritesWhatTheMarkingKeptInSectionOrder) {
  EXPECT_EQ(Write(), CrLf({
                         "[MORVANE V3 FILE]",
                         "[ANTENNA]",
                         "0\t4294967296\t1\t2\t3\t4\t5\t6\tAstra",
                         "1\t-1\t0\t0\t0\t0\t0\t0\tHotbird",
                         "[TS]",
                         "0\t10\t11\t12\t13\t14\t15\t16",
                         "0\t-20\t0\t0\t0\t0\t0\t0",
                         "[NETWORK]",
                         "net\twith\ttabs",
                         "",
                         "[PROVIDER]",
                         "P0",
                         "P2",
                         "[FAVORITE]",
                         "0\t3\t0",
                         "0\t-2\t1",
                         "1\t0\t0",
                         "[SERVICE]",
                         ServiceLine("V", 0, 0, "One", 1, kAdded),
                         ServiceLine("Video", 1, 1, "Tw\xE9", 2, kAdded),
                         ServiceLine("A", 1, 0, "Radio", 1, kAdded),
                         "[MENU]",
                         "m\t1",
                         "",
                     }));
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(WriterTest, RemovedRadiosLeaveThePlaceholderAndNoRadioFavorites) {
  workspace.options.remove_radios = true;
  const std::string text = Write();
  EXPECT_NE(text.find(CrLf({"0\t-2\t1", "[SERVICE]"})), std::string::npos);
  EXPECT_NE(text.find(CrLf({ServiceLine("Video", 1, 1, "Tw\xE9", 2, kAdded),
                            "A\t0\t0\t0\t0\t0\t0\tFALSE\tFALSE\tFALSE\t0\t0\tDummy Service\t1",
                            "[MENU]"})),
            std::string::npos);
  EXPECT_EQ(text.find("Radio"), std::string::npos);
  ReadAllSections(workspace, SetId::merge, text);
  EXPECT_TRUE(workspace.merge_set.radio_services.empty());
  EXPECT_EQ(workspace.merge_set.tv_services.size(), 2u);
}

TEST_F(WriterTest, NoKeptRadioMeansNoPlaceholder) {
  workspace.kept.radio_services.clear();
  EXPECT_NE(Write().find(CrLf({ServiceLine("Video", 1, 1, "Tw\xE9", 2, kAdded), "[MENU]"})),
            std::string::npos);
}

TEST_F(WriterTest, RemovedFavoritesLeaveTheHeaderOnly) {
  workspace.options.remove_favorites = true;
  EXPECT_NE(Write().find(CrLf({"P2", "[FAVORITE]", "[SERVICE]"})), std::string::npos);
}

TEST_F(WriterTest, GeneratedProvidersReplaceTheExistingOnes) {
  TestList in;
  in.antennas = {AntennaLine("Astra"), AntennaLine("Hotbird", "1\t0\t0\t0\t0\t0\t0\t0")};
  in.transponders = {TransponderLine(0, "1\t2\t3\t4\t5\t6\t7")};
  in.providers = {"P0", "P1"};
  in.services = {ServiceLine("V", 0, 1, "One", 1, kPlainService)};
  WriteList("in.txt", in.Text());
  ASSERT_TRUE(Load("in.txt"));
  // The one service lies on Astra and names P1.
  const auto providers_written = [&](Naming naming) {
    workspace.options.naming = naming;
    BuildGeneratedProviders(workspace);
    EXPECT_TRUE(MarkForSelectedAntennas(workspace));
    const std::string text = Write();
    const std::size_t first = text.find("[PROVIDER]\r\n") + 12;
    return text.substr(first, text.find("[FAVORITE]") - first);
  };
  EXPECT_EQ(providers_written(Naming::keep_existing_names), "P1\r\n");
  EXPECT_EQ(providers_written(Naming::use_antenna_names), "Astra\r\n");
}

TEST_F(WriterTest, FavoritesFollowTheSelectionOrTheKeptMark) {
  ChannelList& set = workspace.main_set;
  // "One" stays kept while its antenna is deselected: a split per provider still writes its
  // favourite, a save does not.
  set.antennas[0].selected = false;
  EXPECT_NE(Write(true).find(CrLf({"[FAVORITE]", "[SERVICE]"})), std::string::npos);
  EXPECT_NE(Write(false).find(CrLf({"[FAVORITE]", "0\t3\t0", "0\t-2\t1", "1\t0\t0", "[SERVICE]"})),
            std::string::npos);
  // A service that is not kept has no output number: its favourite is never written.
  set.antennas[1].selected = true;
  for (const bool by_antenna : {true, false}) {
    const std::string text = Write(by_antenna);
    EXPECT_EQ(text.find("\t77\r\n"), std::string::npos) << by_antenna;
    EXPECT_EQ(text.find("\t66\r\n"), std::string::npos) << by_antenna;
    EXPECT_EQ(text.find("0\t9\t"), std::string::npos) << by_antenna;  // no service at all
  }
}

TEST_F(WriterTest, AnEmptyListStillHasEveryHeader) {
  workspace.main_set.Clear();
  workspace.kept = {};
  EXPECT_EQ(Write(), kEveryHeader);
}

TEST_F(WriterTest, NumbersComeBackNormalisedAndTextsByteForByte) {
  TestList in;
  in.antennas = {"5\t007\t-0\t+3\tx\t\t 4\t12abc\t Sat\xFF "};
  in.transponders = {"0\t007"};
  in.networks = {"\tn\t"};
  in.providers = {" p "};
  in.favorites = {"0\t007\t0"};
  in.services = {"V\t007\t\t\t\t\t\ttrue\t\tYES\t0\t0\t name \t9"};
  in.menus = {"\t"};
  WriteList("in.txt", in.Text());
  ASSERT_TRUE(Load("in.txt"));
  // Mark everything as kept, numbered in list order.
  ChannelList& set = workspace.main_set;
  set.providers[0].used = true;
  workspace.kept.providers = {&set.providers[0]};
  set.transponders[0].out_antenna_index = set.transponders[0].antenna->out_index;
  workspace.kept.transponders = {&set.transponders[0]};
  Service& service = set.tv_services[0];
  service.kept = true;
  service.out_number = 1;
  workspace.kept.tv_services = {&service};
  workspace.kept.tv_favorites = {&set.tv_favorites[0]};
  files.text_file = workspace.settings.WorkPath("in.txt");
  EXPECT_EQ(Write(), CrLf({
                         "[MORVANE V3 FILE]",
                         "[ANTENNA]",
                         "0\t7\t0\t3\t0\t0\t4\t12\tSat\xFF",
                         "[TS]",
                         "0\t7\t0\t0\t0\t0\t0\t0",
                         "[NETWORK]",
                         "\tn\t",
                         "[PROVIDER]",
                         " p ",
                         "[FAVORITE]",
                         "0\t7\t0",
                         "[SERVICE]",
                         "V\t7\t0\t0\t0\t0\t0\ttrue\t\tYES\t0\t0\t name \t1",
                         "[MENU]",
                         "\t",
                     }));
}

TEST_F(WriterTest, FormatsNegativeAndLargeNumbersInFull) {
  Antenna& antenna = AddAntenna("n", INT64_MIN, -1);
  antenna.values.value3 = INT32_MIN;
  EXPECT_EQ(FormatAntenna(antenna), "-1\t-9223372036854775808\t-2147483648\t0\t0\t0\t0\t0\tn");
  Transponder& transponder = AddTransponder(&antenna, 0);
  transponder.values.value8 = INT32_MAX;
  transponder.out_antenna_index = 3;
  EXPECT_EQ(FormatTransponder(transponder), "3\t0\t0\t0\t0\t0\t0\t2147483647");
  RecordList<Favorite> favorites;
  AddFavorite(favorites, 12, -3, nullptr, 4);
  EXPECT_EQ(FormatFavorite(favorites[0]), "12\t-3\t4");
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST_F(WriterTest, ReplacesAnOlderLongerFileAndLeavesNoTemporaryFile) {
  WriteFile(files.text_file, std::string(100000, 'x'));
  workspace.main_set.Clear();
  workspace.kept = {};
  EXPECT_EQ(Write(), kEveryHeader);
  EXPECT_EQ(FilesIn(workspace.settings.WorkPath("")), std::vector<std::string>{"out.txt"});
}

TEST_F(WriterTest, AFailedWriteIsReportedAndConvertsNothing) {
  const std::string old_target = Path("old.vrk");
  WriteFile(old_target, "old binary");
  const ListFiles unwritable{old_target, Path("no such folder/old.vrk.txt")};
  EXPECT_FALSE(workspace.Report(WriteChannelList(workspace, unwritable, true)));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Nice....");
  EXPECT_EQ(platform.messages[0].text,
            "Cannot write file \r\n" + unwritable.text_file + "\r\n" + std::strerror(ENOENT));
  EXPECT_EQ(workspace.settings.converter_command, "");
  EXPECT_TRUE(workspace.conversions.Idle());
  EXPECT_TRUE(workspace.conversions.TakeFailures(platform).empty());
  EXPECT_EQ(ReadFile(old_target), "old binary");
  EXPECT_FALSE(Exists(Path("no such folder")));
}

TEST_F(WriterTest, AFolderInTheWayOfTheTargetIsReportedAndKept) {
  const std::string target = workspace.settings.WorkPath("taken");
  std::filesystem::create_directory(target);
  EXPECT_FALSE(workspace.Report(WriteChannelList(workspace, {files.target, target}, true)));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text.rfind("Cannot write file \r\n" + target + "\r\n", 0), 0u);
  EXPECT_TRUE(std::filesystem::is_directory(target));
  EXPECT_EQ(FilesIn(workspace.settings.WorkPath("")), std::vector<std::string>{"taken"});
}

}  // namespace
}  // namespace vsm
