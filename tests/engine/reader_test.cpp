#include "format/reader.h"
#include "script/script_interpreter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

std::string NameOf(const Antenna* a) { return a ? std::string(a->name) : "-"; }
std::string NameOf(const Service* s) { return s ? std::string(s->name()) : "-"; }
std::string NameOf(const Provider* p) { return p ? p->name : "-"; }
std::string IndexOf(const Transponder* t) { return t ? std::to_string(t->list_index) : "-"; }

// Everything the reader stored in a set, one line per record, references by what they designate.
std::string Describe(const ChannelList& set) {
  std::string out;
  for (const Antenna& a : set.antennas) {
    out += "A " + std::to_string(a.list_index) + " " + std::to_string(a.values.value2) + " " +
           std::to_string(a.values.value3) + " " + std::to_string(a.values.value8) + " [" +
           std::string(a.name) + "]\n";
  }
  for (const Transponder& t : set.transponders) {
    out += "T " + std::to_string(t.antenna_index) + "->" + NameOf(t.antenna) + " " +
           std::to_string(t.values.value2) + " " + std::to_string(t.values.value8) + "\n";
  }
  for (const Network& n : set.networks) out += "N [" + n.text + "]\n";
  for (const Provider& p : set.providers) out += "P [" + p.name + "]\n";
  for (const Menu& m : set.menus) out += "M [" + m.text + "]\n";
  for (const auto* services : {&set.tv_services, &set.radio_services}) {
    for (const Service& s : *services) {
      out += "S " + std::string(s.kind()) + " [" + std::string(s.name()) + "] ts" +
             IndexOf(s.transponder) + " p" + NameOf(s.provider) + " a" + NameOf(s.antenna()) + " " +
             std::string(s.Text(Service::Column::flag8)) +
             std::string(s.Text(Service::Column::scrambled)) + "\n";
    }
  }
  for (const auto* favorites : {&set.tv_favorites, &set.radio_favorites}) {
    for (const Favorite& f : *favorites) {
      out += "F " + std::to_string(f.kind) + " " + std::to_string(f.channel_index) + "->" +
             NameOf(f.service) + "\n";
    }
  }
  return out;
}

// A list as the tool writes it, CR LF after every line.
const std::string kList = [] {
  TestList list;
  list.antennas = {AntennaLine("  Astra 19.2  ", "0\t4294967296\t3\t4\t5\t6\t7\t8"),
                   AntennaLine("Hotbird", "1\t-5\t0\t0\t0\t0\t0\t9")};
  list.transponders = {"1\t11\t12\t13\t14\t15\t16\t17", "0\t21\t22\t23\t24\t25\t26\t27"};
  list.networks = {"net\tone"};
  list.providers = {"BBC", "ORF"};
  list.favorites = {"0\t0\t1", "1\t0\t0"};
  list.services = {ServiceLine("V", "0", "1", "tv0"), ServiceLine("V", "1", "0", "tv1", "2"),
                   ServiceLine("A", "1", "1", "radio0")};
  list.menus = {"m1"};
  return list.Text();
}();

class ReaderTest : public WorkspaceTest {
 protected:
  bool LoadText(const std::string& content, std::string_view name = "list.txt") {
    WriteList(name, content);
    return Load(name);
  }
  std::string Loaded(const std::string& content) {
    EXPECT_TRUE(LoadText(content)) << content;
    return Describe(workspace.main_set);
  }
  std::string DumpFile() const { return workspace.settings.WorkPath(kAntennaFileName); }
};

std::string Replace(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  for (auto at = text.find(from); at != std::string_view::npos; at = text.find(from)) {
    out.append(text.substr(0, at)).append(to);
    text.remove_prefix(at + from.size());
  }
  return out.append(text);
}

