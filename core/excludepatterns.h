#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qorv {

/// The exclude patterns of a scan: which files and folders, by their path
/// relative to the scan folder ("blog/tags/a.html", names separated by "/"),
/// the sitemap leaves out.
///
/// The setting holds patterns separated by ";"; blanks and tabs around each
/// are dropped, and empty ones ignored. In a pattern, "*" matches any run of
/// characters within one name and "?" one character (a code point, or one
/// byte that is not valid UTF-8); every other character matches itself,
/// case counting. A name "**" matches any number of whole folders, none
/// included ("a/**/b.html" matches "a/b.html"); at the end ("a/**") it
/// matches all that the folder holds, so the folder is left out as a whole
/// (but not a file named "a"). A pattern without "/" (apart from a trailing
/// one) matches a name at any depth; one with a "/" inside, or beginning
/// with "/", is anchored at the scan folder. A trailing "/" matches folders
/// only. There is no negation, and the scan folder itself is never matched.
///
/// Matching runs in time polynomial in the sizes of pattern and path, never
/// exponential, whatever the stars.
class ExcludePatterns {
 public:
  ExcludePatterns() = default;
  explicit ExcludePatterns(std::string_view setting);

  bool empty() const { return m_patterns.empty(); }
  /// The patterns as written (without the blanks around them), in order;
  /// a pattern naming only the scan folder ("/") is not among them.
  const std::vector<std::string>& patterns() const { return m_patterns; }

  /// The index in `patterns` of the first pattern that leaves out the file
  /// at `relativePath`, if any.
  std::optional<std::size_t> matchFile(std::string_view relativePath) const;
  /// As `matchFile`, for a folder; a trailing "/" of the path is ignored.
  /// The walk asks before it enters a folder, and never asks about what an
  /// excluded folder holds.
  std::optional<std::size_t> matchFolder(std::string_view relativePath) const;

 private:
  struct Segment {
    std::string glob;         // a name mask; empty for "**"
    bool anyFolders = false;  // "**"
    bool literal = false;     // a mask without "*" or "?"
  };
  struct Pattern {
    std::vector<Segment> segments;
    bool foldersOnly = false;
    /// Ends in "/**": a folder that the part before it matches is left out
    /// whole. How many segments that part has.
    std::optional<std::size_t> holderLength;
  };
  std::optional<std::size_t> match(std::string_view path, bool isFolder) const;
  static bool matchNames(const Segment* pattern, std::size_t count, std::string_view path);
  static bool matchName(const Segment& segment, std::string_view name);

  std::vector<std::string> m_patterns;
  std::vector<Pattern> m_compiled;  // in step with m_patterns
};

}  // namespace qorv
