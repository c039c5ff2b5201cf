#include "merge/antenna_index.h"

namespace vsm {

AntennaIndex::AntennaIndex(const RecordList<Antenna>& antennas) {
  first_by_name_.reserve(antennas.size());
  for (Antenna& antenna : antennas) Add(antenna);
}

Antenna* AntennaIndex::Find(std::string_view name) const {
  const auto it = first_by_name_.find(name);
  return it == first_by_name_.end() ? nullptr : it->second;
}

void AntennaIndex::Add(Antenna& antenna) { first_by_name_.try_emplace(antenna.name, &antenna); }

Antenna* FindAntenna(const AntennaIndex& main_antennas, const Antenna& antenna) {
  return main_antennas.Find(antenna.name);
}

}  // namespace vsm
