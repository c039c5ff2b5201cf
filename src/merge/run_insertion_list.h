#pragma once

#include <cstdint>
#include <iterator>
#include <list>
#include <map>
#include <memory_resource>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vsm {

// A list that records are merged into, group by group. Each record belongs to a group
// (`Traits::Group`) and has a sort key (`Traits::Key`). A record inserted into its group goes into
// the first contiguous run of that group, in list order, before the first record of the run whose
// key is greater than its own; after the run's last record when none is; at the end of the list
// when the group has no record yet.
//
// The records sit in a linked list, so an insertion shifts nothing. The first record of a run
// whose key is greater than a given key is always a strict prefix maximum of the run (greater
// than every record before it in the run), so each run keeps a map of its strict prefix maxima
// and finds the insertion point in logarithmic time. Every record of the main list passes through
// the linked list in every merge: its nodes come from one arena, freed whole with the list, where
// one allocation and one release per record were a third of a merge's own work.
template <class Record, class Traits>
class RunInsertionList {
 public:
  explicit RunInsertionList(const std::vector<Record*>& records) {
    for (Record* record : records) Append(record);
  }

  // Appends at the end of the list, without a search.
  Record& Append(Record* record) {
    const std::int32_t group = Traits::Group(*record);
    const std::int32_t key = Traits::Key(*record);
    auto run = runs_.find(group);
    const bool extends_run = run != runs_.end() && run->second.last == std::prev(records_.end());
    const auto position = records_.insert(records_.end(), record);
    if (run == runs_.end()) {
      Run& added = runs_.try_emplace(group, Run{position, PrefixMaxima(&arena_)}).first->second;
      added.prefix_maxima.emplace(key, position);
    } else if (extends_run) {
      run->second.last = position;
      if (key > run->second.prefix_maxima.rbegin()->first) {
        run->second.prefix_maxima.emplace(key, position);
      }
    }
    return **position;
  }

  // Inserts into the first run of the record's group by the rule above.
  Record& InsertIntoGroup(Record* record) {
    const auto run_it = runs_.find(Traits::Group(*record));
    if (run_it == runs_.end()) return Append(record);
    Run& run = run_it->second;
    const std::int32_t key = Traits::Key(*record);
    const auto greater = run.prefix_maxima.upper_bound(key);
    typename Records::iterator position;
    if (greater != run.prefix_maxima.end()) {
      position = records_.insert(greater->second, record);
    } else {
      position = records_.insert(std::next(run.last), record);
      run.last = position;
    }
    // Every record before it in the run has a key not above its own: it is a strict prefix
    // maximum unless one of them has the same key.
    run.prefix_maxima.try_emplace(key, position);
    return **position;
  }

  std::size_t size() const { return records_.size(); }

  // Hands the records back in list order; the list is empty afterwards.
  std::vector<Record*> Release() {
    std::vector<Record*> out(records_.begin(), records_.end());
    records_.clear();
    runs_.clear();
    return out;
  }

 private:
  using Records = std::pmr::list<Record*>;
  using PrefixMaxima = std::pmr::map<std::int32_t, typename Records::iterator>;
  struct Run {
    // The last record of the run, not the one after it: a record of another group may later be
    // inserted right behind the run.
    typename Records::iterator last;
    PrefixMaxima prefix_maxima;
  };

  std::pmr::monotonic_buffer_resource arena_;  // declared first: it outlives the containers
  Records records_{&arena_};
  std::pmr::unordered_map<std::int32_t, Run> runs_{&arena_};
};

}  // namespace vsm
