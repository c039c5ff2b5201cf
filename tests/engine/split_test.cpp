#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "format/conversions.h"
#include "format/reader.h"
#include "format/writer.h"
#include "platform/files.h"
#include "split/split_per_antenna.h"
#include "split/split_per_provider.h"
#include "split_test_lists.h"
#include "system_names.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

// What a written piece holds, read back by the reader.
ExpectedPiece ReadPieceBack(const std::string& start_folder, const std::string& text_file,
                            const ListSpec& spec) {
  RecordingPlatform platform;
  Workspace reader(platform, start_folder);
  if (!LoadList(reader, text_file)) {
    ADD_FAILURE() << "cannot read back " << text_file;
    return {};
  }
  ExpectServicesNumberedFromOne(ReadWholeFile(text_file).value_or(""), text_file);
  return HeldPiece(reader.main_set, spec, text_file);
}

// The text forms of pieces in the work folder.
std::set<std::string> PieceTextForms(const std::string& work_folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(work_folder)) {
    const std::string name = SystemFileName(entry.path());
    if (name.size() > 8 && name.substr(name.size() - 8) == ".vrk.txt") names.insert(name);
  }
  return names;
}

// The lines of a script after its 27 header lines.
std::vector<std::string> ScriptBody(const std::string& script) {
  std::vector<std::string> lines;
  std::string text = ReadFile(script);
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines.size() > 27 ? std::vector<std::string>(lines.begin() + 27, lines.end())
                           : std::vector<std::string>{};
}

class SplitContent : public WorkspaceTest, public testing::WithParamInterface<Options> {
 protected:
  void SetUp() override {
    WriteList("list.txt", TextForm(spec));
    ASSERT_TRUE(Load("list.txt"));
    split.options = GetParam();
    workspace.options = split.options;
    split.preferred = {"Hotbird", "Sirius"};
    WriteFile(workspace.settings.KeepPath(kAntennaFileName),
              CrLf({"0\t0\t1\t4\t5\t6\t7\t8\tHotbird", "0\t0\t1\t4\t5\t6\t7\t8\tSirius"}));
    split.labels = {"19.2\260E", "13\260E", "Thor", "Sirius"};
    WriteFile(workspace.settings.KeepPath("sat_position.txt"),
              CrLf({"19.2\260E\tAstra 19.2", "13\260E\tHotbird"}));
  }

  void ExpectPieces(const std::vector<ExpectedPiece>& expected, const std::string& script) {
    std::set<std::string> expected_files;
    std::vector<std::string> expected_script;
    for (const ExpectedPiece& piece : expected) {
      expected_files.insert(piece.file + ".txt");
      expected_script.push_back((expected_script.empty() ? "load " : "merge ") +
                                workspace.settings.ResultPath(piece.file));
      ExpectSamePiece(
          ReadPieceBack(folder.path(), workspace.settings.WorkPath(piece.file + ".txt"), spec),
          piece);
    }
    EXPECT_EQ(PieceTextForms(workspace.settings.WorkPath("")), expected_files);
    const std::string base = script.substr(0, script.size() - 4);
    for (const char* line : {"#", "# To save the merged files:", "#"}) {
      expected_script.push_back(line);
    }
    expected_script.push_back("save " + base + ".vrk");
    EXPECT_EQ(ScriptBody(Path(script)), expected_script);
    EXPECT_TRUE(platform.messages.empty()) << platform.messages.front().text;
  }

  ListSpec spec = SampleList();
  SplitOptions split;
};

TEST_P(SplitContent, PerAntennaPiecesHoldTheirAntennasRecords) {
  SplitPerAntenna(workspace, Button::split);
  const auto expected = ExpectedAntennaPieces(spec, split);
  EXPECT_EQ(platform.caption(Button::split),
            "Split into " + std::to_string(expected.size()) + " antennas");
  ExpectPieces(expected, "antenna_list.txt");
  for (const Antenna& antenna : workspace.main_set.antennas) {
    EXPECT_FALSE(antenna.saved_selected);
  }
}

TEST_P(SplitContent, PerProviderPiecesHoldTheirProvidersRecords) {
  SplitPerProvider(workspace, Button::split);
  const auto expected = ExpectedProviderPieces(spec, split);
  EXPECT_EQ(platform.caption(Button::split),
            "Split into " + std::to_string(expected.size()) + " providers");
  ExpectPieces(expected, "provider_list.txt");
}

