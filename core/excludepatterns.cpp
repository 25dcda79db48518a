#include "core/excludepatterns.h"

#include "core/wildcard.h"

namespace qorv {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

std::string_view trimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::size_t nameEnd(std::string_view path, std::size_t pos) {
  const std::size_t slash = path.find('/', pos);
  return slash == std::string_view::npos ? path.size() : slash;
}

std::size_t nextName(std::string_view path, std::size_t end) {
  return end == path.size() ? end : end + 1;
}

}  // namespace

ExcludePatterns::ExcludePatterns(std::string_view setting) {
  std::size_t start = 0;
  while (start <= setting.size()) {
    std::size_t end = setting.find(';', start);
    if (end == std::string_view::npos) end = setting.size();
    const std::string_view written = trimBlanks(setting.substr(start, end - start));
    start = end + 1;

    Pattern pattern;
    std::string_view body = written;
    while (!body.empty() && body.back() == '/') {
      body.remove_suffix(1);
      pattern.foldersOnly = true;
    }
    const bool anchored = body.find('/') != std::string_view::npos;
    std::size_t pos = 0;
    while (pos < body.size()) {
      const std::size_t stop = nameEnd(body, pos);
      const std::string_view name = body.substr(pos, stop - pos);
      pos = stop + 1;
      if (name.empty()) continue;
      // "**/**" says no more than "**", and a run of them would only make
      // the matcher try the same splits again.
      const bool anyFolders = name == "**";
      if (anyFolders && !pattern.segments.empty() && pattern.segments.back().anyFolders) continue;
      pattern.segments.push_back(Segment{anyFolders ? std::string() : std::string(name), anyFolders,
                                         name.find_first_of("*?") == std::string_view::npos});
    }
    if (pattern.segments.empty()) continue;
    if (!anchored && !pattern.segments.front().anyFolders)
      pattern.segments.insert(pattern.segments.begin(), Segment{{}, true, false});
    if (pattern.segments.back().anyFolders) {
      // What a folder holds is at least one name below it: "a/**" is "a/*/**",
      // which a file named "a" does not match.
      if (!pattern.foldersOnly) pattern.holderLength = pattern.segments.size() - 1;
      pattern.segments.insert(pattern.segments.end() - 1, Segment{"*", false, false});
    }
    m_patterns.emplace_back(written);
    m_compiled.push_back(std::move(pattern));
  }
}

bool ExcludePatterns::matchName(const Segment& segment, std::string_view name) {
  // Most patterns name a page or a folder outright; a plain comparison
  // spares them the mask matcher's work per character.
  return segment.literal ? segment.glob == name : wildcardMatch(segment.glob, name);
}

// "**" is to names what "*" is to characters, and each other segment
// matches exactly one name, so the star matcher of wildcard.cpp applies one
// level up: going back to the last "**" only is enough, which keeps the
// cost at O(pattern x path) name matches.
bool ExcludePatterns::matchNames(const Segment* pattern, std::size_t count, std::string_view path) {
  // The common pattern, a name at any depth: only the last name can match.
  if (count == 2 && pattern[0].anyFolders && !pattern[1].anyFolders) {
    const std::size_t slash = path.rfind('/');
    return matchName(pattern[1], slash == std::string_view::npos ? path : path.substr(slash + 1));
  }
  std::size_t p = 0;
  std::size_t pos = 0;
  std::size_t starAt = kNone;  // pattern index just after the last "**"
  std::size_t resumeAt = 0;    // path position the last "**" extends up to
  while (pos < path.size()) {
    if (p < count && pattern[p].anyFolders) {
      starAt = ++p;
      resumeAt = pos;
      continue;
    }
    const std::size_t end = nameEnd(path, pos);
    if (p < count && matchName(pattern[p], path.substr(pos, end - pos))) {
      ++p;
      pos = nextName(path, end);
      continue;
    }
    if (starAt == kNone) return false;
    resumeAt = nextName(path, nameEnd(path, resumeAt));
    p = starAt;
    pos = resumeAt;
  }
  while (p < count && pattern[p].anyFolders) ++p;
  return p == count;
}

std::optional<std::size_t> ExcludePatterns::match(std::string_view path, bool isFolder) const {
  while (!path.empty() && path.front() == '/') path.remove_prefix(1);
  while (!path.empty() && path.back() == '/') path.remove_suffix(1);
  if (path.empty()) return std::nullopt;
  for (std::size_t i = 0; i < m_compiled.size(); ++i) {
    const Pattern& pattern = m_compiled[i];
    if (pattern.foldersOnly && !isFolder) continue;
    if (matchNames(pattern.segments.data(), pattern.segments.size(), path)) return i;
    if (isFolder && pattern.holderLength.value_or(0) > 0 &&
        matchNames(pattern.segments.data(), *pattern.holderLength, path))
      return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> ExcludePatterns::matchFile(std::string_view relativePath) const {
  return match(relativePath, false);
}

std::optional<std::size_t> ExcludePatterns::matchFolder(std::string_view relativePath) const {
  return match(relativePath, true);
}

}  // namespace qorv
