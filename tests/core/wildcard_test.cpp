#include "core/wildcard.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/utf8.h"
#include "tests/support/casename.h"

namespace qorv {
namespace {

using test::CaseName;

struct MatchCase {
  const char* what;
  std::string mask;
  std::string name;
  bool matches;
};

void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.what; }

class WildcardMatchTable : public ::testing::TestWithParam<MatchCase> {};

TEST_P(WildcardMatchTable, Matches) {
  const MatchCase& c = GetParam();
  EXPECT_EQ(wildcardMatch(c.mask, c.name), c.matches)
      << c.what << ": mask \"" << c.mask << "\", name \"" << c.name << "\"";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(walk, WildcardMatchTable, ::testing::Values(
    MatchCase{"extension", "*.HTM", "INDEX.HTM", true},
    MatchCase{"longer extension is not a match", "*.HTM", "INDEX.HTML", false},
    MatchCase{"whole name, not a prefix", "*.HTM", "A.HTM.BAK", false},
    MatchCase{"star matches the empty run", "*.HTM", ".HTM", true},
    MatchCase{"compared byte for byte, so case counts", "*.HTM", "INDEX.htm", false},
    MatchCase{"lone star matches a name without a full stop", "*", "README", true},
    MatchCase{"lone star matches the empty name", "*", "", true},
    MatchCase{"full stop is ordinary", "*.*", "README", false},
    MatchCase{"star full stop star needs a full stop", "*.*", "A.B", true},
    MatchCase{"star full stop star on a bare full stop", "*.*", ".", true},
    MatchCase{"question mark is one character", "?.HTM", "A.HTM", true},
    MatchCase{"question mark is not two", "?.HTM", "AB.HTM", false},
    MatchCase{"question mark is not none", "?.HTM", ".HTM", false}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(EmptyName, WildcardMatchTable, ::testing::Values(
    MatchCase{"double star is not the lone star", "**", "", false},
    MatchCase{"question mark", "?", "", false},
    MatchCase{"star with suffix", "*.HTM", "", false},
    MatchCase{"literal", "A", "", false}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(Plain, WildcardMatchTable, ::testing::Values(
    MatchCase{"exact name", "INDEX.HTM", "INDEX.HTM", true},
    MatchCase{"mask longer than name", "INDEX.HTM", "INDEX.HT", false},
    MatchCase{"name longer than mask", "INDEX.HT", "INDEX.HTM", false},
    MatchCase{"double star", "**", "A", true},
    MatchCase{"trailing star matches nothing more", "A*", "A", true},
    MatchCase{"star in the middle", "A*B*C", "AXBYC", true},
    MatchCase{"star in the middle, missing end", "A*B*C", "AXBY", false},
    MatchCase{"retry after a false start", "*AB", "AAB", true},
    MatchCase{"last literal must be last", "*A*B", "ABA", false},
    MatchCase{"too short for both literals", "A*A", "A", false},
    MatchCase{"star in a name is ordinary there", "A*B", "A*B", true},
    MatchCase{"question mark in a name is ordinary there", "A?B", "A?B", true},
    MatchCase{"mask star still wild against a name star", "*", "*", true},
    MatchCase{"no escapes: backslash is ordinary", "A\\*", "A\\XYZ", true},
    MatchCase{"no escapes: backslash needed", "A\\*", "AXYZ", false},
    MatchCase{"no character classes", "[A]", "A", false},
    MatchCase{"brackets are ordinary", "[A]", "[A]", true}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(StarThenQuestionMark, WildcardMatchTable, ::testing::Values(
    MatchCase{"question mark taken from the run", "*?X", "AXX", true},
    MatchCase{"empty run", "*?X", "XX", true},
    MatchCase{"literal met twice", "*?X", "AXBX", true},
    MatchCase{"nothing left for the question mark", "*?X", "X", false},
    MatchCase{"one character", "*?", "A", true},
    MatchCase{"two question marks need two", "*??", "A", false},
    MatchCase{"two question marks on two", "*??", "AB", true},
    MatchCase{"question mark then star", "?*", "A", true},
    MatchCase{"star question star", "*?*X", "ABX", true}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(NonAscii, WildcardMatchTable, ::testing::Values(
    MatchCase{"question mark takes a two-byte character", "?.HTM", "\xC5\xA0.HTM", true},
    MatchCase{"question mark takes a four-byte character", "?", "\xF0\x9F\x98\x80", true},
    MatchCase{"two question marks are too many for one character", "??", "\xC5\xA0", false},
    MatchCase{"ascii mask, non-ascii name", "*.HTM", "\xC5\xBDLT\xC3\x81.HTM", true},
    MatchCase{"non-ascii literal", "*\xC5\xA0", "A\xC5\xA0", true},
    MatchCase{"non-ascii literal, different character", "*\xC5\xA0", "A\xC5\xBD", false},
    MatchCase{"invalid byte is one character", "?.HTM", "\xE9.HTM", true},
    MatchCase{"truncated sequence is two characters", "?.HTM", "\xE2\x82.HTM", false},
    MatchCase{"truncated sequence, two question marks", "??.HTM", "\xE2\x82.HTM", true},
    MatchCase{"invalid byte matches itself", "*\xE9", "CAF\xE9", true},
    MatchCase{"invalid byte is not a character's continuation", "*\xA0", "\xC5\xA0", false},
    MatchCase{"invalid byte after ascii", "*\xA0", "A\xA0", true},
    MatchCase{"lead byte is not the whole character", "\xC5*", "\xC5\xA0", false},
    MatchCase{"star then question mark over non-ascii", "*?\xC5\xA0", "\xC5\xA0\xC5\xA0\xC5\xA0", true}),
    CaseName());
// clang-format on

TEST(WildcardMatch, EmptyMaskIsAnError) {
  for (const char* name : {"INDEX.HTM", ""}) {
    try {
      wildcardMatch("", name);
      ADD_FAILURE() << "no error for name \"" << name << "\"";
    } catch (const EmptyMaskError& e) {
      EXPECT_STREQ(e.what(), "Search string cannot be blank");
      EXPECT_STREQ(e.className(), "EWildcardError");
    }
  }
}

// Each extra star must not multiply the work: a backtracking matcher that
// retries every earlier star would not finish this test at all. (How fast
// matching is, is the benchmarks' and the fuzzer's business, not a test's.)
TEST(WildcardMatch, ManyStarsAgainstLongNames) {
  std::string manyA(10000, 'A');
  std::string manyS;
  for (int i = 0; i < 10000; ++i) manyS += "\xC5\xA0";
  const std::string maskA = "*A*A*A*A*A*A*A*B";
  const std::string maskS = "*\xC5\xA0*\xC5\xA0*\xC5\xA0*\xC5\xA0*\xC5\xA0*\xC5\xA0*\xC5\xA0*B";

  EXPECT_FALSE(wildcardMatch(maskA, manyA));
  EXPECT_FALSE(wildcardMatch(maskS, manyS));
  EXPECT_TRUE(wildcardMatch(maskA, manyA + "B"));
  EXPECT_TRUE(wildcardMatch(maskS, manyS + "B"));
  EXPECT_FALSE(wildcardMatch("*?*?*?*?*?*?*?*?B", manyA));
}

// An obviously right, exponential matcher over characters (code points or
// invalid bytes), straight from the rule.
bool referenceMatch(const std::vector<char32_t>& mask, std::size_t m,
                    const std::vector<char32_t>& name, std::size_t n) {
  if (m == mask.size()) return n == name.size();
  if (mask[m] == U'*') {
    for (std::size_t k = n; k <= name.size(); ++k) {
      if (referenceMatch(mask, m + 1, name, k)) return true;
    }
    return false;
  }
  if (n == name.size()) return false;
  if (mask[m] != U'?' && mask[m] != name[n]) return false;
  return referenceMatch(mask, m + 1, name, n + 1);
}

std::vector<char32_t> characters(std::string_view text) {
  std::vector<char32_t> out;
  std::size_t pos = 0;
  while (pos < text.size()) out.push_back(decodeUtf8(text, pos));
  return out;
}

void allTexts(const std::vector<std::string>& symbols, std::size_t maxLength,
              std::vector<std::string>& out) {
  std::vector<std::string> level{""};
  out = level;
  for (std::size_t length = 1; length <= maxLength; ++length) {
    std::vector<std::string> next;
    for (const std::string& prefix : level) {
      for (const std::string& symbol : symbols) next.push_back(prefix + symbol);
    }
    out.insert(out.end(), next.begin(), next.end());
    level = std::move(next);
  }
}

// Every mask and name of up to four symbols, with symbols chosen so that
// byte-wise and character-wise matching would disagree.
TEST(WildcardMatch, AgreesWithReferenceOnAllShortTexts) {
  std::vector<std::string> masks;
  std::vector<std::string> names;
  allTexts({"*", "?", "A", "\xC5\xA0", "\xA0"}, 4, masks);
  allTexts({"A", "\xC5\xA0", "\xA0", "\xC5", "*"}, 4, names);
  std::vector<std::vector<char32_t>> nameChars;
  nameChars.reserve(names.size());
  for (const std::string& name : names) nameChars.push_back(characters(name));
  for (const std::string& mask : masks) {
    if (mask.empty()) continue;
    const std::vector<char32_t> maskChars = characters(mask);
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::string& name = names[i];
      const bool expected =
          mask == "*" || (!name.empty() && referenceMatch(maskChars, 0, nameChars[i], 0));
      ASSERT_EQ(wildcardMatch(mask, name), expected)
          << "mask \"" << mask << "\", name \"" << name << "\"";
    }
  }
}

}  // namespace
}  // namespace qorv