// ---- Single behaviours of the splits ----

class SplitTest : public WorkspaceTest {
 protected:
  using Texts = std::vector<std::string>;

  void LoadSample() {
    WriteList("list.txt", TextForm(spec));
    ASSERT_TRUE(Load("list.txt"));
  }
  std::vector<std::string> StatusOf(char field) const {
    std::vector<std::string> texts;
    for (const auto& entry : platform.status_history) {
      if (entry[0] == field) texts.push_back(entry.substr(2));
    }
    return texts;
  }
  std::string Section(const std::string& piece, std::string_view header) {
    const std::string text = ReadFile(workspace.settings.WorkPath(piece + ".txt"));
    const auto start = text.find(std::string(header) + "\r\n");
    if (start == std::string::npos) return "<missing>";
    const auto body = start + header.size() + 2;
    return text.substr(body, text.find("\r\n[", body) + 2 - body);
  }
  bool ConverterBuilt() const {
    return IsRegularFile(ConverterPath(workspace.settings, kToBinaryConverter));
  }
  // Makes the start folder a folder of `length` characters, with its working folders.
  void StartInAFolderOfLength(std::size_t length) {
    Settings& settings = workspace.settings;
    settings.start_folder = MakeDeepFolder(folder.path(), length);
    for (const auto& sub : {settings.work_folder, settings.keep_folder, settings.result_folder}) {
      ASSERT_TRUE(CreateFolder(settings.start_folder + sub.substr(0, sub.size() - 1)));
    }
  }
  Texts LeftOvers() const { return TemporariesIn(workspace.settings.start_folder, true); }
  ListSpec spec = SampleList();
};

TEST_F(SplitTest, PerAntennaShowsProgressOverAllAntennasAndTheElapsedTime) {
  LoadSample();
  workspace.options.keep_pref_antennas = true;
  WriteFile(workspace.settings.KeepPath(kAntennaFileName),
            CrLf({AntennaLine("Hotbird"), AntennaLine("Thor")}));
  SplitPerAntenna(workspace, Button::split);
  EXPECT_EQ(StatusOf('0'), (Texts{"Splitting 1/4", "Splitting 2/4", "Done splitting."}));
  const Texts detail = StatusOf('1');
  ASSERT_EQ(detail.size(), 3u);
  EXPECT_EQ(detail[0], "Hotbird");
  EXPECT_EQ(detail[1], "Thor");
  EXPECT_TRUE(std::regex_match(detail[2], std::regex("[0-5][0-9] minutes [0-5][0-9] seconds")))
      << detail[2];
  EXPECT_EQ(platform.caption(Button::split), "Split into 1 antennas");
  // The names of the last antenna taken stay, although its piece was not written.
  EXPECT_EQ(workspace.settings.current_file, workspace.settings.ResultPath("Thor.vrk"));
  EXPECT_EQ(workspace.settings.text_file, workspace.settings.WorkPath("Thor.vrk.txt"));
  // The filter's selection is in force again.
  EXPECT_FALSE(workspace.main_set.antennas[0].selected);
  EXPECT_TRUE(workspace.main_set.antennas[1].selected);
  EXPECT_TRUE(workspace.main_set.antennas[2].selected);
}

TEST_F(SplitTest, PerProviderShowsProgressOverTheProviderList) {
  LoadSample();
  SplitPerProvider(workspace, Button::split);
  EXPECT_EQ(StatusOf('0'),
            (Texts{"Splitting 1/3", "Splitting 2/3", "Splitting 3/3", "Done splitting."}));
  EXPECT_EQ(StatusOf('1').front(), "ORF");
  EXPECT_EQ(platform.caption(Button::split), "Split into 2 providers");
  // Only the provider of the last piece taken is marked.
  const auto& providers = workspace.main_set.providers;
  EXPECT_FALSE(providers[0].used);
  EXPECT_FALSE(providers[1].used);
  EXPECT_TRUE(providers[2].used);
}

