#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "merge/record_merge.h"

namespace vsm {
namespace {

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

Transponder MakeTransponder(const Plain& plain) {
  Transponder transponder;
  transponder.antenna_index = plain.group;
  transponder.value3 = plain.key;
  transponder.value5 = plain.value5;
  transponder.value8 = plain.id;
  return transponder;
}

std::vector<std::int32_t> Ids(const std::vector<Plain>& list) {
  std::vector<std::int32_t> ids;
  for (const Plain& record : list) ids.push_back(record.id);
  return ids;
}

std::vector<std::int32_t> Ids(const RecordList<Transponder>& list) {
  std::vector<std::int32_t> ids;
  for (const Transponder& record : list) ids.push_back(record.value8);
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
      actual.Append(MakeTransponder(record));
    }
    {
      MainTransponders main(actual);
      for (std::int32_t step = random.Between(0, 120); step > 0; --step) {
        const Plain record = make();
        if (random.OneIn(4)) {
          expected.push_back(record);
          main.Append(MakeTransponder(record));
          continue;
        }
        const Plain* found_plain = FindPlain(expected, record.group, record.key, record.value5);
        const Transponder* found = main.Find(record.group, record.key, record.value5);
        ASSERT_EQ(found == nullptr, found_plain == nullptr);
        if (found != nullptr) {
          ASSERT_EQ(found->value8, found_plain->id);
          continue;
        }
        InsertPlainTransponder(expected, record);
        main.Insert(MakeTransponder(record));
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

}  // namespace
}  // namespace vsm
