#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "generator/list_generator.h"
#include "merge/merge_driver.h"
#include "merge/record_merge.h"
#include "split/save_driver.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using test_support::MergeList;
using test_support::SaveList;

// The insertion rules walked out step by step over a plain array, as a reference for the indexed
// lists of the merge. Records are compared by an id kept in a field the rules do not look at.

struct Plain {
  std::int32_t group;
  std::int32_t key;
  std::int32_t value5;
  std::int32_t id;
};

// Into the group's first run, before the first record of the run with a greater key; at the end
// of the list when the group has no record.
void InsertPlainTransponder(std::vector<Plain>& list, const Plain& record) {
  std::size_t at = 0;
  while (at < list.size() && list[at].group != record.group) ++at;
  if (at == list.size()) {
    list.push_back(record);
    return;
  }
  while (at < list.size() && list[at].group == record.group && list[at].key <= record.key) ++at;
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), record);
}

void InsertPlainFavorite(std::vector<Plain>& list, const Plain& record) {
  std::size_t at = 0;
  while (at < list.size() && list[at].key <= record.key) ++at;
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), record);
}

const Plain* FindPlain(const std::vector<Plain>& list, std::int32_t group, std::int32_t key,
                       std::int32_t value5) {
  for (const Plain& record : list) {
    if (record.group == group && record.key == key && record.value5 == value5) return &record;
  }
  return nullptr;
}

// The main set groups its transponders by the antenna they refer to: group g is the antenna at
// position g, group -1 no antenna.
RecordList<Antenna> GroupAntennas(std::int32_t groups) {
  RecordList<Antenna> antennas;
  for (std::int32_t position = 0; position <= groups; ++position) {
    Antenna antenna;
    antenna.index = antenna.list_index = position;
    antennas.Append(antenna);
  }
  return antennas;
}

Transponder MakeTransponder(const Plain& plain, const RecordList<Antenna>& antennas) {
  Transponder transponder;
  transponder.antenna_index = plain.group;
  transponder.antenna =
      plain.group >= 0 ? &antennas[static_cast<std::size_t>(plain.group)] : nullptr;
  transponder.values.value3 = plain.key;
  transponder.values.value5 = plain.value5;
  transponder.values.value8 = plain.id;
  return transponder;
}

std::vector<std::int32_t> Ids(const std::vector<Plain>& list) {
  std::vector<std::int32_t> ids;
  for (const Plain& record : list) ids.push_back(record.id);
  return ids;
}

std::vector<std::int32_t> Ids(const RecordList<Transponder>& list) {
  std::vector<std::int32_t> ids;
  for (const Transponder& record : list) ids.push_back(record.values.value8);
  return ids;
}

std::vector<std::int32_t> Ids(const RecordList<Favorite>& list) {
  std::vector<std::int32_t> ids;
  for (const Favorite& record : list) ids.push_back(record.channel_index);
  return ids;
}

class Random {
 public:
  explicit Random(std::uint32_t seed) : engine_(seed) {}
  std::int32_t Between(std::int32_t low, std::int32_t high) {
    return std::uniform_int_distribution<std::int32_t>(low, high)(engine_);
  }
  bool OneIn(std::int32_t n) { return Between(1, n) == 1; }

 private:
  std::mt19937 engine_;
};

// Groups interleaved (a group may have several runs), few distinct keys (many ties), and a
// mix of searches, group insertions and appends as the transponder phase makes them.
TEST(MergeOrder, TransponderInsertionMatchesTheStepByStepRule) {
  for (std::uint32_t seed = 1; seed <= 400; ++seed) {
    SCOPED_TRACE(seed);
    Random random(seed);
    const std::int32_t groups = random.Between(1, 6);
    const std::int32_t keys = random.Between(1, 8);
    const RecordList<Antenna> antennas = GroupAntennas(groups);
    std::int32_t next_id = 0;
    const auto make = [&] {
      return Plain{random.Between(-1, groups), random.Between(0, keys), random.Between(0, 2),
                   next_id++};
    };

    std::vector<Plain> expected;
    RecordList<Transponder> actual;
    for (std::int32_t i = random.Between(0, 30); i > 0; --i) {
      const Plain record = make();
      expected.push_back(record);
      actual.Append(MakeTransponder(record, antennas));
    }
    {
      MainTransponders main(actual);
      for (std::int32_t step = random.Between(0, 120); step > 0; --step) {
        const Plain record = make();
        if (random.OneIn(4)) {
          expected.push_back(record);
          main.Append(MakeTransponder(record, antennas));
          continue;
        }
        const Plain* found_plain = FindPlain(expected, record.group, record.key, record.value5);
        const Transponder* found = main.Find(record.group, record.key, record.value5);
        ASSERT_EQ(found == nullptr, found_plain == nullptr);
        if (found != nullptr) {
          ASSERT_EQ(found->values.value8, found_plain->id);
          continue;
        }
        InsertPlainTransponder(expected, record);
        main.Insert(MakeTransponder(record, antennas));
      }
    }
    ASSERT_EQ(Ids(actual), Ids(expected));
  }
}