TEST_F(SplitTest, FavouritesTakeTheChannelNumbersOfThePiece) {
  // Astra's TV services are the 1st, 3rd and 5th of the list; a favourite of the 5th, which is
  // the 3rd of Astra's piece, gets the channel index 2 there.
  spec.favorites = {{true, 4}, {true, 1}, {true, 2}, {false, 0}};
  LoadSample();
  SplitPerAntenna(workspace, Button::split);
  EXPECT_EQ(Section("Astra_19.2.vrk", "[FAVORITE]"), CrLf({"0\t7\t2", "0\t7\t1", "1\t7\t0"}));
  EXPECT_EQ(Section("Hotbird.vrk", "[FAVORITE]"), CrLf({"0\t7\t0"}));

  workspace.options.remove_radios = true;
  SplitPerProvider(workspace, Button::split);
  // ORF names Astra One, Astra Two and Hot Two on TV.
  EXPECT_EQ(Section("ORF.vrk", "[FAVORITE]"), CrLf({"0\t7\t1"}));
  EXPECT_EQ(Section("BBC.vrk", "[FAVORITE]"), CrLf({"0\t7\t1", "0\t7\t0"}));
}

TEST_F(SplitTest, PerProviderPiecesHoldEveryTransponderOfTheSelectedAntennas) {
  LoadSample();
  workspace.options.naming = Naming::use_antenna_names;
  workspace.options.divide_fta_notfta = true;
  SplitPerProvider(workspace, Button::split);
  // Pieces are tried as Fta Astra, Fta Hotbird, ..., then Astra, Hotbird, ...
  const std::string script = ReadFile(Path("provider_list.txt"));
  const auto fta_astra = script.find("load " + workspace.settings.ResultPath("Fta_Astra_19.2.vrk"));
  const auto fta_hotbird = script.find("merge " + workspace.settings.ResultPath("Fta_Hotbird.vrk"));
  const auto astra = script.find("merge " + workspace.settings.ResultPath("Astra_19.2.vrk"));
  EXPECT_LT(fta_astra, fta_hotbird);
  EXPECT_LT(fta_hotbird, astra);
  EXPECT_NE(astra, std::string::npos);
  EXPECT_EQ(Section("Fta_Astra_19.2.vrk", "[TS]"),
            CrLf({"0\t10700\t3\t4\t5\t6\t7\t8", "1\t11000\t3\t4\t5\t6\t7\t8",
                  "0\t12100\t3\t4\t5\t6\t7\t8", "2\t12500\t3\t4\t5\t6\t7\t8",
                  "1\t11500\t3\t4\t5\t6\t7\t8", "3\t11700\t3\t4\t5\t6\t7\t8"}));
  EXPECT_EQ(Section("Fta_Astra_19.2.vrk", "[PROVIDER]"), CrLf({"Fta Astra 19.2"}));
}

TEST_F(SplitTest, PiecesOfAnEarlierRunAreRemovedWhenNotWrittenAgain) {
  LoadSample();
  const Settings& settings = workspace.settings;
  for (const std::string name : {"Thor.vrk", "Unused.vrk"}) {
    WriteFile(settings.WorkPath(name + ".txt"), "old");
    WriteFile(settings.ResultPath(name), "old");
  }
  SplitPerAntenna(workspace, Button::split);
  EXPECT_FALSE(Exists(settings.WorkPath("Thor.vrk.txt")));
  EXPECT_FALSE(Exists(settings.ResultPath("Thor.vrk")));

  SplitPerProvider(workspace, Button::split);
  EXPECT_FALSE(Exists(settings.ResultPath("Unused.vrk")));
  EXPECT_TRUE(Exists(settings.WorkPath("Unused.vrk.txt")));  // the text form is not removed

  // A generated provider's old piece is left for its conversion to replace.
  WriteFile(settings.ResultPath("Thor.vrk"), "old");
  workspace.options.naming = Naming::use_antenna_names;
  SplitPerProvider(workspace, Button::split);
  EXPECT_EQ(ReadFile(settings.ResultPath("Thor.vrk")), "old");
}

// A split of radios without radios keeps nothing: the earlier pieces go, the script merges
// nothing, and a box says so rather than "Done splitting" alone.
TEST_F(SplitTest, ASplitThatKeepsNoChannelSaysSo) {
  WriteList("radios.txt", OneAntennaListText("Astra", 0));
  ASSERT_TRUE(Load("radios.txt"));
  workspace.options.remove_radios = true;
  const Settings& settings = workspace.settings;
  for (const bool per_provider : {false, true}) {
    SCOPED_TRACE(per_provider ? "per provider" : "per antenna");
    const std::string earlier = settings.ResultPath(per_provider ? "P.vrk" : "Astra.vrk");
    WriteFile(earlier, "old");
    platform.messages.clear();
    workspace.left_undone = 0;
    per_provider ? SplitPerProvider(workspace, Button::split)
                 : SplitPerAntenna(workspace, Button::split);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, "Nice....");
    EXPECT_EQ(platform.messages[0].text,
              "Nothing split: no channel is kept \r\n" + folder.path() + "VrkResult");
    EXPECT_EQ(workspace.left_undone, 1);
    EXPECT_FALSE(Exists(earlier));
    const std::string script = per_provider ? "provider_list.txt" : "antenna_list.txt";
    EXPECT_EQ(ScriptBody(Path(script)).front(), "#");
    EXPECT_EQ(platform.caption(Button::split),
              per_provider ? "Split into 0 providers" : "Split into 0 antennas");
  }
}

