#include "core/contentmemory.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>

#include "core/datetimetext.h"
#include "core/errors.h"
#include "platform/atomicfile.h"
#include "platform/datafolder.h"
#include "platform/filecontent.h"

// The memory file is text, one file a line, so that a person can read it,
// and every length is given so that any byte may stand in a path:
//
//   Quorvex content memory 1
//   folder 21 /home/user/site/public
//   files 2
//   6816ad3bd2919cebae55d214885dd4aa 2024-05-01T14:03:06 s 9 index.htm
//   9faccae04a825f25a0f09c7440c8010e 2024-05-02T09:05:00 l 12 sub/page.htm
//   end 21d6ecf1e7c13af0799cc039afce482e
//
// The first line names the form, version 1. "folder" gives the scan folder's
// real path with its length in bytes. Each file line holds the XXH3-128
// digest of the file's bytes, the row's moment (local, no zone, as the row
// holds it), "s" or "l" for the short or long form of its time text, and
// the path relative to the folder with its length; the lines are sorted by
// path, byte by byte, each path once. The last line holds the XXH3-128
// digest of every byte before it. Anything else, a wrong digest included,
// makes the whole file damaged.

namespace qorv {

namespace {

constexpr std::string_view kFirstLine = "Quorvex content memory 1\n";
constexpr std::string_view kEnd = "end ";
constexpr std::size_t kDigestLength = 32;
constexpr std::size_t kMomentLength = 19;  // yyyy-mm-ddThh:mm:ss
// A memory of a million files stays well below it; a file beyond it is not
// one this program wrote.
constexpr std::size_t kLargestFile = std::size_t{1} << 30;

/// Reads a memory file's body from the start, as far as it is well formed.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : m_text(text) {}

  bool literal(std::string_view expected) {
    if (m_text.substr(0, expected.size()) != expected) return false;
    m_text.remove_prefix(expected.size());
    return true;
  }
  /// Digits as the program writes them: no leading zero, so that a file
  /// read is the one its entries write.
  bool number(std::size_t& value) {
    const auto [end, error] = std::from_chars(m_text.data(), m_text.data() + m_text.size(), value);
    if (error != std::errc() || end == m_text.data()) return false;
    if (m_text.front() == '0' && end - m_text.data() > 1) return false;
    m_text.remove_prefix(static_cast<std::size_t>(end - m_text.data()));
    return true;
  }
  bool bytes(std::size_t count, std::string_view& value) {
    if (count > m_text.size()) return false;
    value = m_text.substr(0, count);
    m_text.remove_prefix(count);
    return true;
  }
  /// A length, a blank and that many bytes.
  bool counted(std::string_view& value) {
    std::size_t length = 0;
    return number(length) && literal(" ") && bytes(length, value);
  }
  bool done() const { return m_text.empty(); }

 private:
  std::string_view m_text;
};

int twoDigits(std::string_view text, std::size_t at) {
  const char high = text[at];
  const char low = text[at + 1];
  if (high < '0' || high > '9' || low < '0' || low > '9') return -1;
  return (high - '0') * 10 + (low - '0');
}

std::optional<DateTime> readMoment(std::string_view text) {
  if (text.size() != kMomentLength || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
      text[13] != ':' || text[16] != ':')
    return std::nullopt;
  const int century = twoDigits(text, 0);
  const int yearInCentury = twoDigits(text, 2);
  const int month = twoDigits(text, 5);
  const int day = twoDigits(text, 8);
  const int hour = twoDigits(text, 11);
  const int minute = twoDigits(text, 14);
  const int second = twoDigits(text, 17);
  const int year = century * 100 + yearInCentury;
  if (century < 0 || yearInCentury < 0 || !isValidDate(year, month, day) ||
      !isValidTime(hour, minute, second))
    return std::nullopt;
  return DateTime{{year, month, day}, {hour, minute, second}};
}

void appendMoment(std::string& out, const DateTime& moment) {
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d",
                                   moment.date.year, moment.date.month, moment.date.day,
                                   moment.time.hour, moment.time.minute, moment.time.second);
  out.append(text, static_cast<std::size_t>(length));
}

void appendCounted(std::string& out, std::string_view bytes) {
  out += std::to_string(bytes.size());
  out += ' ';
  out += bytes;
}

/// What is left of the last name of `folder` for a file name that a person
/// can recognise: letters, digits, ".", "-" and "_", the rest "_".
std::string readableTail(std::string_view folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
  std::string_view name = folder.substr(folder.rfind('/') + 1);
  if (name.empty()) return "root";
  std::string tail;
  for (const char c : name.substr(0, 40)) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_';
    tail += plain ? c : '_';
  }
  return tail;
}

}  // namespace

void ContentMemory::clear() {
  m_entries.clear();
  m_bytes.clear();
}

Result<ContentMemory::Load> ContentMemory::load(const std::string& file, std::string_view folder) {
  clear();
  Result<std::string> bytes = readFileForUpdate(file, kLargestFile + 1, LinkPolicy::ReplaceTarget);
  if (!bytes && bytes.error() == ENOENT) return Load::Missing;
  if (!bytes) return Failure{bytes.error()};
  return read(*std::move(bytes), folder);
}