TEST_F(ReaderTest, ReadsEveryFieldAndResolvesEveryReference) {
  EXPECT_EQ(Loaded(kList),
            "A 0 4294967296 3 8 [Astra 19.2]\n"
            "A 1 -5 0 9 [Hotbird]\n"
            "T 1->Hotbird 11 17\n"
            "T 0->Astra 19.2 21 27\n"
            "N [net\tone]\n"
            "P [BBC]\n"
            "P [ORF]\n"
            "M [m1]\n"
            "S V [tv0] ts0 pORF aHotbird TRUEFALSE\n"
            "S V [tv1] ts1 pBBC aAstra 19.2 TRUEFALSE\n"
            "S A [radio0] ts1 pORF aAstra 19.2 TRUEFALSE\n"
            "F 0 1->tv1\n"
            "F 1 0->radio0\n");
  const Antenna& astra = workspace.main_set.antennas[0];
  EXPECT_EQ(astra.sat_position, "Astra 19.2");
  EXPECT_TRUE(astra.selected);
  EXPECT_EQ(workspace.main_set.antennas[1].index, 1);
  ASSERT_EQ(workspace.loaded_files.size(), 1u);
  EXPECT_EQ(workspace.loaded_files[0].path, Path("list.txt"));
  EXPECT_EQ(workspace.settings.text_file, Path("list.txt"));
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ReaderTest, EveryLineEndReadsTheSame) {
  const std::string expected = Loaded(kList);
  const std::string without_last_end = kList.substr(0, kList.size() - 2);
  struct Case {
    const char* label;
    std::string text;
  };
  const Case cases[] = {
      {"lone LF", Replace(kList, "\r\n", "\n")},
      {"lone CR", Replace(kList, "\r\n", "\r")},
      {"NUL", Replace(kList, "\r\n", std::string(1, '\0'))},
      {"no line end at the end", without_last_end},
      {"lone CR, none at the end", Replace(without_last_end, "\r\n", "\r")},
  };
  for (const Case& c : cases) EXPECT_EQ(Loaded(c.text), expected) << c.label;
}

TEST_F(ReaderTest, TheLastLineOfTheFileIsARecordInEverySection) {
  const std::string antenna = "0\t0\t0\t0\t0\t0\t0\t0\tX";
  const std::string tv = ServiceLine("V", "0", "0", "tv");
  struct Case {
    const char* label;
    std::string text;  // ends with a record line, without line end
    std::string expected;
  };
  const Case cases[] = {
      {"antenna", CrLf({"[MORVANE V3 FILE]", "[ANTENNA]"}) + antenna, "A 0 0 0 0 [X]\n"},
      {"transponder", CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", antenna, "[TS]"}) + "0\t7",
       "A 0 0 0 0 [X]\nT 0->X 7 0\n"},
      {"network", CrLf({"[MORVANE V3 FILE]", "[NETWORK]"}) + "n", "N [n]\n"},
      {"provider", CrLf({"[MORVANE V3 FILE]", "[NETWORK]", "[PROVIDER]"}) + "p", "P [p]\n"},
      {"menu", CrLf({"[MORVANE V3 FILE]", "[NETWORK]", "[PROVIDER]", "[MENU]"}) + "m", "M [m]\n"},
      {"service", CrLf({"[MORVANE V3 FILE]", "[SERVICE]"}) + tv, "S V [tv] ts- p- a- TRUEFALSE\n"},
      {"favorite", CrLf({"[MORVANE V3 FILE]", "[SERVICE]", tv, "[FAVORITE]"}) + "0\t0\t0",
       "S V [tv] ts- p- a- TRUEFALSE\nF 0 0->tv\n"},
  };
  for (const Case& c : cases) {
    for (const char* end : {"", "\r\n", "\r", "\n"}) {
      EXPECT_EQ(Loaded(c.text + end), c.expected) << c.label << " ended by [" << end << "]";
    }
  }
}

TEST_F(ReaderTest, EmptyLinesAtTheEndOfTheMenusAreMenus) {
  EXPECT_NE(Loaded(kList + "\r\n").find("M [m1]\nM []\nS "), std::string::npos);
  const std::string menus =
      Loaded(CrLf({"[MORVANE V3 FILE]", "[NETWORK]", "[PROVIDER]", "[MENU]", "m1", ""}));
  EXPECT_EQ(menus, "M [m1]\nM []\n");
}

TEST_F(ReaderTest, AHeaderOnTheLastLineGivesAnEmptySection) {
  EXPECT_EQ(Loaded(CrLf({"[MORVANE V3 FILE]"}) + "[ANTENNA]"), "");
  // The header was recognised: the antenna dump file was made, with no line in it.
  EXPECT_TRUE(Exists(DumpFile()));
  EXPECT_EQ(ReadFile(DumpFile()), "");
}

