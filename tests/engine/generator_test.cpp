#include "generator/list_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "format/sections.h"
#include "format/text_lines.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

// The record lines of a text form, by section header, and the headers in file order.
struct SplitList {
  std::vector<std::string> headers;
  std::map<std::string, std::vector<std::string>> lines;
};

SplitList SplitSections(std::string_view text) {
  SplitList list;
  LineCursor cursor(text);
  std::string_view line;
  std::string current;
  while (cursor.Next(line)) {
    if (!line.empty() && line.front() == '[') {
      current = line;
      list.headers.push_back(current);
      list.lines[current];
    } else {
      list.lines[current].emplace_back(line);
    }
  }
  return list;
}

std::size_t ColumnCount(std::string_view line) {
  return static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')) + 1;
}

std::string Column(std::string_view line, std::size_t column) {
  return std::string(Columns(line)[column]);
}

std::vector<std::string> AntennaNames(const SplitList& list) {
  std::vector<std::string> names;
  for (const auto& line : list.lines.at("[ANTENNA]")) names.push_back(Column(line, 9));
  return names;
}

TEST(ListGenerator, IsDeterministic) {
  const ListGeneratorOptions options{.services = 200, .antennas = 3, .first_antenna = 5, .seed = 4};
  EXPECT_EQ(GenerateChannelListText(options), GenerateChannelListText(options));
  ListGeneratorOptions other = options;
  other.seed = 5;
  EXPECT_NE(GenerateChannelListText(options), GenerateChannelListText(other));
}

TEST(ListGenerator, WritesTheWriterLayout) {
  const std::string text = GenerateChannelListText({.services = 300, .antennas = 5, .seed = 3});
  // Every line ends in CR LF: no lone CR, no lone LF.
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool lone_lf = text[i] == '\n' && (i == 0 || text[i - 1] != '\r');
    const bool lone_cr = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
    ASSERT_FALSE(lone_lf || lone_cr) << i;
  }
  const SplitList list = SplitSections(text);
  EXPECT_EQ(list.headers,
            (std::vector<std::string>{"[MORVANE V3 FILE]", "[ANTENNA]", "[TS]", "[NETWORK]",
                                      "[PROVIDER]", "[FAVORITE]", "[SERVICE]", "[MENU]"}));
  const std::map<std::string, std::size_t> widths = {
      {"[ANTENNA]", 9}, {"[TS]", 8}, {"[FAVORITE]", 3}, {"[SERVICE]", 14}};
  for (const auto& [header, width] : widths) {
    for (const auto& line : list.lines.at(header)) EXPECT_EQ(ColumnCount(line), width) << line;
  }
  EXPECT_FALSE(list.lines.at("[NETWORK]").empty());
  EXPECT_FALSE(list.lines.at("[MENU]").empty());
}

TEST(ListGenerator, IndexColumnsArePositionsAndOrdersHold) {
  const std::string text = GenerateChannelListText({.services = 500, .antennas = 4, .seed = 8});
  const SplitList list = SplitSections(text);
  const auto& antennas = list.lines.at("[ANTENNA]");
  const auto& transponders = list.lines.at("[TS]");
  const auto& services = list.lines.at("[SERVICE]");
  const auto providers = static_cast<std::int32_t>(list.lines.at("[PROVIDER]").size());
  for (std::size_t i = 0; i < antennas.size(); ++i) {
    EXPECT_EQ(ParseLong(Column(antennas[i], 1)), static_cast<std::int32_t>(i));
  }
  // Grouped by antenna, ascending frequency within a group.
  for (std::size_t i = 1; i < transponders.size(); ++i) {
    const auto antenna = ParseLong(Column(transponders[i], 1));
    const auto previous = ParseLong(Column(transponders[i - 1], 1));
    EXPECT_TRUE(antenna > previous ||
                (antenna == previous && ParseLong(Column(transponders[i], 3)) >=
                                            ParseLong(Column(transponders[i - 1], 3))));
  }
  std::map<std::string, std::int32_t> counts;  // per kind: services so far
  for (const auto& line : services) {
    const std::string kind = Column(line, 1);
    EXPECT_EQ(ParseLong(Column(line, 14)), ++counts[kind]);
    EXPECT_LT(ParseLong(Column(line, 11)), static_cast<std::int32_t>(transponders.size()));
    EXPECT_LT(ParseLong(Column(line, 12)), providers);
    EXPECT_TRUE(Column(line, 10) == "TRUE" || Column(line, 10) == "FALSE");
  }
  EXPECT_EQ(counts["V"] + counts["A"], 500);
  EXPECT_EQ(counts["V"], 400);
  std::map<std::int32_t, std::int32_t> last_value2;
  for (const auto& line : list.lines.at("[FAVORITE]")) {
    const auto kind = ParseLong(Column(line, 1));
    EXPECT_LT(ParseLong(Column(line, 3)), counts[kind == 0 ? "V" : "A"]);
    EXPECT_GT(ParseLong(Column(line, 2)), last_value2[kind]);
    last_value2[kind] = ParseLong(Column(line, 2));
  }
  EXPECT_GT(last_value2[0], 0);
  EXPECT_GT(last_value2[1], 0);
}

