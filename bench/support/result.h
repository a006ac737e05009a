// Errors as values: every fallible bench operation returns Result<T>, whose
// error carries one line of context (which file, table, offset or routine).
#pragma once

#include <cassert>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace gb {

struct Error {
  std::string message;
};

// Prefixes an error with the context it was found in: "export table: " + ...
inline Error withContext(const std::string& context, Error inner) {
  return Error{context + ": " + inner.message};
}

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::move(value)) {}
  Result(Error error) : state_(std::move(error)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & {
    assert(ok());
    return std::get<0>(state_);
  }
  const T& value() const& {
    assert(ok());
    return std::get<0>(state_);
  }
  T&& value() && {
    assert(ok());
    return std::get<0>(std::move(state_));
  }
  const Error& error() const {
    assert(!ok());
    return std::get<1>(state_);
  }

  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

 private:
  std::variant<T, Error> state_;
};

// Result of an operation that yields nothing but may fail.
struct Ok {};
using Status = Result<Ok>;

// "0x1f4" style hex, the way every error message and listing prints numbers.
std::string hex(uint64_t value);

}  // namespace gb