TEST_F(ReaderTest, SectionsOutOfOrderAreNotFound) {
  const std::string antenna = "0\t0\t0\t0\t0\t0\t0\t0\tX";
  // "[TS]" before "[ANTENNA]": the antennas are read, the transponders are not.
  EXPECT_EQ(Loaded(CrLf({"[MORVANE V3 FILE]", "[TS]", "0\t1", "[ANTENNA]", antenna})),
            "A 0 0 0 0 [X]\n");
  // "[MENU]" between "[NETWORK]" and "[PROVIDER]": no menus.
  EXPECT_EQ(Loaded(CrLf({"[MORVANE V3 FILE]", "[NETWORK]", "n", "[MENU]", "m", "[PROVIDER]", "p"})),
            "N [n]\nP [p]\n");
  // Without "[NETWORK]" neither providers nor menus are found.
  EXPECT_EQ(Loaded(CrLf({"[MORVANE V3 FILE]", "[PROVIDER]", "p", "[MENU]", "m"})), "");
  // "[FAVORITE]" and "[SERVICE]" may stand anywhere, also favourites first.
  EXPECT_EQ(Loaded(CrLf({"[MORVANE V3 FILE]", "[FAVORITE]", "0\t0\t0", "[MENU]", "[SERVICE]",
                         ServiceLine("V", "0", "0", "tv")})),
            "S V [tv] ts- p- a- TRUEFALSE\nF 0 0->tv\n");
  // A header is the whole line: "[TS] x" ends the antennas and starts nothing, "[SERVICE]S" too.
  EXPECT_EQ(Loaded(CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", antenna, "[TS] x", "0\t1", "[TS]",
                         "0\t2", "[SERVICE]S", ServiceLine("V", "0", "0", "no"), "[SERVICE]",
                         ServiceLine("V", "0", "0", "tv")})),
            "A 0 0 0 0 [X]\nT 0->X 2 0\nS V [tv] ts0 p- aX TRUEFALSE\n");
}

TEST_F(ReaderTest, ASecondSectionWithTheSameHeaderIsIgnored) {
  EXPECT_EQ(Loaded(CrLf({
                "[MORVANE V3 FILE]",
                "[ANTENNA]",
                "0\t1\t0\t0\t0\t0\t0\t0\tFirst",
                "[ANTENNA]",
                "0\t2\t0\t0\t0\t0\t0\t0\tSecond",
                "[TS]",
                "0\t3",
                "[TS]",
                "0\t4",
                "[NETWORK]",
                "n1",
                "[NETWORK]",
                "n2",
                "[PROVIDER]",
                "p1",
                "[PROVIDER]",
                "p2",
                "[MENU]",
                "m1",
                "[MENU]",
                "m2",
                "[SERVICE]",
                ServiceLine("V", "0", "0", "s1"),
                "[FAVORITE]",
                "0\t0\t0",
                "[SERVICE]",
                ServiceLine("V", "0", "0", "s2"),
                "[FAVORITE]",
                "0\t0\t1",
            })),
            "A 0 1 0 0 [First]\n"
            "T 0->First 3 0\n"
            "N [n1]\n"
            "P [p1]\n"
            "M [m1]\n"
            "S V [s1] ts0 pp1 aFirst TRUEFALSE\n"
            "F 0 0->s1\n");
}

TEST_F(ReaderTest, PositionsPastTheEndNameTheLastRecordAndNegativeOnesNone) {
  EXPECT_EQ(Loaded(CrLf({
                "[MORVANE V3 FILE]",
                "[ANTENNA]",
                "0\t0\t0\t0\t0\t0\t0\t0\tA0",
                "0\t0\t0\t0\t0\t0\t0\t0\tA1",
                "[TS]",
                "2",
                "-1",
                "[NETWORK]",
                "[PROVIDER]",
                "p0",
                "p1",
                "[SERVICE]",
                ServiceLine("V", "99", "2", "past"),
                ServiceLine("V", "-1", "-3", "negative"),
                ServiceLine("R", "0", "0", "radio"),
                "[FAVORITE]",
                "0\t0\t5",
                "2\t0\t9",
            })),
            "A 0 0 0 0 [A0]\n"
            "A 1 0 0 0 [A1]\n"
            "T 2->A1 0 0\n"
            "T -1->- 0 0\n"
            "P [p0]\n"
            "P [p1]\n"
            "S V [past] ts1 pp1 a- TRUEFALSE\n"
            "S V [negative] ts- p- a- TRUEFALSE\n"
            "S R [radio] ts0 pp0 aA1 TRUEFALSE\n"
            "F 0 5->negative\n"
            "F 2 9->radio\n");
}

TEST_F(ReaderTest, TransponderOfAFileWithoutAntennasHasNone) {
  EXPECT_EQ(Loaded(CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", "[TS]", "0\t1", "[SERVICE]",
                         ServiceLine("V", "0", "0", "s")})),
            "T 0->- 1 0\nS V [s] ts0 p- a- TRUEFALSE\n");
}