TEST(ListGenerator, AntennasComeFromTheSatelliteTable) {
  using Names = std::vector<std::string>;
  EXPECT_EQ(AntennaNames(SplitSections(GenerateChannelListText({.antennas = 3}))),
            (Names{"Astra", "Hotbird", "Eutelsat W2"}));
  EXPECT_EQ(
      AntennaNames(SplitSections(GenerateChannelListText({.antennas = 3, .first_antenna = 30}))),
      (Names{"Atl. Bird 1", "Eutelsat W6", "Astra"}));
  EXPECT_EQ(AntennaNames(SplitSections(GenerateChannelListText({.antennas = 40}))).size(), 32u);
}

// Lists that share an antenna agree on it and on its first transponders.
TEST(ListGenerator, OverlappingListsShareAntennasAndTransponders) {
  const SplitList west = SplitSections(
      GenerateChannelListText({.services = 100, .antennas = 4, .first_antenna = 0, .seed = 1}));
  const SplitList east = SplitSections(
      GenerateChannelListText({.services = 300, .antennas = 4, .first_antenna = 2, .seed = 2}));
  const auto tail = [](std::string_view line) { return std::string(line.substr(line.find('\t'))); };
  const auto transponders_of = [&](const SplitList& list, std::int32_t antenna) {
    std::vector<std::string> lines;
    for (const auto& line : list.lines.at("[TS]")) {
      if (ParseLong(Column(line, 1)) == antenna) lines.push_back(tail(line));
    }
    return lines;
  };
  for (std::int32_t shared = 0; shared < 2; ++shared) {
    const auto& west_antenna = west.lines.at("[ANTENNA]")[static_cast<std::size_t>(shared) + 2];
    const auto& east_antenna = east.lines.at("[ANTENNA]")[static_cast<std::size_t>(shared)];
    EXPECT_EQ(tail(west_antenna), tail(east_antenna));
    const auto few = transponders_of(west, shared + 2);
    const auto many = transponders_of(east, shared);
    ASSERT_FALSE(few.empty());
    for (const auto& line : few) EXPECT_NE(std::find(many.begin(), many.end(), line), many.end());
  }
}

class GeneratedListLoad : public test_support::WorkspaceTest {};

TEST_F(GeneratedListLoad, ReadsBackCompletely) {
  WriteList("list.txt", GenerateChannelListText({.services = 250, .antennas = 5, .seed = 6}));
  ASSERT_TRUE(Load("list.txt"));
  const ChannelList& set = workspace.main_set;
  EXPECT_EQ(set.tv_services.size(), 200u);
  EXPECT_EQ(set.radio_services.size(), 50u);
  EXPECT_EQ(set.antennas.size(), 5u);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(set.positions_out_of_range);
  for (const Service& service : set.tv_services) {
    ASSERT_NE(service.transponder, nullptr);
    EXPECT_NE(service.antenna(), nullptr);
    EXPECT_NE(service.provider, nullptr);
  }
  for (const Favorite& favorite : set.radio_favorites) {
    EXPECT_EQ(favorite.service,
              &set.radio_services[static_cast<std::size_t>(favorite.channel_index)]);
  }
  EXPECT_FALSE(set.tv_favorites.empty());
}

}  // namespace
}  // namespace vsm
