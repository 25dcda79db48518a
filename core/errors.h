#pragma once

#include <new>
#include <stdexcept>
#include <string>

namespace qorv {

/// Base of the program's own errors: a class name and a message, which the
/// error log and `qorv-cli` show as they are.
class EAppError : public std::runtime_error {
 public:
  explicit EAppError(const std::string& message) : std::runtime_error(message) {}
  virtual const char* ClassName() const noexcept { return "EAppError"; }
  std::string Message() const { return what(); }
};

/// A date or time text that does not read back.
class EConvertError : public EAppError {
 public:
  using EAppError::EAppError;
  const char* ClassName() const noexcept override { return "EConvertError"; }
};

/// A file that could not be created, written or closed. `Code` is the
/// operating system's error number.
class EInOutError : public EAppError {
 public:
  EInOutError(const std::string& message, int code) : EAppError(message), Code(code) {}
  const char* ClassName() const noexcept override { return "EInOutError"; }
  int Code;
};

/// An empty file mask met by the directory walk.
class EWildcardError : public EAppError {
 public:
  using EAppError::EAppError;
  const char* ClassName() const noexcept override { return "EWildcardError"; }
};

/// The class name an error is reported under: our own errors' names, and
/// plain names for what the standard library throws.
inline const char* ErrorClassName(const std::exception& error) {
  if (const auto* own = dynamic_cast<const EAppError*>(&error)) return own->ClassName();
  if (dynamic_cast<const std::bad_alloc*>(&error)) return "EOutOfMemory";
  return "Exception";
}

}  // namespace qorv