TEST_F(ReaderTest, AntennaColumnsAreReadAsTheyAre) {
  const auto& antennas = workspace.main_set.antennas;
  LoadText(CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", "", "9\t18446744073709551615\t007",
                 "\t\t\t\t\t\t\t\t   ", "0\t9223372036854775807\t0\t0\t0\t0\t0\t0\t Sat\tA  "}));
  ASSERT_EQ(antennas.size(), 4u);
  EXPECT_EQ(antennas[0].name, "Unknown");
  EXPECT_EQ(antennas[0].values.value2, 0);
  EXPECT_EQ(antennas[0].values.value8, 0);
  EXPECT_EQ(antennas[0].sat_position, "Unknown");
  EXPECT_EQ(antennas[1].values.value2, -1);  // wraps at 64 bits
  EXPECT_EQ(antennas[1].values.value3, 7);
  EXPECT_EQ(antennas[1].index, 1);  // column 1 is not read: the index is the position
  EXPECT_EQ(antennas[2].name, "Unknown");
  EXPECT_EQ(antennas[3].values.value2, INT64_MAX);
  EXPECT_EQ(antennas[3].name, "Sat");  // a tenth column is ignored
}

TEST_F(ReaderTest, ServiceKindAndPlaceholders) {
  EXPECT_EQ(Loaded(CrLf({
                "[MORVANE V3 FILE]",
                "[SERVICE]",
                ServiceLine("v", "0", "0", "lower v"),
                ServiceLine("Video", "0", "0", "video"),
                ServiceLine("V", "0", "0", "Dummy Service"),
                "A\tx\ty\tz\t\t\t\t\t\t\t-4\t-4\tDummy Service",
                ServiceLine("A", "0", "0", "Dummy Service "),
                "[FAVORITE]",
                "1\t0\t1",
                "0\t0\t0",
            })),
            "S Video [video] ts- p- a- TRUEFALSE\n"
            "S v [lower v] ts- p- a- TRUEFALSE\n"
            "S A [Dummy Service ] ts- p- a- TRUEFALSE\n"
            "F 0 0->video\n"
            "F 1 1->Dummy Service \n");
}

TEST_F(ReaderTest, FavoriteListByFirstCharacterAndServiceListByValue) {
  LoadText(CrLf({"[MORVANE V3 FILE]", "[SERVICE]", ServiceLine("V", "0", "0", "tv"),
                 ServiceLine("A", "0", "0", "radio"), "[FAVORITE]", "00\t0\t0", " 0\t0\t0"}));
  const ChannelList& set = workspace.main_set;
  ASSERT_EQ(set.tv_favorites.size(), 1u);
  ASSERT_EQ(set.radio_favorites.size(), 1u);
  EXPECT_EQ(NameOf(set.tv_favorites[0].service), "tv");
  // " 0" starts with a blank: a radio favourite, whose value 0 names a TV service.
  EXPECT_EQ(NameOf(set.radio_favorites[0].service), "tv");
}

TEST_F(ReaderTest, NegativeFavoriteIsSkippedWithAStopBox) {
  const std::string name = WriteList(
      "fav.txt",
      CrLf({"[MORVANE V3 FILE]", "[SERVICE]", ServiceLine("V", "0", "0", "a"),
            ServiceLine("V", "0", "0", "b"), "[FAVORITE]", "0\t0\t-1", "0\t0\t1", "0\t0\t-7"}));
  ASSERT_TRUE(Load("fav.txt"));
  const auto& favorites = workspace.main_set.tv_favorites;
  ASSERT_EQ(favorites.size(), 1u);
  EXPECT_EQ(favorites[0].list_index, 0);
  EXPECT_EQ(NameOf(favorites[0].service), "b");
  const std::string text =
      "Favorite has negative channel index ! \r\nThis favorite is ignored.\r\n" + name;
  ASSERT_EQ(platform.messages.size(), 2u);
  for (const auto& message : platform.messages) {
    EXPECT_EQ(message.title, "Stop !!!");
    EXPECT_EQ(message.text, text);
  }
}

TEST_F(ReaderTest, The33rdAntennaIsReadAfterOneWarning) {
  std::string content = CrLf({"[MORVANE V3 FILE]", "[ANTENNA]"});
  for (int i = 1; i <= 33; ++i) content += CrLf({AntennaLine(" Sat " + std::to_string(i))});
  const std::string name = WriteList("many.txt", content);
  ASSERT_TRUE(Load("many.txt"));
  EXPECT_EQ(workspace.main_set.antennas.size(), 33u);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Warning !!!");
  EXPECT_EQ(platform.messages[0].text, "More then 32 antennas ! \r\nSat 33\r\n" + name);
}

