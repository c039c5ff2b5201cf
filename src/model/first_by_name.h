#pragma once

#include <string_view>
#include <unordered_map>

#include "model/record_list.h"

namespace vsm {

// The first record of a list with a given name (its `name`, byte for byte), in list order, found
// without walking the list. The records must keep their names while the index is in use.
template <class Record>
class FirstByName {
 public:
  explicit FirstByName(const RecordList<Record>& records) {
    first_by_name_.reserve(records.size());
    for (Record& record : records) Add(record);
  }

  // Nothing when no record has this name.
  Record* Find(std::string_view name) const {
    const auto it = first_by_name_.find(name);
    return it == first_by_name_.end() ? nullptr : it->second;
  }

  // Adds a record appended to the list; an earlier record of the same name keeps its place.
  void Add(Record& record) { first_by_name_.try_emplace(record.name, &record); }

 private:
  std::unordered_map<std::string_view, Record*> first_by_name_;
};

}  // namespace vsm
