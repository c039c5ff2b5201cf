#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "format/reader.h"
#include "format/writer.h"
#include "model/messages.h"
#include "split/split_per_antenna.h"
#include "split/split_per_provider.h"
#include "split_test_lists.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using testing::CrLf;
using testing::ExpectedPiece;
using testing::ListSpec;
using testing::ReadFile;
using testing::SplitOptions;
using testing::WorkspaceTest;

// What a written piece holds, read back by the reader, in the terms of ExpectedPiece; every
// reference is checked against the record that was written for it.
ExpectedPiece ReadPieceBack(const std::string& start_folder, const std::string& text_file,
                            const ListSpec& spec) {
  testing::RecordingPlatform platform;
  Workspace reader(platform, start_folder);
  reader.settings.current_file = text_file;
  ExpectedPiece piece;
  if (!LoadThisFile(reader)) {
    ADD_FAILURE() << "cannot read back " << text_file;
    return piece;
  }
  const ChannelList& set = reader.main_set;
  std::map<int, std::string> antenna_of_frequency;
  for (const auto& t : spec.transponders) {
    antenna_of_frequency[t.frequency] = spec.antennas[static_cast<std::size_t>(t.antenna)].name;
  }
  std::map<std::string, int> frequency_of_service;
  for (const auto& s : spec.services) {
    frequency_of_service[s.name] =
        spec.transponders[static_cast<std::size_t>(s.transponder)].frequency;
  }

  EXPECT_EQ(set.antennas.size(), spec.antennas.size()) << text_file;
  for (std::size_t i = 0; i < set.antennas.size() && i < spec.antennas.size(); ++i) {
    EXPECT_EQ(set.antennas[i].name, spec.antennas[i].name) << text_file;
  }
  for (const Transponder& t : set.transponders) {
    piece.transponder_frequencies.push_back(t.value2);
    EXPECT_TRUE(t.antenna != nullptr && t.antenna->name == antenna_of_frequency[t.value2])
        << text_file << " transponder " << t.value2;
  }
  for (const Provider& p : set.providers) piece.providers.push_back(p.name);
  for (const bool tv : {true, false}) {
    int number = 0;
    for (const Service& s : tv ? set.tv_services : set.radio_services) {
      (tv ? piece.tv_services : piece.radio_services).push_back(s.name);
      EXPECT_EQ(s.number, ++number) << text_file << " " << s.name;
      EXPECT_TRUE(s.transponder != nullptr && s.transponder->value2 == frequency_of_service[s.name])
          << text_file << " " << s.name;
      piece.service_providers.push_back(s.provider != nullptr ? s.provider->name : "<none>");
    }
  }
  for (const bool tv : {true, false}) {
    for (const Favorite& f : tv ? set.tv_favorites : set.radio_favorites) {
      piece.favorites.push_back(f.service != nullptr ? f.service->name : "<none>");
    }
  }
  EXPECT_EQ(set.networks.size(), 1u);
  EXPECT_EQ(set.menus.size(), 1u);
  return piece;
}

void ExpectSamePiece(const ExpectedPiece& actual, const ExpectedPiece& expected) {
  SCOPED_TRACE(expected.file);
  EXPECT_EQ(actual.transponder_frequencies, expected.transponder_frequencies);
  EXPECT_EQ(actual.providers, expected.providers);
  EXPECT_EQ(actual.tv_services, expected.tv_services);
  EXPECT_EQ(actual.radio_services, expected.radio_services);
  EXPECT_EQ(actual.service_providers, expected.service_providers);
  EXPECT_EQ(actual.favorites, expected.favorites);
}

// The text forms of pieces in the work folder.
std::set<std::string> PieceTextForms(const std::string& work_folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(work_folder)) {
    const std::string name = entry.path().filename().string();
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

struct Combination {
  Naming naming;
  bool divide_fta_notfta;
  bool remove_radios;
  bool remove_favorites;
  bool keep_pref_antennas;
};

std::string NameOf(const ::testing::TestParamInfo<Combination>& info) {
  const Combination& c = info.param;
  return "naming" + std::to_string(static_cast<int>(c.naming)) +
         (c.divide_fta_notfta ? "_divided" : "") + (c.remove_radios ? "_noradio" : "") +
         (c.remove_favorites ? "_nofavorites" : "") + (c.keep_pref_antennas ? "_preferred" : "");
}

std::vector<Combination> AllCombinations() {
  std::vector<Combination> all;
  for (const Naming naming :
       {Naming::keep_existing_names, Naming::use_satellite_position, Naming::use_antenna_names}) {
    for (const bool divide : {false, true}) {
      if (divide && naming == Naming::keep_existing_names) continue;
      for (const bool radios : {false, true}) {
        for (const bool favorites : {false, true}) {
          for (const bool preferred : {false, true}) {
            all.push_back({naming, divide, radios, favorites, preferred});
          }
        }
      }
    }
  }
  return all;
}

class SplitContent : public WorkspaceTest, public ::testing::WithParamInterface<Combination> {
 protected:
  void SetUp() override {
    WriteList("list.txt", testing::TextForm(spec));
    ASSERT_TRUE(Load("list.txt"));
    const Combination& c = GetParam();
    split.options.naming = c.naming;
    split.options.divide_fta_notfta = c.divide_fta_notfta;
    split.options.remove_radios = c.remove_radios;
    split.options.remove_favorites = c.remove_favorites;
    split.options.keep_pref_antennas = c.keep_pref_antennas;
    workspace.options = split.options;
    split.preferred = {"Hotbird", "Sirius"};
    testing::WriteFile(workspace.settings.KeepPath(kAntennaFileName),
                       CrLf({"0\t0\t1\t4\t5\t6\t7\t8\tHotbird", "0\t0\t1\t4\t5\t6\t7\t8\tSirius"}));
    split.labels = {
        "19.2\xB0"
        "E",
        "13\xB0"
        "E",
        "Thor", "Sirius"};
    testing::WriteFile(workspace.settings.KeepPath("sat_position.txt"), CrLf({"19.2\xB0"
                                                                              "E\tAstra 19.2",
                                                                              "13\xB0"
                                                                              "E\tHotbird"}));
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

  ListSpec spec = testing::SampleList();
  SplitOptions split;
};

TEST_P(SplitContent, PerAntennaPiecesHoldTheirAntennasRecords) {
  SplitPerAntenna(workspace, Button::split);
  const auto expected = testing::ExpectedAntennaPieces(spec, split);
  EXPECT_EQ(platform.caption(Button::split),
            "Split into " + std::to_string(expected.size()) + " antennas");
  ExpectPieces(expected, "antenna_list.txt");
  for (const Antenna& antenna : workspace.main_set.antennas) {
    EXPECT_FALSE(antenna.saved_selected);
  }
}

TEST_P(SplitContent, PerProviderPiecesHoldTheirProvidersRecords) {
  SplitPerProvider(workspace, Button::split);
  const auto expected = testing::ExpectedProviderPieces(spec, split);
  EXPECT_EQ(platform.caption(Button::split),
            "Split into " + std::to_string(expected.size()) + " providers");
  ExpectPieces(expected, "provider_list.txt");
}

INSTANTIATE_TEST_SUITE_P(AllOptions, SplitContent, ::testing::ValuesIn(AllCombinations()), NameOf);

}  // namespace
}  // namespace vsm