TEST_F(SplitTest, RecordsWithAbsentReferencesAreNeverWritten) {
  TestList holes;
  holes.antennas = {AntennaLine("Astra")};
  holes.transponders = {"0\t100\t0\t0\t0\t0\t0\t0", "-1\t200\t0\t0\t0\t0\t0\t0"};
  holes.providers = {"ORF"};
  holes.favorites = {"0\t7\t0", "0\t7\t1", "0\t7\t2", "0\t7\t3", "1\t7\t0"};
  holes.services = {ServiceLine("V", 0, 0, "Good"), ServiceLine("V", -1, 0, "NoTransponder", 2),
                    ServiceLine("V", 1, 0, "NoAntenna", 3),
                    ServiceLine("V", 0, -1, "NoProvider", 4)};
  WriteList("holes.txt", holes.Text());
  ASSERT_TRUE(Load("holes.txt"));
  SplitPerAntenna(workspace, Button::split);
  EXPECT_EQ(Section("Astra.vrk", "[TS]"), CrLf({"0\t100\t0\t0\t0\t0\t0\t0"}));
  EXPECT_EQ(Section("Astra.vrk", "[FAVORITE]"), CrLf({"0\t7\t0"}));
  EXPECT_EQ(Section("Astra.vrk", "[SERVICE]"),
            CrLf({"V\t1\t2\t3\t4\t5\t6\tTRUE\tFALSE\tFALSE\t0\t0\tGood\t1"}));
  SplitPerProvider(workspace, Button::split);
  EXPECT_EQ(Section("ORF.vrk", "[SERVICE]"),
            CrLf({"V\t1\t2\t3\t4\t5\t6\tTRUE\tFALSE\tFALSE\t0\t0\tGood\t1"}));
  EXPECT_EQ(Section("ORF.vrk", "[FAVORITE]"), CrLf({"0\t7\t0"}));
  EXPECT_EQ(platform.caption(Button::split), "Split into 1 providers");
}

TEST_F(SplitTest, PieceThatCannotBeWrittenIsNotCounted) {
  LoadSample();
  // A folder in the place of Astra's text form makes its write fail.
  ASSERT_TRUE(CreateFolder(workspace.settings.WorkPath("Astra_19.2.vrk.txt")));
  SplitPerAntenna(workspace, Button::split);
  EXPECT_EQ(platform.caption(Button::split), "Split into 2 antennas");
  ASSERT_EQ(platform.MessagesTitled("Nice....").size(), 1u);
  EXPECT_EQ(platform.messages[0].text.rfind(
                "Cannot write file \r\n" + workspace.settings.WorkPath("Astra_19.2.vrk.txt"), 0),
            0u);
  EXPECT_EQ(ScriptBody(Path("antenna_list.txt")).front(),
            "load " + workspace.settings.ResultPath("Hotbird.vrk"));
}

TEST_F(SplitTest, PiecesAreConvertedAndLoadBack) {
  LoadSample();
  SplitPerAntenna(workspace, Button::split);
  workspace.conversions.WaitAll(platform);
  if (!ConverterBuilt()) GTEST_SKIP() << "the converter mvt2vrk is not built";
  for (const char* piece : {"Astra_19.2.vrk", "Hotbird.vrk", "Sirius.vrk"}) {
    const std::string file = workspace.settings.ResultPath(piece);
    ASSERT_TRUE(Exists(file)) << piece;
    const auto expected = ReadFile(workspace.settings.WorkPath(std::string(piece) + ".txt"));
    RecordingPlatform reader_platform;
    Workspace reader(reader_platform, folder.path());
    reader.settings.converter_folder = workspace.settings.converter_folder;
    ASSERT_TRUE(LoadList(reader, file)) << piece;
    EXPECT_EQ(ReadFile(reader.settings.text_file), expected) << piece;
  }
  EXPECT_TRUE(platform.messages.empty());
}

