#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace qorv::test {

/// Sets an environment variable (unsets it for nullptr) for as long as the
/// object lives, then puts back what was there, for the tests that follow.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    set(value);
  }
  ~ScopedVariable() { set(m_old ? m_old->c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  void set(const char* value) {
    if (value)
      setenv(m_name, value, 1);
    else
      unsetenv(m_name);
  }
  const char* m_name;
  std::optional<std::string> m_old;
};

}  // namespace qorv::test
