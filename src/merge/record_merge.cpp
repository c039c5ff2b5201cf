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

template <class Record>
void SetCounterpart(std::vector<Record*>& counterparts, std::size_t position, Record& counterpart) {
  if (counterparts.size() <= position) counterparts.resize(position + 1, nullptr);
  counterparts[position] = &counterpart;
}

Transponder CopyOfTransponder(const Transponder& transponder) {
  Transponder copy;
  copy.antenna_index =
      transponder.merge_antenna != nullptr ? transponder.merge_antenna->list_index : -1;
  copy.values = transponder.values;
  copy.antenna = transponder.merge_antenna;
  return copy;
}

template <class Record>
void RenumberList(RecordList<Record>& list) {
  std::int32_t position = 0;
  for (Record& record : list) record.list_index = position++;
}

}  // namespace

// ---- Antennas ----

Antenna* FindAntenna(const FirstByName<Antenna>& main_antennas, const Antenna& antenna) {
  return main_antennas.Find(antenna.name);
}

Antenna& AppendAntenna(Workspace& workspace, FirstByName<Antenna>& index, const Antenna& antenna) {
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
  Antenna& added = antennas.Append(std::move(copy));
  index.Add(added);
  return added;
}

void RelinkAntenna(Counterparts& counterparts, std::size_t position, Antenna& counterpart) {
  SetCounterpart(counterparts.antennas, position, counterpart);
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

void TakeCounterparts(Transponder& transponder, const Counterparts& counterparts) {
  transponder.merge_antenna = CounterpartAt(counterparts.antennas, transponder.antenna_index);
}

Transponder* FindTransponder(const MainTransponders& main, const Transponder& transponder) {
  if (transponder.merge_antenna == nullptr) return nullptr;
  return main.Find(transponder.merge_antenna->list_index, transponder.values.value3,
                   transponder.values.value5);
}

Transponder& InsertTransponder(MainTransponders& main, const Transponder& transponder) {
  return main.Insert(CopyOfTransponder(transponder));
}

Transponder& AppendTransponder(MainTransponders& main, const Transponder& transponder) {
  return main.Append(CopyOfTransponder(transponder));
}

void RelinkTransponder(Counterparts& counterparts, std::size_t position, Transponder& counterpart) {
  SetCounterpart(counterparts.transponders, position, counterpart);
}

// ---- Providers ----

Provider* FindProvider(const FirstByName<Provider>& main_providers, const Provider& provider) {
  return main_providers.Find(provider.name);
}

Provider& AppendProvider(RecordList<Provider>& main_providers, FirstByName<Provider>& index,
                         const Provider& provider) {
  Provider& added = main_providers.Append({provider.name, main_providers.NextPosition(), true});
  index.Add(added);
  return added;
}

void RelinkProvider(Counterparts& counterparts, std::size_t position, Provider& counterpart) {
  SetCounterpart(counterparts.providers, position, counterpart);
}

// ---- Services ----

Service& AdoptService(Service& moved, std::size_t position, const Counterparts& counterparts) {
  // Keeps the values read, numbered by its new position and linked to the main set; every other
  // field starts afresh.
  moved.number = static_cast<std::int32_t>(position) + 1;
  moved.antenna = moved.antenna != nullptr
                      ? CounterpartAt(counterparts.antennas, moved.antenna->index)
                      : nullptr;
  moved.transponder = CounterpartAt(counterparts.transponders, moved.ts_index);
  moved.provider = CounterpartAt(counterparts.providers, moved.provider_index);
  moved.list_index = 0;
  moved.out_ts_index = moved.out_number = moved.out_provider_index = 0;
  moved.kept = false;
  return moved;
}

void RelinkService(std::vector<Service*>& counterparts_of_kind, std::size_t position,
                   Service& counterpart) {
  SetCounterpart(counterparts_of_kind, position, counterpart);
}

// ---- Favourites ----

MainFavorites::MainFavorites(RecordList<Favorite>& list)
    : list_(list), records_(list.TakeOrder()) {}

MainFavorites::~MainFavorites() { list_.AssignOrder(records_.Release()); }

Favorite& MainFavorites::Insert(Favorite favorite) {
  return records_.InsertIntoGroup(&list_.MakeUnplaced(favorite));
}

void TakeCounterpart(Favorite& favorite, const std::vector<Service*>& counterparts_of_kind) {
  favorite.merge_service = CounterpartAt(counterparts_of_kind, favorite.channel_index);
}

void InsertFavorite(MainFavorites& main, const Favorite& favorite) {
  Favorite copy;
  copy.kind = favorite.kind;
  copy.value2 = favorite.value2;
  copy.channel_index = favorite.channel_index;
  copy.service = favorite.merge_service;
  main.Insert(copy);
}

// ---- After the phases ----

void RenumberMainSet(ChannelList& main_set) {
  RenumberList(main_set.antennas);
  RenumberList(main_set.transponders);
  RenumberList(main_set.providers);
  RenumberList(main_set.tv_services);
  RenumberList(main_set.radio_services);
  RenumberList(main_set.tv_favorites);
  RenumberList(main_set.radio_favorites);
}

void RecomputeIndexes(ChannelList& main_set) {
  for (Antenna& antenna : main_set.antennas) antenna.index = antenna.list_index;
  for (Transponder& transponder : main_set.transponders) {
    if (transponder.antenna != nullptr) transponder.antenna_index = transponder.antenna->list_index;
  }
  for (auto* services : {&main_set.tv_services, &main_set.radio_services}) {
    for (Service& service : *services) {
      if (service.transponder != nullptr) service.ts_index = service.transponder->list_index;
      if (service.provider != nullptr) service.provider_index = service.provider->list_index;
    }
  }
  for (auto* favorites : {&main_set.tv_favorites, &main_set.radio_favorites}) {
    for (Favorite& favorite : *favorites) {
      if (favorite.service != nullptr) favorite.channel_index = favorite.service->list_index;
    }
  }
}

}  // namespace vsm
