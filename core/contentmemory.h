#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/contentdigest.h"
#include "platform/datetime.h"
#include "platform/localeformats.h"
#include "platform/result.h"

namespace qorv {

/// A row's date and time as the content memory keeps them: the moment, and
/// which form its time text had, so that the row's texts come back as they
/// were (under the same locale) rather than as a file row's.
struct RememberedMoment {
  DateTime moment;
  /// The long time form (a root row's, an edited row's), not "hh:nn:ss".
  bool longTime = false;
  friend bool operator==(const RememberedMoment&, const RememberedMoment&) = default;
};

/// What the memory keeps of one file.
struct MemoryEntry {
  /// Relative to the scan folder, "/" between names.
  std::string path;
  ContentDigest digest;
  RememberedMoment moment;
};

/// The content memory of one scan folder: for each file, the digest of its
/// bytes and the date and time its row carried when the sitemap was last
/// written. A file whose bytes are unchanged gets that date back; a new or
/// changed one gets its file time. So a site that a generator rewrites on
/// every build keeps the dates of the pages whose content stayed the same.
///
/// The memory file (see contentmemory.cpp for its form) names the real path
/// of its folder and ends in a checksum: a damaged file, or one of another
/// folder, is never trusted in part.
class ContentMemory {
 public:
  enum class Load {
    /// No memory file yet: the memory is empty.
    Missing,
    Loaded,
    /// Not a memory file of this program, or broken: empty, to be reported.
    Damaged,
    /// A memory of another folder: empty, to be reported as damaged.
    Foreign,
  };

  /// Reads the memory file `file` for the folder whose real path is
  /// `folder`. Fails when the file is there but cannot be read: that is no
  /// empty memory, as the next write would replace what it may still hold.
  Result<Load> load(const std::string& file, std::string_view folder);
  /// Reads a memory file's bytes, as `load` does.
  Load read(std::string bytes, std::string_view folder);

  /// The remembered date and time of the file at `path` when its bytes
  /// still have the digest `digest`; nothing for a file new or changed.
  std::optional<RememberedMoment> recall(std::string_view path, const ContentDigest& digest) const;

  std::size_t size() const { return m_entries.size(); }
  /// What it holds, sorted by path: what a write that keeps it as it is
  /// gives `formatContentMemory`.
  std::vector<MemoryEntry> entries() const;

 private:
  struct Entry {
    // The path, as a place in m_bytes: the memory file read is kept whole
    // rather than copied path by path.
    std::uint32_t pathStart = 0;
    std::uint32_t pathLength = 0;
    ContentDigest digest;
    RememberedMoment moment;
  };
  std::string_view pathOf(const Entry& entry) const {
    return std::string_view(m_bytes).substr(entry.pathStart, entry.pathLength);
  }
  void clear();

  std::string m_bytes;
  std::vector<Entry> m_entries;  // sorted by path
};

/// The bytes of the memory file of `folder` holding `entries`, in any order;
/// of a path given twice, the last entry counts. Every path is non-empty
/// and every moment a real one (`isValidDate`, `isValidTime`): the reader
/// takes nothing else.
std::string formatContentMemory(std::vector<MemoryEntry> entries, std::string_view folder);

/// Replaces the memory file `file` with one holding exactly `entries`, as a
/// whole (atomically: a failure leaves the old file as it was). With
/// `makeFolder`, the folders above it are created when missing.
Result<void> saveContentMemory(const std::string& file, std::string_view folder,
                               std::vector<MemoryEntry> entries, bool makeFolder = false);

/// Where the memory of the folder whose real path is `folder` lives in the
/// user's data folder `dataFolder` (ending in "/"): under "lastmod/", named
/// by a digest of the path and, for a person looking, its last name.
std::string defaultContentMemoryFile(std::string_view dataFolder, std::string_view folder);

/// The moment a row's date and time texts hold, and their form; nothing
/// when they do not read back under `formats`.
std::optional<RememberedMoment> momentOfRow(std::string_view dateText, std::string_view timeText,
                                            const LocaleFormats& formats, int currentYear);

/// A row's date text and time text for a remembered moment.
std::pair<std::string, std::string> rowTextsOf(const RememberedMoment& remembered,
                                               const LocaleFormats& formats);

}  // namespace qorv