TEST(MergeOrder, FavoriteInsertionMatchesTheStepByStepRule) {
  for (std::uint32_t seed = 1; seed <= 400; ++seed) {
    SCOPED_TRACE(seed);
    Random random(seed);
    const std::int32_t keys = random.Between(0, 6);
    std::int32_t next_id = 0;
    std::vector<Plain> expected;
    RecordList<Favorite> actual;
    const auto add = [&](bool initial, MainFavorites* main) {
      const Plain record{0, random.Between(-1, keys), 0, next_id++};
      Favorite favorite;
      favorite.value2 = record.key;
      favorite.channel_index = record.id;
      if (initial) {
        expected.push_back(record);  // a loaded list may be in any order
        actual.Append(favorite);
      } else {
        InsertPlainFavorite(expected, record);
        main->Insert(favorite);
      }
    };
    for (std::int32_t i = random.Between(0, 20); i > 0; --i) add(true, nullptr);
    {
      MainFavorites main(actual);
      for (std::int32_t i = random.Between(0, 60); i > 0; --i) add(false, &main);
    }
    ASSERT_EQ(Ids(actual), Ids(expected));
  }
}

using test_support::WorkspaceTest;

std::string Describe(const Transponder* t) {
  if (t == nullptr) return "no transponder";
  return std::string(t->antenna != nullptr ? t->antenna->name : "no antenna") + " " +
         std::to_string(t->values.value2) + " " + std::to_string(t->values.value3) + " " +
         std::to_string(t->values.value4) + " " + std::to_string(t->values.value5) + " " +
         std::to_string(t->values.value6) + " " + std::to_string(t->values.value7) + " " +
         std::to_string(t->values.value8);
}

// A service by its own columns and by what its references designate, not by positions.
std::string Describe(const Service& s) {
  return std::string(s.kind()) + "|" + std::string(s.name()) + "|" +
         std::to_string(s.values.value2) + " " + std::to_string(s.values.value7) +
         std::string(s.Text(Service::Column::flag8)) + std::string(s.Text(Service::Column::flag9)) +
         std::string(s.Text(Service::Column::scrambled)) + "|" + Describe(s.transponder) + "|" +
         (s.provider != nullptr ? s.provider->name : "no provider") + "|" +
         std::string(s.antenna() != nullptr ? s.antenna()->name : "no antenna");
}

struct Picture {
  std::vector<std::string> antennas;
  std::vector<std::string> services;
  std::vector<std::string> favorites;
  std::size_t transponders_in_use = 0;
  std::size_t providers_in_use = 0;

  bool operator==(const Picture&) const = default;
};

Picture PictureOf(const ChannelList& set) {
  Picture picture;
  for (const Antenna& a : set.antennas) picture.antennas.emplace_back(a.name);
  std::set<const Transponder*> transponders;
  std::set<const Provider*> providers;
  for (const auto* services : {&set.tv_services, &set.radio_services}) {
    for (const Service& s : *services) {
      picture.services.push_back(Describe(s));
      transponders.insert(s.transponder);
      providers.insert(s.provider);
    }
  }
  for (const auto* favorites : {&set.tv_favorites, &set.radio_favorites}) {
    for (const Favorite& f : *favorites) {
      picture.favorites.push_back(std::to_string(f.kind) + " " + std::to_string(f.value2) + " " +
                                  (f.service != nullptr ? Describe(*f.service) : "no service"));
    }
  }
  picture.transponders_in_use = transponders.size();
  picture.providers_in_use = providers.size();
  return picture;
}

class MergeRoundTripTest : public WorkspaceTest {
 protected:
  void Write(std::string_view name, int services, int antennas, int first_antenna,
             std::uint32_t seed) {
    ListGeneratorOptions options;
    options.services = services;
    options.antennas = antennas;
    options.first_antenna = first_antenna;
    options.seed = seed;
    WriteList(name, GenerateChannelListText(options));
  }
  std::size_t ServiceCount() const {
    return workspace.main_set.tv_services.size() + workspace.main_set.radio_services.size();
  }
};

// Load A, merge B (sharing some antennas), save as text, load the saved file back: the same
// antennas, services and favourites, designating the same records.
TEST_F(MergeRoundTripTest, AMergedListSavesAndLoadsBackUnchanged) {
  for (std::uint32_t seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE(seed);
    const int first_b = static_cast<int>(seed % 4);
    Write("a.txt", 150 + static_cast<int>(seed) * 40, 3 + static_cast<int>(seed % 3), 0, seed);
    Write("b.txt", 120 + static_cast<int>(seed) * 30, 4, first_b, seed + 1000);

    ASSERT_TRUE(Load("b.txt"));
    const std::size_t b_services = ServiceCount();
    const std::size_t b_favorites =
        workspace.main_set.tv_favorites.size() + workspace.main_set.radio_favorites.size();
    ASSERT_TRUE(Load("a.txt"));
    const std::size_t a_services = ServiceCount();
    const std::size_t a_favorites =
        workspace.main_set.tv_favorites.size() + workspace.main_set.radio_favorites.size();

    ASSERT_TRUE(MergeList(workspace, Path("b.txt")));
    EXPECT_EQ(ServiceCount(), a_services + b_services);
    const Picture merged = PictureOf(workspace.main_set);
    EXPECT_EQ(merged.favorites.size(), a_favorites + b_favorites);

    ASSERT_TRUE(SaveList(workspace, Path("saved.txt")));
    ASSERT_TRUE(Load("saved.txt"));
    const Picture reloaded = PictureOf(workspace.main_set);
    EXPECT_EQ(reloaded.antennas, merged.antennas);
    EXPECT_EQ(reloaded.services, merged.services);
    EXPECT_EQ(reloaded.favorites, merged.favorites);
    EXPECT_EQ(reloaded.transponders_in_use, merged.transponders_in_use);
    EXPECT_EQ(reloaded.providers_in_use, merged.providers_in_use);
    EXPECT_TRUE(platform.messages.empty());
  }
}

}  // namespace
}  // namespace vsm
