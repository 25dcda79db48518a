#pragma once

#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace qorv {

/// Base of the program's own errors: a class name and a message, which the
/// error log and `qorv-cli` show as they are.
class AppError : public std::runtime_error {
 public:
  explicit AppError(const std::string& message) : std::runtime_error(message) {}
  virtual const char* className() const noexcept { return "EAppError"; }
  std::string message() const { return what(); }
};

/// A date or time text that does not read back.
class ConvertError : public AppError {
 public:
  using AppError::AppError;
  const char* className() const noexcept override { return "EConvertError"; }
};

/// A file that could not be created, written or closed. `code` is the
/// operating system's error number.
class IoError : public AppError {
 public:
  IoError(const std::string& message, int errorNumber) : AppError(message), code(errorNumber) {}
  /// `WHAT "PATH": REASON`, the form of every message that names a file or
  /// a folder; the reason is the system's text for `errorNumber` unless given.
  IoError(std::string_view what, const std::string& path, int errorNumber,
          const std::string& reason = {})
      : IoError(std::string(what) + " \"" + path + "\": " +
                    (reason.empty() ? std::generic_category().message(errorNumber) : reason),
                errorNumber) {}
  const char* className() const noexcept override { return "EInOutError"; }
  int code;
};

/// An empty file mask met by the directory walk.
class EmptyMaskError : public AppError {
 public:
  using AppError::AppError;
  const char* className() const noexcept override { return "EWildcardError"; }
};

/// The class name an error is reported under: our own errors' names, and
/// plain names for what the standard library throws.
inline const char* errorClassName(const std::exception& error) {
  if (const auto* own = dynamic_cast<const AppError*>(&error)) return own->className();
  if (dynamic_cast<const std::bad_alloc*>(&error)) return "EOutOfMemory";
  return "Exception";
}

}  // namespace qorv
