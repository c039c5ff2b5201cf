#include "merge/record_merge.h"

#include <string>
#include <utility>

#include "format/reader.h"

namespace vsm {
namespace {

// The counterpart recorded for a position; none for a position outside the merged list.
template <class Record>
Record* CounterpartAt(const std::vector<Record*>& counterparts, std::int64_t position) {
  if (position < 0 || static_cast<std::uint64_t>(position) >= counterparts.size()) return nullptr;
  return counterparts[static_cast<std::size_t>(position)];
}

Transponder CopyOfTransponder(const Transponder& transponder) {
  Transponder copy;
  copy.antenna_index =
      transponder.merge_antenna != nullptr ? transponder.merge_antenna->list_index : -1;
  copy.values = transponder.values;
  copy.antenna = transponder.merge_antenna;
  return copy;
}

// A copy of a merge-set antenna at the end of the main antennas (and in `by_name`); warns, naming
// the antenna and current_file, once the main set holds 32 or more.
Antenna& AppendCopy(Workspace& workspace, FirstByName<Antenna>& by_name, const Antenna& antenna) {
  RecordList<Antenna>& antennas = workspace.main_set.antennas;
  WarnWhenAntennasAreFull(workspace, antennas, antenna.name);
  Antenna copy;
  copy.index = copy.list_index = antennas.NextPosition();
  copy.values = antenna.values;
  // The merge set's texts go with it: the main list keeps a copy.
  copy.name = antenna.name.empty() || antenna.name == kUnknownAntennaName
                  ? kUnknownAntennaName
                  : antennas.KeepText(antenna.name);
  copy.sat_position = copy.name;
  Antenna& added = antennas.Append(copy);
  by_name.Add(added);
  return added;
}

// The counterpart of a merge-set record, by its position in the merge set.
template <class Record>
Record* CounterpartOf(const std::vector<Record*>& counterparts, const Record* record) {
  return record != nullptr ? CounterpartAt(counterparts, record->list_index) : nullptr;
}

// Makes a merge-set service that the main list of its kind has taken over a main-set service,
// linked to the counterparts of its transponder (and so of its antenna) and provider; every
// other field starts afresh.
Service& Adopt(Service& moved, const Counterparts& counterparts) {
  moved.transponder = CounterpartOf(counterparts.transponders, moved.transponder);
  moved.provider = CounterpartOf(counterparts.providers, moved.provider);
  moved.out_number = moved.out_provider_index = 0;
  moved.kept = false;
  return moved;
}

template <class Record>
void RenumberList(RecordList<Record>& list) {
  std::int32_t position = 0;
  for (Record& record : list) record.list_index = position++;
}

}  // namespace

// ---- Antennas ----

void MergeAntennas(Workspace& workspace, Counterparts& counterparts) {
  RecordList<Antenna>& main = workspace.main_set.antennas;
  FirstByName<Antenna> by_name(main);
  std::size_t position = 0;
  for (Antenna& antenna : workspace.merge_set.antennas) {
    Antenna* counterpart = by_name.Find(antenna.name);
    antenna.matched = counterpart != nullptr;
    if (!antenna.matched) counterpart = &AppendCopy(workspace, by_name, antenna);
    counterparts.antennas[position++] = counterpart;
  }
}

// ---- Transponders ----

std::size_t MainTransponders::KeyHash::operator()(const Key& key) const {
  const auto a = static_cast<std::uint64_t>(static_cast<std::uint32_t>(key.antenna_position));
  const auto b = static_cast<std::uint64_t>(static_cast<std::uint32_t>(key.value3));
  const auto c = static_cast<std::uint64_t>(static_cast<std::uint32_t>(key.value5));
  return std::hash<std::uint64_t>()(((a << 32) | b) ^ (c * 0x9E3779B97F4A7C15ULL));
}

MainTransponders::MainTransponders(RecordList<Transponder>& list)
    : list_(list), records_(RememberAll(list.TakeOrder())) {}

std::vector<Transponder*> MainTransponders::RememberAll(std::vector<Transponder*> records) {
  first_by_key_.reserve(records.size());
  for (Transponder* transponder : records) Remember(*transponder);
  return records;
}

MainTransponders::~MainTransponders() { list_.AssignOrder(records_.Release()); }

Transponder* MainTransponders::Find(std::int32_t antenna_position, std::int32_t value3,
                                    std::int32_t value5) const {
  const auto it = first_by_key_.find({antenna_position, value3, value5});
  return it == first_by_key_.end() ? nullptr : it->second;
}

Transponder& MainTransponders::Insert(Transponder transponder) {
  Transponder& added = records_.InsertIntoGroup(&list_.MakeUnplaced(transponder));
  Remember(added);
  return added;
}

Transponder& MainTransponders::Append(Transponder transponder) {
  Transponder& added = records_.Append(&list_.MakeUnplaced(transponder));
  Remember(added);
  return added;
}

void MainTransponders::Remember(Transponder& transponder) {
  first_by_key_.try_emplace(
      {AntennaPositionOf(transponder), transponder.values.value3, transponder.values.value5},
      &transponder);
}

void MergeTransponders(Workspace& workspace, Counterparts& counterparts) {
  MainTransponders main(workspace.main_set.transponders);
  std::size_t position = 0;
  for (Transponder& transponder : workspace.merge_set.transponders) {
    transponder.merge_antenna = CounterpartAt(counterparts.antennas, transponder.antenna_index);
    Transponder* counterpart = nullptr;
    if (transponder.antenna != nullptr && transponder.antenna->matched) {
      if (const Antenna* antenna = transponder.merge_antenna) {
        counterpart =
            main.Find(antenna->list_index, transponder.values.value3, transponder.values.value5);
      }
      if (counterpart == nullptr) counterpart = &main.Insert(CopyOfTransponder(transponder));
    } else {
      counterpart = &main.Append(CopyOfTransponder(transponder));
    }
    counterparts.transponders[position++] = counterpart;
  }
}

// ---- Providers ----

void MergeProviders(Workspace& workspace, Counterparts& counterparts) {
  RecordList<Provider>& main = workspace.main_set.providers;
  FirstByName<Provider> by_name(main);
  std::size_t position = 0;
  for (const Provider& provider : workspace.merge_set.providers) {
    Provider* counterpart = by_name.Find(provider.name);
    if (counterpart == nullptr) {
      counterpart = &main.Append({provider.name, main.NextPosition(), true});
      by_name.Add(*counterpart);
    }
    counterparts.providers[position++] = counterpart;
  }
}

// ---- Services ----

void AddServices(Workspace& workspace, Counterparts& counterparts) {
  for (const bool tv : {true, false}) {
    RecordList<Service>& main = workspace.main_set.ServicesOfKind(tv);
    const std::size_t first = main.size();
    main.AppendAllOf(workspace.merge_set.ServicesOfKind(tv));
    for (std::size_t position = first; position < main.size(); ++position) {
      counterparts.ServicesOfKind(tv)[position - first] = &Adopt(main[position], counterparts);
    }
  }
}

// ---- Favourites ----

MainFavorites::MainFavorites(RecordList<Favorite>& list)
    : list_(list), records_(list.TakeOrder()) {}

MainFavorites::~MainFavorites() { list_.AssignOrder(records_.Release()); }

Favorite& MainFavorites::Insert(Favorite favorite) {
  return records_.InsertIntoGroup(&list_.MakeUnplaced(favorite));
}

void MergeFavorites(Workspace& workspace, Counterparts& counterparts) {
  for (const bool tv : {true, false}) {
    MainFavorites main(workspace.main_set.FavoritesOfKind(tv));
    for (const Favorite& favorite : workspace.merge_set.FavoritesOfKind(tv)) {
      // The service named by the favourite's kind, as the reader resolved it: a favourite's list
      // follows the first byte of its line, which can disagree with its kind.
      // The merged services were appended to the main list of their kind, in their order.
      const bool names_tv = favorite.kind == 0;
      const std::vector<Service*>& merged = counterparts.ServicesOfKind(names_tv);
      const std::size_t first_merged =
          workspace.main_set.ServicesOfKind(names_tv).size() - merged.size();
      Favorite copy;
      copy.kind = favorite.kind;
      copy.value2 = favorite.value2;
      copy.channel_index = static_cast<std::int32_t>(first_merged) + favorite.channel_index;
      copy.service = CounterpartAt(merged, favorite.channel_index);
      main.Insert(copy);
    }
  }
}

// ---- After the phases ----

void RenumberMainSet(ChannelList& main_set) {
  RenumberList(main_set.antennas);
  RenumberList(main_set.transponders);
  RenumberList(main_set.providers);
  RenumberList(main_set.tv_favorites);
  RenumberList(main_set.radio_favorites);
}

void RecomputeIndexes(ChannelList& main_set) {
  for (Antenna& antenna : main_set.antennas) antenna.index = antenna.list_index;
  for (Transponder& transponder : main_set.transponders) {
    if (transponder.antenna != nullptr) transponder.antenna_index = transponder.antenna->list_index;
  }
}

}  // namespace vsm
