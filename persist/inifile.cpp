#include "persist/inifile.h"

#include <cerrno>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/blanks.h"
#include "core/unicodecase.h"
#include "core/utf8.h"
#include "platform/atomicfile.h"
#include "platform/filecontent.h"

namespace qorv {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

/// One line of an INI file, as its role is seen by a reader.
struct IniLine {
  enum Kind { Other, Header, Entry };
  Kind kind = Other;
  std::string_view name;   // section of a header, key of an entry
  std::string_view value;  // of an entry
};

IniLine classify(std::string_view line) {
  const std::string_view text = trimBlanks(line);
  if (text.empty() || text.front() == ';' || text.front() == '#') return {};
  if (text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close != std::string_view::npos)
      return {IniLine::Header, trimBlanks(text.substr(1, close - 1)), {}};
  }
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return {};
  return {IniLine::Entry, trimBlanks(text.substr(0, equals)), trimBlanks(text.substr(equals + 1))};
}

/// A file's lines without their line ends (LF or CRLF), and whether it
/// began with a byte order mark.
struct IniText {
  bool byteOrderMark = false;
  std::vector<std::string_view> lines;
};

IniText splitLines(std::string_view content) {
  IniText text;
  if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.byteOrderMark = true;
    content.remove_prefix(kByteOrderMark.size());
  }
  while (!content.empty()) {
    std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    text.lines.push_back(line);
    if (end == std::string_view::npos) break;
    content.remove_prefix(end + 1);
  }
  return text;
}

/// The first `kMaxIniValueLength` characters of a value.
std::string_view cutValue(std::string_view value) {
  if (value.size() <= kMaxIniValueLength) return value;
  std::size_t pos = 0;
  for (std::size_t n = 0; n < kMaxIniValueLength && pos < value.size(); ++n) decodeUtf8(value, pos);
  return value.substr(0, pos);
}

/// Line breaks inside a name or value would make new lines of the file.
std::string oneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

}  // namespace

int parseIniInteger(std::string_view text, int defaultValue) {
  std::string replaced;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    replaced = "$" + std::string(text.substr(2));
    text = replaced;
  }
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (text.empty()) return defaultValue;

  if (text.front() == '$' || text.front() == 'x' || text.front() == 'X') {
    text.remove_prefix(1);
    if (text.empty()) return defaultValue;
    std::uint64_t value = 0;
    int significant = 0;
    for (const char c : text) {
      int digit;
      if (c >= '0' && c <= '9')
        digit = c - '0';
      else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
      else
        return defaultValue;
      if (value != 0 || digit != 0) ++significant;
      if (significant > 8) return defaultValue;
      value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  }

  bool negative = false;
  if (text.front() == '+' || text.front() == '-') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return defaultValue;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return defaultValue;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return defaultValue;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return defaultValue;
  return static_cast<int>(value);
}

int IniStore::readInteger(std::string_view section, std::string_view key, int defaultValue) const {
  return parseIniInteger(readString(section, key, ""), defaultValue);
}

void IniStore::writeInteger(std::string_view section, std::string_view key, int value) {
  writeString(section, key, std::to_string(value));
}

bool IniStore::hasKey(std::string_view section, std::string_view key) const {
  // Two different defaults cannot both come back from a key that is there.
  return readString(section, key, "0") != "0" || readString(section, key, "1") != "1";
}

bool IniStore::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniStore::writeBool(std::string_view section, std::string_view key, bool value) {
  writeString(section, key, value ? "1" : "0");
}

