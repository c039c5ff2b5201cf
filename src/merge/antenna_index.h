#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "model/record_list.h"
#include "model/records.h"

namespace vsm {

// The first antenna of a list with a given name, in list order, found without walking the list.
class AntennaIndex {
 public:
  explicit AntennaIndex(const RecordList<Antenna>& antennas);
  Antenna* Find(std::string_view name) const;
  // Adds an antenna appended to the list; an earlier antenna of the same name keeps its place.
  void Add(Antenna& antenna);

 private:
  std::unordered_map<std::string_view, Antenna*> first_by_name_;
};

// The main-set antenna whose name equals `antenna`'s, byte for byte; nothing when none does.
Antenna* FindAntenna(const AntennaIndex& main_antennas, const Antenna& antenna);

}  // namespace vsm