ContentMemory::Load ContentMemory::read(std::string bytes, std::string_view folder) {
  clear();
  m_bytes = std::move(bytes);
  const std::string_view text = m_bytes;
  const std::size_t endLine = kEnd.size() + kDigestLength + 1;
  if (text.size() < endLine || text.size() > kLargestFile || text.back() != '\n')
    return Load::Damaged;
  const std::string_view body = text.substr(0, text.size() - endLine);
  const std::string_view last = text.substr(body.size());
  if (last.substr(0, kEnd.size()) != kEnd ||
      readDigestText(last.substr(kEnd.size(), kDigestLength)) != digestBytes(body))
    return Load::Damaged;

  Cursor cursor(body);
  std::string_view ownFolder;
  std::size_t count = 0;
  if (!cursor.literal(kFirstLine) || !cursor.literal("folder ") || !cursor.counted(ownFolder) ||
      !cursor.literal("\nfiles ") || !cursor.number(count) || !cursor.literal("\n"))
    return Load::Damaged;
  // Each file line takes more bytes than this; a larger count is a lie.
  if (count > body.size() / (kDigestLength + kMomentLength)) return Load::Damaged;
  std::vector<Entry> entries;
  entries.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::string_view digestField;
    std::string_view momentField;
    std::string_view form;
    std::string_view path;
    if (!cursor.bytes(kDigestLength, digestField) || !cursor.literal(" ") ||
        !cursor.bytes(kMomentLength, momentField) || !cursor.literal(" ") ||
        !cursor.bytes(1, form) || !cursor.literal(" ") || !cursor.counted(path) ||
        !cursor.literal("\n"))
      return Load::Damaged;
    const std::optional<ContentDigest> digest = readDigestText(digestField);
    const std::optional<DateTime> moment = readMoment(momentField);
    if (!digest || !moment || (form != "s" && form != "l") || path.empty()) return Load::Damaged;
    if (!entries.empty() && !(pathOf(entries.back()) < path)) return Load::Damaged;
    entries.push_back({static_cast<std::uint32_t>(path.data() - text.data()),
                       static_cast<std::uint32_t>(path.size()),
                       *digest,
                       {*moment, form == "l"}});
  }
  if (!cursor.done()) return Load::Damaged;
  if (ownFolder != folder) {
    clear();
    return Load::Foreign;
  }
  m_entries = std::move(entries);
  return Load::Loaded;
}

std::optional<RememberedMoment> ContentMemory::recall(std::string_view path,
                                                      const ContentDigest& digest) const {
  const auto found = std::lower_bound(
      m_entries.begin(), m_entries.end(), path,
      [this](const Entry& entry, std::string_view key) { return pathOf(entry) < key; });
  if (found == m_entries.end() || pathOf(*found) != path || found->digest != digest)
    return std::nullopt;
  return found->moment;
}

std::vector<MemoryEntry> ContentMemory::entries() const {
  std::vector<MemoryEntry> entries;
  entries.reserve(m_entries.size());
  for (const Entry& entry : m_entries)
    entries.push_back({std::string(pathOf(entry)), entry.digest, entry.moment});
  return entries;
}

std::string formatContentMemory(std::vector<MemoryEntry> entries, std::string_view folder) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const MemoryEntry& a, const MemoryEntry& b) { return a.path < b.path; });
  // Of equal paths, the last given is the last of its run.
  std::vector<const MemoryEntry*> kept;
  kept.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (i + 1 == entries.size() || entries[i + 1].path != entries[i].path)
      kept.push_back(&entries[i]);

  std::string out;
  out.reserve(64 + folder.size() + kept.size() * 80);
  out += kFirstLine;
  out += "folder ";
  appendCounted(out, folder);
  out += "\nfiles ";
  out += std::to_string(kept.size());
  out += '\n';
  for (const MemoryEntry* entry : kept) {
    out += digestText(entry->digest);
    out += ' ';
    appendMoment(out, entry->moment.moment);
    out += entry->moment.longTime ? " l " : " s ";
    appendCounted(out, entry->path);
    out += '\n';
  }
  const std::string checksum = digestText(digestBytes(out));
  out += kEnd;
  out += checksum;
  out += '\n';
  return out;
}

Result<void> saveContentMemory(const std::string& file, std::string_view folder,
                               std::vector<MemoryEntry> entries, bool makeFolder) {
  if (makeFolder) {
    const std::size_t slash = file.rfind('/');
    if (slash != std::string::npos && slash > 0)
      if (Result<void> made = makeFolders(file.substr(0, slash)); !made) return made;
  }
  const std::string bytes = formatContentMemory(std::move(entries), folder);
  AtomicFile out;
  if (Result<void> begun = out.begin(file); !begun) return begun;
  // What fails before the commit is discarded with `out`: the old file stays.
  if (Result<void> written = out.write(bytes); !written) return written;
  return out.commit();
}

std::string defaultContentMemoryFile(std::string_view dataFolder, std::string_view folder) {
  const std::string digest = digestText(digestBytes(folder)).substr(0, 16);
  return std::string(dataFolder) + "lastmod/" + digest + "-" + readableTail(folder) + ".mem";
}

std::optional<RememberedMoment> momentOfRow(std::string_view dateText, std::string_view timeText,
                                            const LocaleFormats& formats, int currentYear) {
  Date date;
  try {
    date = readDateText(dateText, formats, currentYear);
  } catch (const ConvertError&) {
    return std::nullopt;
  }
  const std::optional<TimeOfDay> time = tryReadTimeText(timeText, formats);
  if (!time) return std::nullopt;
  return RememberedMoment{{date, *time}, timeText != formatShortTimeText(*time, formats)};
}

std::pair<std::string, std::string> rowTextsOf(const RememberedMoment& remembered,
                                               const LocaleFormats& formats) {
  const TimeOfDay& time = remembered.moment.time;
  return {
      formatDateText(remembered.moment.date, formats),
      remembered.longTime ? formatLongTimeText(time, formats) : formatShortTimeText(time, formats)};
}

}  // namespace qorv
