#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace vsm {

// Texts kept one after the other, each after its length (seven bits a byte, the lowest first):
// however many texts a run holds, it costs the record that holds it one pointer. An empty run
// holds no byte at all, and every text of it reads as empty.
class TextRun {
 public:
  TextRun() = default;

  // The text at `index`, counted from 0; a run must hold that many texts.
  std::string_view operator[](std::size_t index) const {
    if (start_ == nullptr) return {};
    const char* p = start_;
    for (;;) {
      const std::size_t size = ReadLength(p);
      if (index-- == 0) return {p, size};
      p += size;
    }
  }

  // The bytes a run of `texts` takes.
  static std::size_t SizeOf(std::initializer_list<std::string_view> texts) {
    std::size_t size = 0;
    for (const std::string_view text : texts) size += LengthBytes(text.size()) + text.size();
    return size;
  }

  // Writes `texts` at `to`, which has room for SizeOf(texts) bytes.
  static TextRun WriteAt(char* to, std::initializer_list<std::string_view> texts) {
    const TextRun run(to);
    for (const std::string_view text : texts) {
      std::size_t size = text.size();
      for (; size >= 0x80; size >>= 7) *to++ = static_cast<char>(0x80 | (size & 0x7f));
      *to++ = static_cast<char>(size);
      if (!text.empty()) std::memcpy(to, text.data(), text.size());
      to += text.size();
    }
    return run;
  }

 private:
  explicit TextRun(const char* start) : start_(start) {}

  static std::size_t LengthBytes(std::size_t size) {
    std::size_t bytes = 1;
    for (; size >= 0x80; size >>= 7) ++bytes;
    return bytes;
  }
  static std::size_t ReadLength(const char*& p) {
    std::size_t size = 0;
    for (unsigned shift = 0;; shift += 7) {
      const auto byte = static_cast<unsigned char>(*p++);
      size |= static_cast<std::size_t>(byte & 0x7f) << shift;
      if (byte < 0x80) return size;
    }
  }

  const char* start_ = nullptr;
};

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

  // `texts` kept as one run; none of them kept when they are all empty.
  TextRun KeepRun(std::initializer_list<std::string_view> texts) {
    const std::size_t size = TextRun::SizeOf(texts);
    if (size == texts.size()) return {};  // a length byte each, no text
    if (size > free_) AddBlock(size);
    const TextRun run = TextRun::WriteAt(next_, texts);
    next_ += size;
    free_ -= size;
    return run;
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
  static constexpr std::size_t kBlockSize = std::size_t{64} * 1024;

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
