#pragma once

#include <cassert>
#include <optional>
#include <utility>

namespace qorv {

/// The operating system's error number of a call that failed, given where
/// a `Result` is returned: `return Failure{errno};`.
struct Failure {
  int error;
};

/// What a call that can fail gives: its value, or the error number that
/// says why there is none. `error()` is 0 exactly when there is a value, so
/// that a caller can keep the number or test it in one step.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : m_value(std::move(value)) {}
  Result(Failure failure) : m_error(failure.error) { assert(m_error != 0); }

  bool ok() const { return m_error == 0; }
  explicit operator bool() const { return ok(); }
  int error() const { return m_error; }

  /// Only when `ok()`.
  T& value() & { return *m_value; }
  const T& value() const& { return *m_value; }
  T&& value() && { return std::move(*m_value); }
  T& operator*() & { return *m_value; }
  const T& operator*() const& { return *m_value; }
  T* operator->() { return &*m_value; }
  const T* operator->() const { return &*m_value; }

 private:
  std::optional<T> m_value;
  int m_error = 0;
};

/// A call that gives nothing but can fail.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : m_error(failure.error) { assert(m_error != 0); }

  bool ok() const { return m_error == 0; }
  explicit operator bool() const { return ok(); }
  int error() const { return m_error; }

 private:
  int m_error = 0;
};

/// A result of nothing from an error number that may be 0.
inline Result<void> resultOf(int error) {
  if (error == 0) return {};
  return Failure{error};
}

}  // namespace qorv
