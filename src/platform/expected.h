#pragma once

#include <string>
#include <utility>
#include <variant>

namespace vsm {

// The failure of an Expected: why something was not done, in words for the user.
template <class Error = std::string>
struct Unexpected {
  Error error;
};

// A value, or the reason why there is none: the form of std::expected, which not every compiler
// this project is built with offers yet.
template <class Value, class Error = std::string>
class [[nodiscard]] Expected {
 public:
  Expected(Value value) : state_(std::in_place_index<0>, std::move(value)) {}
  Expected(Unexpected<Error> failure) : state_(std::in_place_index<1>, std::move(failure.error)) {}

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }
  Value& value() { return std::get<0>(state_); }
  const Value& value() const { return std::get<0>(state_); }
  Value& operator*() { return value(); }
  const Value& operator*() const { return value(); }
  Value* operator->() { return &value(); }
  const Value* operator->() const { return &value(); }
  const Error& error() const { return std::get<1>(state_); }
  Value value_or(Value fallback) const& { return has_value() ? value() : std::move(fallback); }

 private:
  std::variant<Value, Error> state_;
};

// Done, or the reason why not.
template <class Error>
class [[nodiscard]] Expected<void, Error> {
 public:
  Expected() = default;
  Expected(Unexpected<Error> failure) : error_(std::move(failure.error)), failed_(true) {}

  bool has_value() const { return !failed_; }
  explicit operator bool() const { return has_value(); }
  const Error& error() const { return error_; }

 private:
  Error error_{};
  bool failed_ = false;
};

inline Unexpected<std::string> Failure(std::string reason) { return {std::move(reason)}; }

}  // namespace vsm
