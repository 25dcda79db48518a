#include "core/excludepatterns.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/casename.h"

namespace qorv {
namespace {

using test::CaseName;
using ::testing::ElementsAre;

enum Kind { File, Folder };

struct PatternCase {
  const char* what;
  std::string setting;
  std::string path;
  Kind kind;
  int matched;  // index of the pattern that matches, -1 for none
};

void PrintTo(const PatternCase& c, std::ostream* os) { *os << c.what; }

class ExcludePatternsTable : public ::testing::TestWithParam<PatternCase> {};

TEST_P(ExcludePatternsTable, LeavesOutExactlyWhatThePatternNames) {
  const PatternCase& c = GetParam();
  const ExcludePatterns patterns(c.setting);
  const std::optional<std::size_t> matched =
      c.kind == File ? patterns.matchFile(c.path) : patterns.matchFolder(c.path);
  EXPECT_EQ(matched ? static_cast<int>(*matched) : -1, c.matched)
      << "\"" << c.setting << "\" against " << (c.kind == File ? "file" : "folder") << " \""
      << c.path << "\"";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Anchoring, ExcludePatternsTable, ::testing::Values(
    PatternCase{"name matches at the top", "404.html", "404.html", File, 0},
    PatternCase{"name matches at any depth", "404.html", "a/b/404.html", File, 0},
    PatternCase{"name matches a folder too", "404.html", "a/404.html", Folder, 0},
    PatternCase{"name is the whole name", "404.html", "x404.html", File, -1},
    PatternCase{"leading slash anchors at the scan folder", "/404.html", "404.html", File, 0},
    PatternCase{"leading slash matches nothing deeper", "/404.html", "a/404.html", File, -1},
    PatternCase{"slash inside anchors", "blog/drafts", "blog/drafts", Folder, 0},
    PatternCase{"slash inside anchors, not deeper", "blog/drafts", "x/blog/drafts", Folder, -1},
    PatternCase{"slash inside matches files too", "blog/drafts", "blog/drafts", File, 0},
    PatternCase{"a doubled slash is one", "blog//drafts", "blog/drafts", File, 0},
    PatternCase{"slash alone names only the scan folder", "/", "a.html", File, -1},
    PatternCase{"the path's own leading slash is ignored", "/404.html", "/404.html", File, 0}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(FoldersOnly, ExcludePatternsTable, ::testing::Values(
    PatternCase{"trailing slash matches a folder", "drafts/", "drafts", Folder, 0},
    PatternCase{"trailing slash matches a folder at any depth", "tags/", "blog/2020/tags", Folder, 0},
    PatternCase{"trailing slash matches no file", "drafts/", "drafts", File, -1},
    PatternCase{"folder path may end in a slash", "drafts/", "blog/drafts/", Folder, 0},
    PatternCase{"trailing slash with a slash inside is anchored", "blog/tags/", "x/blog/tags",
                Folder, -1}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(Stars, ExcludePatternsTable, ::testing::Values(
    PatternCase{"double star at the start", "**/print-*.html", "a/b/print-x.html", File, 0},
    PatternCase{"double star at the start matches no folder too", "**/print-*.html",
                "print-.html", File, 0},
    PatternCase{"star stays within one name", "blog/a*b", "blog/a/b", File, -1},
    PatternCase{"star at the end of a name", "blog/2020*", "blog/2020-01.html", File, 0},
    PatternCase{"star matches one whole name", "x/*/y.html", "x/m/y.html", File, 0},
    PatternCase{"star is not no name", "x/*/y.html", "x/y.html", File, -1},
    PatternCase{"star is not two names", "x/*/y.html", "x/m/n/y.html", File, -1},
    PatternCase{"double star in the middle as no folder", "a/**/b.html", "a/b.html", File, 0},
    PatternCase{"double star in the middle as folders", "a/**/b.html", "a/x/y/b.html", File, 0},
    PatternCase{"double star in the middle keeps the anchor", "a/**/b.html", "x/a/b.html", File,
                -1},
    PatternCase{"double star inside a name is a star", "a**b.html", "a-x-b.html", File, 0},
    PatternCase{"double star inside a name stays in it", "a/x**", "a/x/y", File, -1},
    PatternCase{"double star at the end leaves out the folder whole", "a/**", "a", Folder, 0},
    PatternCase{"double star at the end matches what it holds", "a/**", "a/b/c.html", File, 0},
    PatternCase{"double star at the end is not a file of the name", "a/**", "a", File, -1},
    PatternCase{"double star at the end keeps the anchor", "a/**", "b/a", Folder, -1},
    PatternCase{"double star folders only are not the folder itself", "a/**/", "a", Folder, -1},
    PatternCase{"double star folders only are the folders in it", "a/**/", "a/b/c", Folder, 0},
    PatternCase{"double star folders only are no files", "a/**/", "a/b.html", File, -1},
    PatternCase{"double star alone matches everything", "**", "a/b.html", File, 0},
    PatternCase{"runs of double stars are one", "**/**/a/**/**/b", "x/a/y/z/b", File, 0}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(Characters, ExcludePatternsTable, ::testing::Values(
    PatternCase{"case counts", "tags/", "Tags", Folder, -1},
    PatternCase{"case counts in a star pattern", "*.HTML", "a.html", File, -1},
    PatternCase{"question mark is one letter", "?.html", "a.html", File, 0},
    PatternCase{"question mark is not two letters", "?.html", "ab.html", File, -1},
    PatternCase{"question mark is one letter outside ASCII", "?.html", "\xC3\xA1.html", File, 0},
    PatternCase{"question mark is one byte that is not UTF-8", "?.html", "\xFF.html", File, 0},
    PatternCase{"a cut UTF-8 sequence is one character per byte", "??.html", "\xC3\xC3.html",
                File, 0},
    PatternCase{"question mark is not the slash", "a?b", "a/b", File, -1}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(Setting, ExcludePatternsTable, ::testing::Values(
    PatternCase{"first matching pattern is named", "a.html;*.html", "a.html", File, 0},
    PatternCase{"a later pattern is named by its index", "a.html;*.html", "b.html", File, 1},
    PatternCase{"empty pieces and blanks are not patterns", " ; ;\t404.html ;;", "404.html", File,
                0},
    PatternCase{"the help's example, a page", "404.html;drafts/;tags/;**/print-*.html",
                "blog/print-1.html", File, 3},
    PatternCase{"the help's example, a folder", "404.html;drafts/;tags/;**/print-*.html",
                "en/tags", Folder, 2},
    PatternCase{"empty setting leaves out nothing", "", "a.html", File, -1}),
    CaseName());
// clang-format on

TEST(ExcludePatterns, KeepsThePatternsAsWrittenWithoutBlanksAndEmptyPieces) {
  const ExcludePatterns patterns(" 404.html ;; drafts/;/;\t**/print-*.html");
  EXPECT_THAT(patterns.patterns(), ElementsAre("404.html", "drafts/", "**/print-*.html"));
  EXPECT_TRUE(ExcludePatterns(" ; ").empty());
}

TEST(ExcludePatterns, PathologicalPatternsAnswerWithoutExponentialBacktracking) {
  // Each of these would take longer than the test run if a star went back
  // over every split of the path: a failing match tries them all.
  std::string deep;
  for (int i = 0; i < 2000; ++i) deep += "a/";
  deep += "c";
  const ExcludePatterns names("a/**/a/**/a/**/a/**/a/**/b");
  EXPECT_FALSE(names.matchFile(deep));
  EXPECT_TRUE(ExcludePatterns("a/**/a/**/a/**/c").matchFile(deep));

  const std::string longName(20000, 'a');
  const ExcludePatterns stars("**/**/**/a*a*a*a*a*a*a*a*a*a*b");
  EXPECT_FALSE(stars.matchFile(longName));
  EXPECT_FALSE(stars.matchFile(deep + "/" + longName));
  EXPECT_TRUE(stars.matchFile(deep + "/" + longName + "b"));
}

// The rules written out as plainly as possible, trying every split: slow,
// but easy to check by reading, for comparing against on small inputs.
struct ReferenceMatcher {
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
    if (ReferenceMatcher::names(segments, 0, names, 0)) return true;
    if (isFolder && !foldersOnly && segments.size() > 1 && segments.back() == "**") {
      segments.pop_back();
      return ReferenceMatcher::names(segments, 0, names, 0);
    }
    return false;
  }
};

TEST(ExcludePatterns, AgreesWithTryingEverySplitOnRandomPatterns) {
  std::mt19937 random(20240611);
  const auto pick = [&random](std::string_view from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  const auto count = [&random](int most) {
    return std::uniform_int_distribution<int>(0, most)(random);
  };
  for (int round = 0; round < 20000; ++round) {
    std::string pattern;
    if (count(3) == 0) pattern += '/';
    const int segments = 1 + count(3);
    for (int s = 0; s < segments; ++s) {
      if (s > 0) pattern += '/';
      if (count(3) == 0) {
        pattern += "**";
        continue;
      }
      for (int c = 1 + count(3); c > 0; --c) pattern += pick("ab*?");
    }
    if (count(3) == 0) pattern += '/';
    std::string path;
    for (int s = 1 + count(5); s > 0; --s) {
      if (!path.empty()) path += '/';
      for (int c = 1 + count(3); c > 0; --c) path += pick("ab");
    }
    const ExcludePatterns patterns(pattern);
    if (patterns.empty()) continue;
    for (const bool isFolder : {false, true}) {
      const bool matched =
          (isFolder ? patterns.matchFolder(path) : patterns.matchFile(path)).has_value();
      ASSERT_EQ(matched, ReferenceMatcher::matches(pattern, path, isFolder))
          << "pattern \"" << pattern << "\", " << (isFolder ? "folder" : "file") << " \"" << path
          << "\"";
    }
  }
}

}  // namespace
}  // namespace qorv
