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

// The rules by which the records of the merge set are folded into the main set. Each merge-set
// antenna, transponder, provider and service gets a counterpart in the main set: an equal record
// found there, or a copy added to it. Relinking records the counterpart by the record's position
// in its merge-set list; the records that refer to that position then take it from there.

struct Counterparts {
  Counterparts() = default;
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

// ---- Antennas ----

// The main-set antenna whose name equals `antenna`'s, byte for byte; nothing when none does.
Antenna* FindAntenna(const FirstByName<Antenna>& main_antennas, const Antenna& antenna);
// Appends a copy of a merge-set antenna to the main set's antennas (and to `index`). Warns, naming
// the antenna and `current_file`, when the main set already holds 32 or more antennas.
Antenna& AppendAntenna(Workspace& workspace, FirstByName<Antenna>& index, const Antenna& antenna);
void RelinkAntenna(Counterparts& counterparts, std::size_t position, Antenna& counterpart);

// ---- Transponders ----

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

// Points a merge-set transponder at the counterpart of its antenna.
void TakeCounterparts(Transponder& transponder, const Counterparts& counterparts);
// The main-set transponder equal to a merge-set one: same antenna (its counterpart's position),
// same value3 and value5.
Transponder* FindTransponder(const MainTransponders& main, const Transponder& transponder);
// Adds a copy into its antenna's group: after those with a value3 not above its own.
Transponder& InsertTransponder(MainTransponders& main, const Transponder& transponder);
// Adds a copy at the end, without a search.
Transponder& AppendTransponder(MainTransponders& main, const Transponder& transponder);
void RelinkTransponder(Counterparts& counterparts, std::size_t position, Transponder& counterpart);

// ---- Providers ----

// The main-set provider whose name (its whole line) equals `provider`'s; nothing when none does.
Provider* FindProvider(const FirstByName<Provider>& main_providers, const Provider& provider);
Provider& AppendProvider(RecordList<Provider>& main_providers, FirstByName<Provider>& index,
                         const Provider& provider);
void RelinkProvider(Counterparts& counterparts, std::size_t position, Provider& counterpart);

// ---- Services ----

// Makes a merge-set service, already taken over by the main list of its kind, a main-set service
// numbered by its position there and linked to the counterparts of its antenna, transponder and
// provider. The merge set is emptied after the merge, so the record itself moves rather than a
// copy, and it is relinked as it moves: a service carries no merge_ references of its own.
Service& AdoptService(Service& service, std::size_t position, const Counterparts& counterparts);
void RelinkService(std::vector<Service*>& counterparts_of_kind, std::size_t position,
                   Service& counterpart);

// ---- Favourites ----

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

// Points a merge-set favourite at the counterpart of the service it names.
void TakeCounterpart(Favorite& favorite, const std::vector<Service*>& counterparts_of_kind);
void InsertFavorite(MainFavorites& main, const Favorite& favorite);

// ---- After the phases ----

// Sets `list_index` to the position in every list of the main set except networks, menus and
// the generated providers.
void RenumberMainSet(ChannelList& main_set);
// Sets every index field of the main set from the `list_index` of the record its reference
// designates; an index whose reference is empty stays as it is.
void RecomputeIndexes(ChannelList& main_set);

}  // namespace vsm
