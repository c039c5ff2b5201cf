#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace vsm {

// Owns the bytes of the texts kept for a list's records, in blocks that never move: a view of a
// kept text stays valid until the store is cleared. Each text is copied behind the one kept
// before it, so a list of many records costs a few large allocations instead of one string per
// text column, and the texts of records read one after the other lie side by side.
class TextStore {
 public:
  TextStore() = default;
  // A store moved from is empty: it must not go on filling a block that it no longer owns.
  TextStore(TextStore&& other) noexcept { *this = std::move(other); }
  TextStore& operator=(TextStore&& other) noexcept {
    if (this != &other) {
      blocks_ = std::exchange(other.blocks_, {});
      next_ = std::exchange(other.next_, nullptr);
      free_ = std::exchange(other.free_, 0);
    }
    return *this;
  }

  std::string_view Keep(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > free_) AddBlock(text.size());
    char* const copy = next_;
    std::memcpy(copy, text.data(), text.size());
    next_ += text.size();
    free_ -= text.size();
    return {copy, text.size()};
  }

  // Takes over every text of `other`, which ends empty; the texts stay where they are.
  void TakeOver(TextStore& other) {
    blocks_.reserve(blocks_.size() + other.blocks_.size());
    for (auto& block : other.blocks_) blocks_.push_back(std::move(block));
    other.Clear();
  }

  void Clear() {
    blocks_.clear();
    next_ = nullptr;
    free_ = 0;
  }

 private:
  static constexpr std::size_t kBlockSize = 64 * 1024;

  // A text longer than a block gets a block of its own.
  void AddBlock(std::size_t at_least) {
    const std::size_t size = std::max(kBlockSize, at_least);
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    next_ = blocks_.back().get();
    free_ = size;
  }

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;  // where the next text goes, in the last block
  std::size_t free_ = 0;  // bytes left behind next_
};

}  // namespace vsm
