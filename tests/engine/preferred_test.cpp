#include "split/preferred_antennas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/reader.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

constexpr const char* kNotExisting = "Trying to keep a not existing antenna:\r\n";

class PreferredTest : public WorkspaceTest {
 protected:
  void SetUp() override {
    WriteList("list.txt",
              CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", "0\t1000\t1\t1\t1\t1\t1\t1\tAstra",
                    "1\t2000\t2\t2\t2\t2\t2\t2\tHotbird", "2\t3000\t3\t3\t3\t3\t3\t3\tThor"}));
    ASSERT_TRUE(Load("list.txt"));
    workspace.options.keep_pref_antennas = true;
    workspace.options.naming = Naming::use_antenna_names;
  }
  void WritePreferred(std::string_view content) {
    WriteFile(workspace.settings.KeepPath(kAntennaFileName), content);
  }
  std::vector<bool> Selected() const {
    std::vector<bool> selected;
    for (const Antenna& antenna : workspace.main_set.antennas) selected.push_back(antenna.selected);
    return selected;
  }
  std::vector<std::string> NotExistingMessages() const {
    std::vector<std::string> texts;
    for (const auto& message : platform.MessagesTitled("Nice....")) texts.push_back(message.text);
    return texts;
  }
  const Antenna& MainAntenna(std::size_t position) const {
    return workspace.main_set.antennas[position];
  }
  using Flags = std::vector<bool>;
  using Texts = std::vector<std::string>;
};

TEST_F(PreferredTest, KeepsTheNamedAntennasWithTheSettingsOfTheFile) {
  WritePreferred(
      CrLf({"7\t99\t31\t32\t33\t34\t35\t36\tThor", "0\t0\t21\t22\t23\t24\t25\t26\tAstra"}));
  ApplyPreferredAntennas(workspace);
  EXPECT_EQ(Selected(), (Flags{true, false, true}));
  const Antenna& thor = MainAntenna(2);
  EXPECT_EQ((std::vector<int>{thor.values.value3, thor.values.value4, thor.values.value5,
                              thor.values.value6, thor.values.value7, thor.values.value8}),
            (std::vector<int>{31, 32, 33, 34, 35, 36}));
  EXPECT_EQ(thor.values.value2, 3000);  // column 2 and column 1 never reach the main set
  EXPECT_EQ(thor.index, 2);
  EXPECT_EQ(MainAntenna(0).values.value3, 21);
  EXPECT_EQ(MainAntenna(1).values.value3, 2);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(workspace.merge_set.antennas.size(), 2u);
  // The generated providers are rebuilt afterwards, for every antenna.
  EXPECT_EQ(workspace.main_set.generated_providers.size(), 3u);
}

TEST_F(PreferredTest, CopiedSettingsStayWhenTheOptionIsOff) {
  WritePreferred(CrLf({"0\t0\t21\t22\t23\t24\t25\t26\tAstra"}));
  ApplyPreferredAntennas(workspace);
  workspace.options.keep_pref_antennas = false;
  ApplyPreferredAntennas(workspace);
  EXPECT_EQ(Selected(), (Flags{true, true, true}));
  EXPECT_EQ(MainAntenna(0).values.value8, 26);
}

TEST_F(PreferredTest, UnknownAntennaIsReportedWithTheCurrentFile) {
  workspace.settings.current_file = "/lists/target.vrk";
  WritePreferred(CrLf({AntennaLine("astra"), AntennaLine("Hot  bird"),
                       AntennaLine("Hotbird", "0\t0\t5\t0\t0\t0\t0\t0")}));
  ApplyPreferredAntennas(workspace);
  EXPECT_EQ(Selected(), (Flags{false, true, false}));
  EXPECT_EQ(NotExistingMessages(),
            (Texts{std::string(kNotExisting) + "astra\r\n/lists/target.vrk",
                   std::string(kNotExisting) + "Hot  bird\r\n/lists/target.vrk"}));
}

TEST_F(PreferredTest, EmptyFileIsOneAntennaNamedUnknown) {
  WritePreferred("");
  ApplyPreferredAntennas(workspace);
  EXPECT_EQ(Selected(), (Flags{false, false, false}));
  EXPECT_EQ(NotExistingMessages(),
            Texts{std::string(kNotExisting) + "Unknown\r\n" + workspace.settings.current_file});
}

TEST_F(PreferredTest, EmptyLastLineIsAnAntennaNamedUnknown) {
  WritePreferred("0\t0\t0\t0\t0\t0\t0\t0\tHotbird\r\n\r\n");
  ApplyPreferredAntennas(workspace);
  EXPECT_EQ(Selected(), (Flags{false, true, false}));
  EXPECT_EQ(NotExistingMessages().size(), 1u);
}

TEST_F(PreferredTest, LastLineWithoutLineEndAndRepeatedNames) {
  WritePreferred("0\t0\t5\t0\t0\t0\t0\t0\tHotbird\n0\t0\t6\t0\t0\t0\t0\t0\tHotbird");
  ApplyPreferredAntennas(workspace);
  EXPECT_EQ(Selected(), (Flags{false, true, false}));
  EXPECT_EQ(MainAntenna(1).values.value3, 6);  // the later line's values stay
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(PreferredTest, OnlyTheFirstOfTwoEquallyNamedAntennasIsKept) {
  WriteList("twins.txt", CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", AntennaLine("Astra"),
                               AntennaLine("Astra", "1\t0\t0\t0\t0\t0\t0\t0")}));
  ASSERT_TRUE(Load("twins.txt"));
  WritePreferred(CrLf({AntennaLine("Astra")}));
  ApplyPreferredAntennas(workspace);
  EXPECT_EQ(Selected(), (Flags{true, false}));
}

TEST_F(PreferredTest, MissingFileOrOptionOffSelectsEveryAntenna) {
  ApplyPreferredAntennas(workspace);  // no file
  EXPECT_EQ(Selected(), (Flags{true, true, true}));
  EXPECT_TRUE(platform.messages.empty());

  WritePreferred(CrLf({AntennaLine("Thor")}));
  ApplyPreferredAntennas(workspace);
  EXPECT_EQ(Selected(), (Flags{false, false, true}));
  workspace.options.keep_pref_antennas = false;
  ApplyPreferredAntennas(workspace);
  EXPECT_EQ(Selected(), (Flags{true, true, true}));
}

TEST_F(PreferredTest, EveryLineBeyondTheThirtySecondDrawsTheWarning) {
  std::string content;
  for (int i = 0; i < 34; ++i) content += CrLf({AntennaLine("Extra" + std::to_string(i))});
  content += CrLf({AntennaLine("Astra")});
  WritePreferred(content);
  ApplyPreferredAntennas(workspace);
  const auto warnings = platform.MessagesTitled("Warning !!!");
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_EQ(warnings[0].text.rfind("More then 32 antennas ! \r\nExtra32\r\n", 0), 0u);
  EXPECT_EQ(Selected(), (Flags{true, false, false}));  // the lines are taken all the same
  EXPECT_EQ(NotExistingMessages().size(), 34u);
}

}  // namespace
}  // namespace vsm