TEST_F(ReaderTest, AMissingFileEmptiesTheMainSetWithoutAMessage) {
  ASSERT_TRUE(LoadText(kList));
  EXPECT_FALSE(Load("missing.txt"));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(Describe(workspace.main_set), "");
  EXPECT_TRUE(workspace.loaded_files.empty());
  // A folder cannot be read as a list either.
  EXPECT_FALSE(Load("VrkWork"));
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ReaderTest, ATextFileWithAnotherFirstLineIsRefusedAsNotFound) {
  const char* const first_lines[] = {"\xEF\xBB\xBF[MORVANE V3 FILE]", "[MORVANE V3 FILE] ",
                                     "[morvane v3 file]", ""};
  for (const char* first : first_lines) {
    ASSERT_TRUE(LoadText(kList));
    platform.messages.clear();
    const std::string content = first + kList.substr(kList.find("\r\n"));
    EXPECT_FALSE(LoadText(content, "odd.txt")) << first;
    ASSERT_EQ(platform.messages.size(), 1u) << first;
    EXPECT_EQ(platform.messages[0].title, "Nice....");
    EXPECT_EQ(platform.messages[0].text,
              "LoadThisFile: File not found \r\n" + Path("odd.txt") + "\r\n");
    EXPECT_EQ(workspace.settings.text_file, "");
    EXPECT_EQ(Describe(workspace.main_set), "") << first;
    EXPECT_TRUE(workspace.loaded_files.empty());
  }
}

TEST_F(ReaderTest, AScriptIsRunAfterTheMainSetIsEmptied) {
  ASSERT_TRUE(LoadText(kList));
  Controls controls(workspace);
  WriteList("run.txt", BatchScript({"save " + Path("out.txt")}));
  EXPECT_TRUE(LoadThisFile(workspace, controls, Path("run.txt")));
  // The script ran on an empty list: its save wrote nothing.
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "Nothing saved: no list is loaded \r\n" + Path("out.txt"));
  EXPECT_EQ(workspace.settings.current_file, Path("run.txt"));  // its line named another file
  EXPECT_TRUE(workspace.loaded_files.empty());
  EXPECT_TRUE(workspace.main_set.antennas.empty());
}

TEST_F(ReaderTest, TheAntennaDumpHoldsTheRecordLinesOfTheLastLoad) {
  ASSERT_TRUE(LoadText(Replace(kList, "\r\n", "\n")));
  EXPECT_EQ(ReadFile(DumpFile()), CrLf({"0\t4294967296\t3\t4\t5\t6\t7\t8\t  Astra 19.2  ",
                                        "1\t-5\t0\t0\t0\t0\t0\t9\tHotbird"}));
  // Rewritten by the next load that has antennas.
  ASSERT_TRUE(LoadText(CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", "x"})));
  EXPECT_EQ(ReadFile(DumpFile()), "x\r\n");
  // Left alone by a load without "[ANTENNA]" and by reading into the merge set.
  ASSERT_TRUE(LoadText(CrLf({"[MORVANE V3 FILE]", "[NETWORK]", "n"})));
  ReadAllSections(workspace, SetId::merge, kList);
  EXPECT_EQ(ReadFile(DumpFile()), "x\r\n");
}

TEST_F(ReaderTest, AnAntennaDumpThatCannotBeWrittenIsReportedAndTheListStillRead) {
  std::filesystem::create_directory(DumpFile());
  ASSERT_TRUE(LoadText(kList));
  EXPECT_EQ(workspace.main_set.antennas.size(), 2u);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Nice....");
  EXPECT_EQ(platform.messages[0].text.rfind("Cannot write file \r\n" + DumpFile() + "\r\n", 0), 0u);
  EXPECT_TRUE(std::filesystem::is_directory(DumpFile()));
  EXPECT_TRUE(std::filesystem::is_empty(DumpFile()));
}

TEST_F(ReaderTest, ReadingIntoTheMergeSetLeavesTheMainSetAlone) {
  ASSERT_TRUE(LoadText(CrLf({"[MORVANE V3 FILE]", "[NETWORK]", "main"})));
  const std::string main_before = Describe(workspace.main_set);
  ReadAllSections(workspace, SetId::merge, kList);
  EXPECT_EQ(Describe(workspace.main_set), main_before);
  EXPECT_EQ(Describe(workspace.merge_set), Loaded(kList));
  EXPECT_EQ(workspace.loaded_files.size(), 1u);
}
}  // namespace
}  // namespace vsm
