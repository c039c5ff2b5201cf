#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

namespace vsm {

// An ordered list that owns its records. Records live on the heap, so a pointer to a record
// (a "reference") keeps designating it while other records are appended or inserted; it dies
// only when the list is cleared.
template <class Record>
class RecordList {
  using Storage = std::vector<std::unique_ptr<Record>>;

 public:
  template <class Base>
  class BasicIterator {
   public:
    using iterator_category = std::forward_iterator_tag;  // only ++ is offered
    using value_type = Record;
    using difference_type = std::ptrdiff_t;
    using pointer = value_type*;
    using reference = value_type&;

    BasicIterator() = default;
    explicit BasicIterator(Base it) : it_(it) {}
    Record& operator*() const { return **it_; }
    Record* operator->() const { return it_->get(); }
    BasicIterator& operator++() {
      ++it_;
      return *this;
    }
    BasicIterator operator++(int) { return BasicIterator(it_++); }
    bool operator==(const BasicIterator& other) const { return it_ == other.it_; }

   private:
    Base it_{};
  };
  using iterator = BasicIterator<typename Storage::iterator>;
  using const_iterator = BasicIterator<typename Storage::const_iterator>;

  Record& Append(Record record) {
    records_.push_back(std::make_unique<Record>(std::move(record)));
    return *records_.back();
  }

  // Takes over a record made elsewhere, at the end.
  Record& AppendOwned(std::unique_ptr<Record> record) {
    records_.push_back(std::move(record));
    return *records_.back();
  }

  // A new default record at the end, to be filled in place.
  Record& AppendNew() {
    records_.push_back(std::make_unique<Record>());
    return *records_.back();
  }

  Record& InsertBefore(std::size_t position, Record record) {
    auto it = records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(position),
                              std::make_unique<Record>(std::move(record)));
    return **it;
  }

  // The record that a stored position designates: the record at that position, the last record
  // for a position past the end, and none for a negative position or an empty list.
  Record* Resolve(std::int64_t position) const {
    if (position < 0 || records_.empty()) return nullptr;
    const auto index = static_cast<std::size_t>(position);
    return index < records_.size() ? records_[index].get() : records_.back().get();
  }

  Record& operator[](std::size_t position) const { return *records_[position]; }
  Record& back() const { return *records_.back(); }
  std::size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  void Clear() { records_.clear(); }
  void Reserve(std::size_t count) { records_.reserve(count); }

  // Hands the records over, in order, for a bulk rearrangement; Assign takes them back.
  Storage TakeAll() { return std::exchange(records_, {}); }
  void Assign(Storage records) { records_ = std::move(records); }

  iterator begin() { return iterator(records_.begin()); }
  iterator end() { return iterator(records_.end()); }
  const_iterator begin() const { return const_iterator(records_.begin()); }
  const_iterator end() const { return const_iterator(records_.end()); }

 private:
  Storage records_;
};

}  // namespace vsm
