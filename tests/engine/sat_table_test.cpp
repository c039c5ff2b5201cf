#include "split/sat_position_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "split/provider_naming.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

constexpr const char* kUnknown = "The satellite name is unknown in the loaded vrk file: \r\n\r\n";
constexpr const char* kNoTab = "No TAB between position and satellite name in: \r\n\r\n";

class SatTableTest : public WorkspaceTest {
 protected:
  std::string Table() const { return workspace.settings.KeepPath("sat_position.txt"); }
  void LoadAntennas(std::initializer_list<std::string_view> names) {
    WriteList("list.txt", AntennasOnlyListText(names));
    ASSERT_TRUE(Load("list.txt"));
    workspace.options.naming = Naming::use_satellite_position;
  }
  std::vector<std::string> Labels() const {
    std::vector<std::string> labels;
    for (const Antenna& antenna : workspace.main_set.antennas) {
      labels.emplace_back(antenna.sat_position);
    }
    return labels;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& message : platform.messages) {
      EXPECT_EQ(message.title, "File sat_position.txt....");
      texts.push_back(message.text);
    }
    return texts;
  }
  using Texts_ = std::vector<std::string>;
};

TEST_F(SatTableTest, MissingTableIsWrittenWithTheDefaultRows) {
  EnsureSatPositionFile(workspace);
  // 32 rows, the degree sign as the byte 0xB0.
  EXPECT_EQ(ReadFile(Table()), Golden("sat_position.txt"));
}

TEST_F(SatTableTest, ExistingTableIsNeverTouched) {
  for (const std::string& content : {std::string("1\260W\tMine\r\n"), std::string()}) {
    WriteFile(Table(), content);
    EnsureSatPositionFile(workspace);
    EXPECT_EQ(ReadFile(Table()), content);
  }
}

TEST_F(SatTableTest, MissingKeepFolderIsCreated) {
  std::filesystem::remove_all(workspace.settings.start_folder + "VrkKeep");
  EnsureSatPositionFile(workspace);
  EXPECT_EQ(ReadFile(Table()), DefaultSatPositionTable());
  for (const auto& entry : std::filesystem::directory_iterator(workspace.settings.KeepPath(""))) {
    EXPECT_EQ(entry.path().filename(), "sat_position.txt");  // no temporary file stays behind
  }
}

TEST_F(SatTableTest, DefaultTableLabelsKnownAntennasAndReportsEveryOtherRow) {
  LoadAntennas({"Astra", "Thor"});
  BuildGeneratedProviders(workspace);
  EXPECT_EQ(Labels(), (Texts_{"19.2\260E", "1\260W"}));
  const auto texts = Texts();
  ASSERT_EQ(texts.size(), 30u);
  EXPECT_EQ(texts[0], std::string(kUnknown) + "13\260E\tHotbird");
  EXPECT_EQ(texts[29], std::string(kUnknown) + "21.5\260E\tEutelsat W6");
  EXPECT_EQ(workspace.main_set.generated_providers[1].name, "1\260W");
}

TEST_F(SatTableTest, RowsAreTrimmedAndTextAfterASecondTabIsIgnored) {
  LoadAntennas({"Astra", "Astra 2", "Hotbird"});
  WriteFile(Table(), "  19.2\260E \t Astra \tcomment\r\n13\260E\t\tHotbird\r\n");
  ApplySatellitePositions(workspace);
  EXPECT_EQ(Labels(), (Texts_{"19.2\260E", "Astra 2", "Hotbird"}));
  EXPECT_EQ(Texts(), Texts_{std::string(kUnknown) + "13\260E\t\tHotbird"});
}

TEST_F(SatTableTest, NamesMatchExactlyAndOnlyTheFirstAntennaOfAName) {
  LoadAntennas({"Astra", "Astra"});
  WriteFile(Table(),
            "19.2\260E\tastra\r\n1\260W\tAstra");  // the last row has no line end
  ApplySatellitePositions(workspace);
  EXPECT_EQ(Labels(), (Texts_{"1\260W", "Astra"}));
  EXPECT_EQ(Texts(), Texts_{std::string(kUnknown) + "19.2\260E\tastra"});
}

TEST_F(SatTableTest, EmptyTableIsOneRowWithoutTab) {
  LoadAntennas({"Astra"});
  WriteFile(Table(), "");
  ApplySatellitePositions(workspace);
  EXPECT_EQ(Texts(), Texts_{kNoTab});
  EXPECT_EQ(ReadFile(Table()), "");
}

TEST_F(SatTableTest, EmptyLastLineIsReportedAsARowWithoutTab) {
  LoadAntennas({"Astra"});
  WriteFile(Table(), "19.2\260E Astra\r\n1\260W\tAstra\r\n\r\n");
  ApplySatellitePositions(workspace);
  EXPECT_EQ(Texts(), (Texts_{std::string(kNoTab) + "19.2\260E Astra", kNoTab}));
  EXPECT_EQ(Labels(), Texts_{"1\260W"});
}

TEST_F(SatTableTest, LabelsStayWhenTheRowIsGoneOrTheNamingChanges) {
  LoadAntennas({"Astra"});
  WriteFile(Table(), "19.2\260E\tAstra\r\n");
  ApplySatellitePositions(workspace);
  WriteFile(Table(), "1\260W\tThor\r\n");
  ApplySatellitePositions(workspace);
  EXPECT_EQ(Labels(), Texts_{"19.2\260E"});
  workspace.options.naming = Naming::use_antenna_names;
  BuildGeneratedProviders(workspace);
  EXPECT_EQ(workspace.main_set.generated_providers[0].name, "Astra");
}

TEST_F(SatTableTest, OtherNamingsDoNotReadTheTable) {
  LoadAntennas({"Astra"});
  for (const Naming naming : {Naming::keep_existing_names, Naming::use_antenna_names}) {
    workspace.options.naming = naming;
    ApplySatellitePositions(workspace);
  }
  EXPECT_FALSE(Exists(Table()));
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SatTableTest, MissingTableIsWrittenOnceAndThenRead) {
  LoadAntennas({"Thor"});
  ApplySatellitePositions(workspace);
  EXPECT_EQ(ReadFile(Table()), DefaultSatPositionTable());
  EXPECT_EQ(Labels(), Texts_{"1\260W"});
  EXPECT_EQ(platform.messages.size(), 31u);
}

TEST_F(SatTableTest, UnreadableTableLeavesTheLabelsWithoutMessage) {
  LoadAntennas({"Astra"});
  ASSERT_TRUE(CreateFolder(Table()));  // neither readable nor replaceable
  ApplySatellitePositions(workspace);
  EXPECT_EQ(Labels(), Texts_{"Astra"});
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(IsFolder(Table()));
}

}  // namespace
}  // namespace vsm
