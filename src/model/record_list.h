#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "model/text_store.h"

namespace vsm {

// Owns records in blocks: a record never moves once made, so a pointer to it stays valid until
// the store is cleared. Records made one after the other lie side by side, which is what makes
// reading and walking large lists cheap.
template <class Record>
class RecordStore {
 public:
  template <class... Args>
  Record& Make(Args&&... args) {
    if (blocks_.empty() || blocks_.back().size() == blocks_.back().capacity()) AddBlock();
    return blocks_.back().emplace_back(std::forward<Args>(args)...);
  }

  // Takes over every record of `other`, which ends empty; the records stay where they are.
  void TakeOver(RecordStore& other) {
    blocks_.reserve(blocks_.size() + other.blocks_.size());
    for (Block& block : other.blocks_) blocks_.push_back(std::move(block));
    other.blocks_.clear();
  }

  void Clear() { blocks_.clear(); }

  // The next `count` records are made in one block.
  void Reserve(std::size_t count) {
    if (count == 0) return;
    if (!blocks_.empty() && blocks_.back().capacity() - blocks_.back().size() >= count) return;
    blocks_.emplace_back().reserve(count);
  }

 private:
  // A block is filled up to the capacity it was made with and never grows beyond it.
  using Block = std::vector<Record>;
  static constexpr std::size_t kFirstBlock = 16;
  static constexpr std::size_t kLargestBlock = 4096;

  void AddBlock() {
    const std::size_t capacity =
        blocks_.empty() ? kFirstBlock : std::min(2 * blocks_.back().capacity(), kLargestBlock);
    blocks_.emplace_back().reserve(capacity);
  }

  std::vector<Block> blocks_;
};

// An ordered list that owns its records. A pointer to a record (a "reference") keeps
// designating it while other records are appended or the list is rearranged (as a merge inserts
// records into it); it dies only when the list is cleared.
template <class Record>
class RecordList {
  using Order = std::vector<Record*>;

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
    Record* operator->() const { return *it_; }
    BasicIterator& operator++() {
      ++it_;
      return *this;
    }
    BasicIterator operator++(int) { return BasicIterator(it_++); }
    bool operator==(const BasicIterator& other) const { return it_ == other.it_; }

   private:
    Base it_{};
  };
  using iterator = BasicIterator<typename Order::iterator>;
  using const_iterator = BasicIterator<typename Order::const_iterator>;

  RecordList() = default;
  RecordList(RecordList&&) noexcept = default;
  RecordList& operator=(RecordList&&) noexcept = default;
  RecordList(const RecordList&) = delete;
  RecordList& operator=(const RecordList&) = delete;

  Record& Append(Record record) { return Place(store_.Make(std::move(record))); }

  // A new default record at the end, to be filled in place.
  Record& AppendNew() { return Place(store_.Make()); }

  // A copy of `text` that lives as long as the list's records: what a record of a kind with many
  // records (an antenna, a service) holds its texts in, instead of a string of its own each.
  std::string_view KeepText(std::string_view text) { return texts_.Keep(text); }
  TextStore& texts() { return texts_; }

  // Appends every record of `other`, in order, with the texts it kept; `other` ends empty.
  void AppendAllOf(RecordList& other) {
    store_.TakeOver(other.store_);
    texts_.TakeOver(other.texts_);
    order_.insert(order_.end(), other.order_.begin(), other.order_.end());
    other.order_.clear();
  }

  // The record that a stored position designates: the record at that position, the last record
  // for a position past the end, and none for a negative position or an empty list.
  Record* Resolve(std::int64_t position) const {
    if (position < 0 || order_.empty()) return nullptr;
    const auto index = static_cast<std::size_t>(position);
    return index < order_.size() ? order_[index] : order_.back();
  }

  // Whether a stored position designates a record of its own, not one that Resolve stands in.
  bool HasPosition(std::int64_t position) const {
    return position >= 0 && static_cast<std::uint64_t>(position) < order_.size();
  }

  Record& operator[](std::size_t position) const { return *order_[position]; }
  Record& back() const { return *order_.back(); }
  std::size_t size() const { return order_.size(); }
  bool empty() const { return order_.empty(); }
  // The position that a record appended next takes, as the records' index fields hold it.
  std::int32_t NextPosition() const { return static_cast<std::int32_t>(order_.size()); }
  void Clear() {
    order_.clear();
    store_.Clear();
    texts_.Clear();
  }
  // Room for `count` more records, placed side by side.
  void Reserve(std::size_t count) {
    order_.reserve(order_.size() + count);
    store_.Reserve(count);
  }

  // For a bulk rearrangement: TakeOrder hands out the records in order, the list keeps owning
  // them; MakeUnplaced adds a record that belongs to no position yet; AssignOrder sets the new
  // order, which holds every record of the list exactly once.
  Order TakeOrder() { return std::exchange(order_, {}); }
  Record& MakeUnplaced(Record record) { return store_.Make(std::move(record)); }
  void AssignOrder(Order order) { order_ = std::move(order); }

  iterator begin() { return iterator(order_.begin()); }
  iterator end() { return iterator(order_.end()); }
  const_iterator begin() const { return const_iterator(order_.begin()); }
  const_iterator end() const { return const_iterator(order_.end()); }

 private:
  Record& Place(Record& record) {
    order_.push_back(&record);
    return record;
  }

  RecordStore<Record> store_;
  TextStore texts_;
  Order order_;
};

}  // namespace vsm
