// The exclude patterns: a project file may hold any text, and the paths
// come from the folder tree.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/excludepatterns.h"
#include "fuzz/excludereference.h"
#include "fuzz/property.h"

namespace {

using qorv::fuzz::require;

/// A path as the walk gives one: names between single slashes.
bool isWalkPath(std::string_view path) {
  return !path.empty() && path.front() != '/' && path.back() != '/' &&
         path.find("//") == std::string_view::npos;
}

/// Small enough, and of few enough characters, for the reference, which
/// tries every split.
bool referenceCanJudge(std::string_view pattern, std::string_view path) {
  if (pattern.size() > 12 || path.size() > 16) return false;
  for (const char c : pattern)
    if (std::string_view("ab*?/").find(c) == std::string_view::npos) return false;
  for (const char c : path)
    if (std::string_view("ab/").find(c) == std::string_view::npos) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The setting, a zero byte, the path; without a zero byte, the setting
  // against itself as a path.
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t zero = input.find('\0');
  const std::string_view setting = input.substr(0, zero);
  const std::string_view path = zero == std::string_view::npos ? setting : input.substr(zero + 1);

  const qorv::ExcludePatterns patterns(setting);
  const std::optional<std::size_t> file = patterns.matchFile(path);
  const std::optional<std::size_t> folder = patterns.matchFolder(path);
  require(!file || *file < patterns.patterns().size(), "a match names one of the patterns");
  require(!folder || *folder < patterns.patterns().size(), "a match names one of the patterns");
  // The folder's own trailing "/" is ignored.
  if (isWalkPath(path)) {
    const std::string slashed = std::string(path) + "/";
    require(patterns.matchFolder(slashed) == folder, "a folder's trailing slash changes nothing",
            slashed);
  }
  require(!patterns.matchFolder("") && !patterns.matchFolder("/"),
          "the scan folder is never left out");

  if (!isWalkPath(path) || patterns.patterns().size() != 1) return 0;
  const std::string& pattern = patterns.patterns().front();
  if (!referenceCanJudge(pattern, path)) return 0;
  const std::string detail = pattern + std::string(1, '\0') + std::string(path);
  require(file.has_value() == qorv::fuzz::ExcludeReference::matches(pattern, path, false),
          "a file matches as the rules say", detail);
  require(folder.has_value() == qorv::fuzz::ExcludeReference::matches(pattern, path, true),
          "a folder matches as the rules say", detail);
  return 0;
}