namespace {

/// The value of the first `key` in the first `section` of an INI text.
std::optional<std::string_view> findValue(std::string_view content, std::string_view section,
                                          std::string_view key) {
  bool inSection = false;
  for (const std::string_view line : splitLines(content).lines) {
    const IniLine parsed = classify(line);
    if (parsed.kind == IniLine::Header) {
      // Only the first section of that name counts.
      if (inSection) break;
      inSection = equalsIgnoreCase(parsed.name, section);
    } else if (inSection && parsed.kind == IniLine::Entry && equalsIgnoreCase(parsed.name, key)) {
      return cutValue(parsed.value);
    }
  }
  return std::nullopt;
}

/// The lines of an INI text with the entry set, each ended by CRLF.
std::string withEntry(std::string_view content, std::string_view section, std::string_view key,
                      std::string_view value) {
  const IniText text = splitLines(content);
  const std::string entry = oneLine(key) + "=" + oneLine(value);
  std::vector<std::string_view> lines = text.lines;
  std::size_t header = lines.size();
  for (std::size_t i = 0; i < lines.size() && header == lines.size(); ++i) {
    const IniLine parsed = classify(lines[i]);
    if (parsed.kind == IniLine::Header && equalsIgnoreCase(parsed.name, section)) header = i;
  }
  const std::string headerLine = "[" + oneLine(section) + "]";
  if (header == lines.size()) {
    lines.push_back(headerLine);
    lines.push_back(entry);
  } else {
    std::size_t insertAt = header + 1;
    bool replaced = false;
    for (std::size_t i = header + 1; i < lines.size(); ++i) {
      const IniLine parsed = classify(lines[i]);
      if (parsed.kind == IniLine::Header) break;
      if (parsed.kind != IniLine::Entry) continue;
      if (equalsIgnoreCase(parsed.name, key)) {
        lines[i] = entry;
        replaced = true;
        break;
      }
      insertAt = i + 1;  // new keys follow the existing ones
    }
    if (!replaced) lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
  }

  std::string result;
  if (text.byteOrderMark) result += kByteOrderMark;
  for (const std::string_view line : lines) result.append(line).append("\r\n");
  return result;
}

/// The content of the INI file at `path` before it is changed, empty when
/// there is none: 0, or the error number when the file may be there but
/// cannot be read (an input/output error, say) or must not be written. Its
/// other lines must survive, and a read-only file is left alone.
int readForUpdate(const std::string& path, std::string& content) {
  Result<std::string> read =
      readFileForUpdate(path, static_cast<std::size_t>(-1), LinkPolicy::ReplaceTarget);
  if (!read) {
    content.clear();
    return read.error() == ENOENT ? 0 : read.error();
  }
  content = std::move(*read);
  return isWritableFile(path) ? 0 : EACCES;
}

/// Replaces the INI file at `path` with `content` as a whole.
void replaceIniFile(const std::string& path, std::string_view content) {
  AtomicFile file;
  Result<void> done = file.begin(path);
  if (done) done = file.write(content);
  if (done) done = file.commit();
  if (!done) throw IniWriteError("Unable to write to " + path, done.error());
}

}  // namespace

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const Result<std::string> content = readFileContent(fileName());
  if (!content) return std::string(defaultValue);
  return std::string(findValue(*content, section, key).value_or(defaultValue));
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
  std::string content;
  if (const int error = readForUpdate(fileName(), content))
    throw IniWriteError("Unable to write to " + fileName(), error);
  replaceIniFile(fileName(), withEntry(content, section, key, value));
}

BufferedIniFile::BufferedIniFile(std::string path) : IniStore(std::move(path)) {
  m_readError = readForUpdate(fileName(), m_content);
}

BufferedIniFile::BufferedIniFile(std::string fileName, std::string content)
    : IniStore(std::move(fileName)), m_content(std::move(content)) {}

std::string BufferedIniFile::readString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue) const {
  return std::string(findValue(m_content, section, key).value_or(defaultValue));
}

void BufferedIniFile::writeString(std::string_view section, std::string_view key,
                                  std::string_view value) {
  m_content = withEntry(m_content, section, key, value);
  m_changed = true;
}

void BufferedIniFile::commit() {
  if (!m_changed) return;
  if (m_readError != 0) throw IniWriteError("Unable to write to " + fileName(), m_readError);
  replaceIniFile(fileName(), m_content);
  m_changed = false;
}

void writeAtOnce(const std::string& path, const std::function<void(IniStore&)>& writes) {
  BufferedIniFile batch(path);
  writes(batch);
  try {
    batch.commit();
  } catch (const IniWriteError& error) {
    // Only what does not fit at once may fit entry by entry; after any other
    // failure, writing again would hide an error that the user must see (a
    // failing disk), or lose what could not be read.
    if (error.code != ENOSPC && error.code != EFBIG && error.code != EDQUOT) throw;
    IniFile store(path);
    writes(store);
  }
}

}  // namespace qorv
