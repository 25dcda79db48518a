#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/errors.h"

namespace qorv {

/// A settings file could not be written; the message names its path.
/// `code` is the operating system's error number, 0 when none is known.
class IniWriteError : public IoError {
 public:
  explicit IniWriteError(const std::string& message, int errorNumber = 0)
      : IoError(message, errorNumber) {}
  const char* className() const noexcept override { return "EIniFileException"; }
};

/// Longest value a read gives, in characters; longer stored values are cut.
inline constexpr std::size_t kMaxIniValueLength = 2047;

/// A settings store of sections holding key=value entries, bound to one
/// path. Section and key names match without regard to letter case; the
/// first matching section and key count. Reads never fail: a missing or
/// unreadable file reads as empty.
class IniStore {
 public:
  explicit IniStore(std::string fileName) : m_fileName(std::move(fileName)) {}
  virtual ~IniStore() = default;

  const std::string& fileName() const { return m_fileName; }

  /// The stored value, or `defaultValue` when the file, the section or the
  /// key is missing. A key with an empty value gives the empty text.
  virtual std::string readString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const = 0;
  /// Sets the entry; throws IniWriteError when the file cannot be written,
  /// or when a file there cannot be read (its other lines would be lost).
  virtual void writeString(std::string_view section, std::string_view key,
                           std::string_view value) = 0;

  /// Decimal ("-12", "+7", "016") or hexadecimal ("$1F", "x1F", "0x1F",
  /// eight digits at most, read as a 32-bit pattern); `defaultValue` for
  /// anything else, including a value out of range or trailing text.
  int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
  void writeInteger(std::string_view section, std::string_view key, int value);
  /// Whether the section holds the key, whatever its value.
  bool hasKey(std::string_view section, std::string_view key) const;
  /// An integer that is not 0 is yes.
  bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;
  void writeBool(std::string_view section, std::string_view key, bool value);

 private:
  std::string m_fileName;
};

/// The integer a stored text holds, by the rules of `readInteger`.
int parseIniInteger(std::string_view text, int defaultValue);

/// The store backed by a file. Every write rewrites the whole file at once,
/// through a temporary file in the same folder, and is on disk when it
/// returns: a crash or a full disk never leaves a half-written file. Written
/// files have CRLF line ends; reads accept LF and CRLF alike and skip a
/// UTF-8 byte order mark.
class IniFile final : public IniStore {
 public:
  using IniStore::IniStore;

  std::string readString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const override;
  void writeString(std::string_view section, std::string_view key, std::string_view value) override;
};

/// The store for entries that belong together: it reads its file once,
/// keeps the writes in memory, and `commit` replaces the file with all
/// of them at once, the same bytes `IniFile` would have written. A crash
/// before or during `commit` leaves the file as it was, never half old
/// and half new. Writes not followed by `commit` are lost.
class BufferedIniFile final : public IniStore {
 public:
  /// Reads the file at `fileName`; a missing or unreadable one reads as empty.
  explicit BufferedIniFile(std::string fileName);
  /// A store over `content`, as if it were the file's.
  BufferedIniFile(std::string fileName, std::string content);

  std::string readString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const override;
  /// Never fails: the file is written by `commit`.
  void writeString(std::string_view section, std::string_view key, std::string_view value) override;
  /// Writes the file if anything was written; throws IniWriteError when
  /// it cannot, or when the file existed but could not be read or is read-only.
  void commit();

  /// The file's text as the writes so far have made it.
  const std::string& content() const { return m_content; }

 private:
  std::string m_content;
  int m_readError = 0;  // why the file may not be replaced, or 0
  bool m_changed = false;
};

/// Makes the writes that `writes` does on the INI file at `path` replace the
/// file in one piece, through a `BufferedIniFile`. Should that one replacement
/// not fit (a full disk, a file size limit), the writes are made again entry
/// by entry through an `IniFile`, so that the entries that can be written
/// are, up to the first that cannot, whose IniWriteError passes to the
/// caller. Any other failure (an input/output error, a file that cannot be
/// read) passes to the caller at once, the file unchanged.
void writeAtOnce(const std::string& path, const std::function<void(IniStore&)>& writes);

}  // namespace qorv
