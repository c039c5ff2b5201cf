// Antenna and provider names that would climb out of a folder, name another folder, run a shell,
// carry control bytes or exceed what a file system allows: a real split writes every piece inside
// the result folder under a name it can hold, and the pieces load back with the names intact.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "format/conversions.h"
#include "format/reader.h"
#include "format/text_lines.h"
#include "platform/files.h"
#include "script/controls.h"
#include "script/script_interpreter.h"
#include "split/split_per_antenna.h"
#include "split/split_per_provider.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {
namespace fs = std::filesystem;

using namespace test_support;

const std::string kLongAscii(300, 'x');
const std::string kLongAsciiOtherEnd = std::string(299, 'x') + "y";
// 150 times "é" in Windows-1252: 300 bytes once converted to UTF-8.
const std::string kLongAccented(150, '\xe9');

const std::vector<std::string> kHostileNames = {
    "..",
    "../../escape",
    "/etc/passwd",
    "a/b",
    "a\\b",
    "C:\\Windows\\evil",
    "$(touch pwned); `touch pwned2` | rm -rf * & > out < in",
    "'quoted' \"twice\"",
    std::string("bell\x01\x07 escape\x1b[31m del\x7f"),
    kLongAscii,
    kLongAsciiOtherEnd,
    kLongAccented,
};

// One antenna, one transponder, one provider and one TV service per name, each service using the
// provider of the same name.
std::string ListWithNames(const std::vector<std::string>& names) {
  TestList list;
  list.networks = {"1\tnet"};
  list.providers = names;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const int index = static_cast<int>(i);
    list.antennas.push_back(AntennaLine(names[i], Tabbed({index, 0, 9750, 10600, 11700, 0, 1, 0})));
    list.transponders.push_back(TransponderLine(index, "1\t11000\t1\t27500\t4\t100\t1"));
    list.services.push_back(ServiceLine("V", index, index, "Channel " + std::to_string(i),
                                        index + 1,
                                        {.values = "1\t2\t3\t4\t5\t1", .flag8 = "FALSE"}));
  }
  return list.Text();
}

class HostileNamesTest : public test_support::WorkspaceTest {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "the expected piece names are those of a UTF-8 file system";
#endif
    if (!IsRegularFile(ConverterPath(workspace.settings, kToBinaryConverter))) {
      GTEST_SKIP() << "the converters are not built beside the tests";
    }
    WriteList("hostile.txt", ListWithNames(kHostileNames));
    ASSERT_TRUE(Load("hostile.txt"));
    ASSERT_EQ(workspace.main_set.antennas.size(), kHostileNames.size());
  }

  // The files of the result folder, after every conversion ended.
  std::set<std::string> Pieces() {
    workspace.conversions.WaitAll(platform);
    ReportFailedConversions(workspace);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(workspace.settings.ResultPath(""))) {
      EXPECT_TRUE(entry.is_regular_file()) << entry.path();
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  // Every file below the start folder, and nothing beside it: no name reached outside.
  void ExpectNothingOutsideTheStartFolder() {
    const fs::path start(folder.path());
    EXPECT_FALSE(fs::exists(start.parent_path().parent_path() / "escape.vrk"));
    EXPECT_FALSE(fs::exists(start / "pwned"));
    EXPECT_FALSE(fs::exists(start / "pwned2"));
    EXPECT_FALSE(fs::exists(fs::current_path() / "pwned"));
    for (const auto& entry : fs::recursive_directory_iterator(start)) {
      EXPECT_LE(entry.path().filename().string().size(), 255u) << entry.path();
    }
  }

  // Loads the split's script, which merges every piece back into one list.
  void ExpectScriptMergesAllPiecesBack(std::string_view script) {
    Controls controls(workspace);
    platform.messages.clear();
    ASSERT_TRUE(workspace.Report(LoadThisFile(workspace, controls, Path(script))));
    EXPECT_TRUE(platform.messages.empty());
    ASSERT_EQ(workspace.main_set.tv_services.size(), kHostileNames.size());
    std::multiset<std::string> antenna_names;
    for (const Antenna& antenna : workspace.main_set.antennas) antenna_names.emplace(antenna.name);
    std::multiset<std::string> expected;
    for (const std::string& name : kHostileNames) expected.insert(std::string(TrimSpaces(name)));
    EXPECT_EQ(antenna_names, expected);
  }
};

TEST_F(HostileNamesTest, ASplitPerAntennaKeepsEveryPieceInTheResultFolder) {
  SplitPerAntenna(workspace, Button::split);
  EXPECT_EQ(platform.caption(Button::split),
            "Split into " + std::to_string(kHostileNames.size()) + " antennas");
  EXPECT_TRUE(platform.messages.empty());
  const std::set<std::string> pieces = Pieces();
  EXPECT_EQ(pieces.size(), kHostileNames.size());
  for (const std::string& expected :
       {std::string("...vrk"), std::string(".._.._escape.vrk"), std::string("_etc_passwd.vrk"),
        std::string("a_b.vrk"), std::string("a_b_2.vrk"), std::string("C__Windows_evil.vrk"),
        std::string(200, 'x') + ".vrk", std::string(200, 'x') + "_2.vrk"}) {
    EXPECT_EQ(pieces.count(expected), 1u) << expected;
  }
  // Cut at 200 bytes without splitting a character: 100 times "é" in UTF-8.
  std::string accented;
  for (int i = 0; i < 100; ++i) accented += "\xc3\xa9";
  EXPECT_EQ(pieces.count(accented + ".vrk"), 1u);
  const std::string unsafe = {'/', '\\', ' ', '|',    '<',    '>',   '*',
                              '?', ':',  '"', '\x01', '\x07', '\x1b'};
  for (const std::string& piece : pieces) {
    EXPECT_EQ(piece.find_first_of(unsafe), std::string::npos) << piece;
  }
  ExpectNothingOutsideTheStartFolder();
  ExpectScriptMergesAllPiecesBack("antenna_list.txt");
}

TEST_F(HostileNamesTest, ASplitPerProviderKeepsEveryPieceInTheResultFolder) {
  workspace.options.split_into_providers = true;
  SplitPerProvider(workspace, Button::split);
  EXPECT_TRUE(platform.messages.empty());
  const std::set<std::string> pieces = Pieces();
  EXPECT_EQ(pieces.size(), kHostileNames.size());
  EXPECT_EQ(pieces.count(".._.._escape.vrk"), 1u);
  EXPECT_EQ(pieces.count(std::string(200, 'x') + "_2.vrk"), 1u);
  ExpectNothingOutsideTheStartFolder();
  ExpectScriptMergesAllPiecesBack("provider_list.txt");
}

}  // namespace
}  // namespace vsm
