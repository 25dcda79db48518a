#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qorv::fuzz {

// The rules written out as plainly as possible, trying every split: slow,
// but easy to check by reading, for comparing against on small inputs.
struct ExcludeReference {
  static bool name(std::string_view mask, std::string_view text) {
    if (mask.empty()) return text.empty();
    if (mask[0] == '*')
      return name(mask.substr(1), text) || (!text.empty() && name(mask, text.substr(1)));
    if (text.empty()) return false;
    return (mask[0] == '?' || mask[0] == text[0]) && name(mask.substr(1), text.substr(1));
  }
  static bool names(const std::vector<std::string>& pattern, std::size_t p,
                    const std::vector<std::string>& path, std::size_t n) {
    if (p == pattern.size()) return n == path.size();
    if (pattern[p] == "**") {
      // At the end, at least one name: what a folder holds.
      for (std::size_t k = n + (p + 1 == pattern.size() ? 1 : 0); k <= path.size(); ++k)
        if (names(pattern, p + 1, path, k)) return true;
      return false;
    }
    return n < path.size() && name(pattern[p], path[n]) && names(pattern, p + 1, path, n + 1);
  }
  static std::vector<std::string> split(std::string_view text) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : text) {
      if (c != '/') {
        part += c;
      } else if (!part.empty()) {
        parts.push_back(part);
        part.clear();
      }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
  }
  static bool matches(std::string pattern, std::string_view path, bool isFolder) {
    const bool foldersOnly = !pattern.empty() && pattern.back() == '/';
    if (foldersOnly && !isFolder) return false;
    while (!pattern.empty() && pattern.back() == '/') pattern.pop_back();
    std::vector<std::string> segments;
    for (std::string& segment : split(pattern)) {
      // "**/**" is "**".
      if (segment != "**" || segments.empty() || segments.back() != "**")
        segments.push_back(std::move(segment));
    }
    if (pattern.find('/') == std::string::npos) segments.insert(segments.begin(), "**");
    const std::vector<std::string> names = split(path);
    if (ExcludeReference::names(segments, 0, names, 0)) return true;
    if (isFolder && !foldersOnly && segments.size() > 1 && segments.back() == "**") {
      segments.pop_back();
      return ExcludeReference::names(segments, 0, names, 0);
    }
    return false;
  }
};

}  // namespace qorv::fuzz
