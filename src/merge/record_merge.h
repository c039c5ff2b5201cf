#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "merge/run_insertion_list.h"
#include "model/channel_list.h"
#include "model/first_by_name.h"
#include "model/workspace.h"

namespace vsm {

// The rules by which the records of the merge set are folded into the main set, one record type
// after the other, each in one function: how a record is matched, where a new one goes, and what
// the records that refer to it are pointed at. Each merge-set antenna, transponder, provider and
// service gets a counterpart in the main set: an equal record found there, or a copy added to it,
// recorded by the record's position in its merge-set list; the records that refer to that
// position take it from there.

struct Counterparts {
  // Room for every record of the merge set, no counterpart known yet.
  explicit Counterparts(const ChannelList& merge_set)
      : antennas(merge_set.antennas.size()),
        transponders(merge_set.transponders.size()),
        providers(merge_set.providers.size()),
        tv_services(merge_set.tv_services.size()),
        radio_services(merge_set.radio_services.size()) {}

  std::vector<Antenna*> antennas;
  std::vector<Transponder*> transponders;
  std::vector<Provider*> providers;
  std::vector<Service*> tv_services;
  std::vector<Service*> radio_services;

  std::vector<Service*>& ServicesOfKind(bool tv) { return tv ? tv_services : radio_services; }
};

// Antennas are matched by name, byte for byte: the first main-set antenna of that name, one added
// earlier in the same merge included, and the merge-set antenna is then `matched`. Another is
// appended (with a warning, naming it and current_file, once the main set holds 32 or more).
void MergeAntennas(Workspace& workspace, Counterparts& counterparts);

// A transponder of a matched antenna is matched by its antenna's counterpart, value3 and value5;
// a new one goes into that antenna's group, after those with a value3 not above its own. One of an
// antenna that was added is appended without a search.
void MergeTransponders(Workspace& workspace, Counterparts& counterparts);

// Providers are matched by name (the whole line); another is appended.
void MergeProviders(Workspace& workspace, Counterparts& counterparts);

// Services are always added, at the end of the main list of their kind, linked to the
// counterparts of their antenna, transponder and provider. The merge set is emptied after the
// merge, so the records themselves move over rather than copies.
void AddServices(Workspace& workspace, Counterparts& counterparts);

// Favourites are always added, into the main list of their kind before the first favourite with
// a greater value2, naming the counterpart of their service.
void MergeFavorites(Workspace& workspace, Counterparts& counterparts);

// ---- The main lists while a phase adds to them ----

// The position of the antenna a main-set transponder refers to, -1 when it has none: its group.
// Not its antenna_index, which in a loaded list may lie past the antennas (naming the last one)
// until the merge renumbers it, and so could name an antenna that the merge appends.
inline std::int32_t AntennaPositionOf(const Transponder& transponder) {
  return transponder.antenna != nullptr ? transponder.antenna->list_index : -1;
}

struct TransponderGrouping {
  static std::int32_t Group(const Transponder& transponder) {
    return AntennaPositionOf(transponder);
  }
  static std::int32_t Key(const Transponder& transponder) { return transponder.values.value3; }
};

// The main set's transponders while the transponder phase runs: taken out of their list on
// construction, handed back in their new order on destruction.
class MainTransponders {
 public:
  explicit MainTransponders(RecordList<Transponder>& list);
  ~MainTransponders();
  MainTransponders(const MainTransponders&) = delete;
  MainTransponders& operator=(const MainTransponders&) = delete;

  // The first transponder in list order with these values, or none.
  Transponder* Find(std::int32_t antenna_position, std::int32_t value3, std::int32_t value5) const;
  // Inserts into the group of its antenna; only for values that Find does not know.
  Transponder& Insert(Transponder transponder);
  Transponder& Append(Transponder transponder);

 private:
  struct Key {
    std::int32_t antenna_position;
    std::int32_t value3;
    std::int32_t value5;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& key) const;
  };
  // Remembers the records in list order, so that the first match in list order is kept.
  std::vector<Transponder*> RememberAll(std::vector<Transponder*> records);
  void Remember(Transponder& transponder);

  RecordList<Transponder>& list_;
  // Every transponder of the main list is remembered in every merge: the nodes come from one arena,
  // freed whole (see RunInsertionList).
  std::pmr::monotonic_buffer_resource arena_;
  std::pmr::unordered_map<Key, Transponder*, KeyHash> first_by_key_{&arena_};  // before records_
  RunInsertionList<Transponder, TransponderGrouping> records_;
};

struct FavoriteOrdering {
  static std::int32_t Group(const Favorite&) { return 0; }
  static std::int32_t Key(const Favorite& favorite) { return favorite.value2; }
};

// A main favourite list while the favourite phase runs (taken out and handed back like
// MainTransponders).
class MainFavorites {
 public:
  explicit MainFavorites(RecordList<Favorite>& list);
  ~MainFavorites();
  MainFavorites(const MainFavorites&) = delete;
  MainFavorites& operator=(const MainFavorites&) = delete;

  // Inserts before the first favourite with a greater value2; at the end when there is none.
  Favorite& Insert(Favorite favorite);

 private:
  RecordList<Favorite>& list_;
  RunInsertionList<Favorite, FavoriteOrdering> records_;
};

// ---- After the phases ----

// Sets `list_index` to the position in every list of the main set that keeps one: antennas,
// transponders, providers and favourites.
void RenumberMainSet(ChannelList& main_set);
// Sets the antennas' and transponders' index fields of the main set from the `list_index` of the
// record their reference designates; an index whose reference is empty stays as it is.
void RecomputeIndexes(ChannelList& main_set);

}  // namespace vsm