// Windows takes paths of at most 259 characters. Providers named with 200 characters, split from
// a start folder of 64: on Windows their pieces are named with the 152 characters that leave room
// for "VrkResult\", the staging folder ".vsmNNN\", ".vrk" and the 21 of a temporary name, a number
// included; Linux keeps the 200. Either way every piece is written and converted.
TEST_F(SplitTest, LongNamesAreCutToWhatThePathLimitLeaves) {
  StartInAFolderOfLength(64);
  spec.providers[0] = std::string(190, 'P') + "-first-one";
  spec.providers[1] = std::string(190, 'P') + "-other-one";
  LoadSample();
  SplitPerProvider(workspace, Button::split);
#ifdef _WIN32
  const Texts pieces{std::string(152, 'P') + ".vrk", std::string(150, 'P') + "_2.vrk"};
#else
  const Texts pieces{spec.providers[0] + ".vrk", spec.providers[1] + ".vrk"};
#endif
  const Settings& settings = workspace.settings;
  EXPECT_EQ(platform.caption(Button::split), "Split into 2 providers");
  EXPECT_EQ(
      ScriptBody(settings.start_folder + "provider_list.txt"),
      (Texts{"load " + settings.ResultPath(pieces[0]), "merge " + settings.ResultPath(pieces[1]),
             "#", "# To save the merged files:", "#", "save provider_list.vrk"}));
  EXPECT_EQ(Section(pieces[1], "[PROVIDER]"), CrLf({spec.providers[1]}));
  workspace.conversions.WaitAll(platform);
  ReportFailedConversions(workspace);
  EXPECT_TRUE(platform.messages.empty());
  if (ConverterBuilt()) {
    for (const std::string& piece : pieces) EXPECT_TRUE(Exists(settings.ResultPath(piece)));
  }
  EXPECT_EQ(LeftOvers(), Texts{});
}

#ifdef _WIN32
// Below a start folder of 210 characters the paths of a piece leave its name fewer than 16
// characters, and a name is cut to 16 at the least: a piece whose paths are then too long is
// reported as a write that failed, not counted, given no script line, and nothing of it is written.
// A name that fits to the last character is written.
TEST_F(SplitTest, PiecesWhosePathsWindowsCannotTakeAreReportedAndNotWritten) {
  StartInAFolderOfLength(210);
  spec.providers[0] = std::string(190, 'P') + "-first-one";
  LoadSample();
  const Settings& settings = workspace.settings;
  const std::string too_long = " characters while it is written, 259 at most.";
  SplitPerAntenna(workspace, Button::split);
  EXPECT_EQ(platform.caption(Button::split), "Split into 1 antennas");
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages[0].text, "Cannot write file \r\n" +
                                           settings.ResultPath("Astra_19.2.vrk") +
                                           "\r\nThe path is too long: 263" + too_long);
  EXPECT_EQ(platform.messages[1].text, "Cannot write file \r\n" +
                                           settings.ResultPath("Hotbird.vrk") +
                                           "\r\nThe path is too long: 260" + too_long);
  // 210 + "VrkResult\.vsmNNN\Sirius.vrk" + 21 = 259.
  EXPECT_EQ(ScriptBody(settings.start_folder + "antenna_list.txt").front(),
            "load " + settings.ResultPath("Sirius.vrk"));
  platform.messages.clear();

  SplitPerProvider(workspace, Button::split);
  EXPECT_EQ(platform.caption(Button::split), "Split into 1 providers");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "Cannot write file \r\n" +
                                           settings.ResultPath(std::string(16, 'P') + ".vrk") +
                                           "\r\nThe path is too long: 269" + too_long);
  EXPECT_EQ(ScriptBody(settings.start_folder + "provider_list.txt").front(),
            "load " + settings.ResultPath("BBC.vrk"));
  workspace.conversions.WaitAll(platform);
  EXPECT_EQ(LeftOvers(), Texts{});
  EXPECT_FALSE(Exists(settings.WorkPath(std::string(16, 'P') + ".vrk.txt")));
  EXPECT_FALSE(Exists(settings.WorkPath("Hotbird.vrk.txt")));
}
#endif

INSTANTIATE_TEST_SUITE_P(AllOptions, SplitContent, testing::ValuesIn(AllSplitOptions()),
                         [](const auto& info) { return OptionsName(info.param); });

}  // namespace
}  // namespace vsm
