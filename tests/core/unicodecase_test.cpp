#include "core/unicodecase.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "core/utf8.h"
#include "tests/support/casename.h"

namespace qorv {
namespace {

using test::CaseName;

struct CharCase {
  const char* what;
  char32_t in;
  char32_t out;
};

void PrintTo(const CharCase& c, std::ostream* os) { *os << c.what; }

class UnicodeCaseChar : public ::testing::TestWithParam<CharCase> {};

TEST_P(UnicodeCaseChar, MapsToSimpleUpperCase) {
  EXPECT_EQ(static_cast<unsigned>(toUpper(GetParam().in)), static_cast<unsigned>(GetParam().out))
      << GetParam().what;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, UnicodeCaseChar, ::testing::Values(
    CharCase{"ascii letter", U'a', U'A'},
    CharCase{"ascii z", U'z', U'Z'},
    CharCase{"ascii upper stays", U'Q', U'Q'},
    CharCase{"ascii punctuation stays", U'.', U'.'},
    CharCase{"backtick before a", U'`', U'`'},
    CharCase{"brace after z", U'{', U'{'},
    CharCase{"sharp s has no one-character upper case", U'ß', U'ß'},
    CharCase{"capital sharp s stays", U'ẞ', U'ẞ'},
    CharCase{"y with diaeresis leaves latin-1", U'ÿ', U'Ÿ'},
    CharCase{"slovak s caron", U'š', U'Š'},
    CharCase{"slovak l caron", U'ľ', U'Ľ'},
    CharCase{"slovak o circumflex", U'ô', U'Ô'},
    CharCase{"dz digraph lower", U'ǆ', U'Ǆ'},
    CharCase{"dz digraph title case", U'ǅ', U'Ǆ'},
    CharCase{"final sigma", U'ς', U'Σ'},
    CharCase{"sigma", U'σ', U'Σ'},
    CharCase{"dotless i", U'ı', U'I'},
    CharCase{"dotted capital I stays", U'İ', U'İ'},
    CharCase{"long s", U'ſ', U'S'},
    CharCase{"micro sign becomes greek capital mu", U'\u00B5', U'\u039C'},
    CharCase{"cyrillic", U'ж', U'Ж'},
    CharCase{"turned a leaves two-byte range", U'ɐ', U'Ɐ'},
    CharCase{"deseret, outside the BMP", U'𐐨', U'𐐀'},
    CharCase{"adlam, near the top of the table", U'𞤢', U'𞤀'},
    CharCase{"cjk has no case", U'中', U'中'},
    CharCase{"last code point", char32_t{0x10FFFF}, char32_t{0x10FFFF}},
    CharCase{"surrogate value", char32_t{0xD800}, char32_t{0xD800}},
    CharCase{"invalid byte value stays", kInvalidByteBase + 0xE1, kInvalidByteBase + 0xE1}),
    CaseName());
// clang-format on

struct TextCase {
  const char* what;
  std::string in;
  std::string out;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.what; }

class UnicodeCaseText : public ::testing::TestWithParam<TextCase> {};

TEST_P(UnicodeCaseText, UpperCasesEachCharacter) {
  const TextCase& c = GetParam();
  EXPECT_EQ(toUpper(c.in), c.out) << c.what;
  std::string reused = "left over from before";
  toUpper(c.in, reused);
  EXPECT_EQ(reused, c.out) << c.what;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, UnicodeCaseText, ::testing::Values(
    TextCase{"empty", "", ""},
    TextCase{"mask", "*.htm", "*.HTM"},
    TextCase{"sharp s is kept, not expanded", "straße.html", "STRAßE.HTML"},
    TextCase{"slovak name", "žltá_šťava.htm", "ŽLTÁ_ŠŤAVA.HTM"},
    TextCase{"greek with final sigma", "λόγος", "ΛΌΓΟΣ"},
    TextCase{"shrinks from two bytes to one", "ıı", "II"},
    TextCase{"grows from two bytes to three", "ɐ", "Ɐ"},
    TextCase{"invalid bytes copied unchanged", "a\xFF" "b\xE9" "c", "A\xFF" "B\xE9" "C"},
    TextCase{"truncated sequence copied unchanged", "\xC5", "\xC5"},
    TextCase{"lone continuation before a letter", "\xA1" "a", "\xA1" "A"},
    TextCase{"surrogate bytes copied unchanged", "\xED\xA0\x80x", "\xED\xA0\x80X"},
    TextCase{"embedded nul", std::string("a\0b", 3), std::string("A\0B", 3)}),
    CaseName());
// clang-format on

struct EqualsCase {
  const char* what;
  std::string a;
  std::string b;
  bool equal;
};

void PrintTo(const EqualsCase& c, std::ostream* os) { *os << c.what; }

class UnicodeCaseEquals : public ::testing::TestWithParam<EqualsCase> {};

TEST_P(UnicodeCaseEquals, ComparesUpperCasedTexts) {
  const EqualsCase& c = GetParam();
  EXPECT_EQ(equalsIgnoreCase(c.a, c.b), c.equal) << c.what;
  EXPECT_EQ(equalsIgnoreCase(c.b, c.a), c.equal) << c.what << " (swapped)";
  EXPECT_EQ(toUpper(c.a) == toUpper(c.b), c.equal) << c.what << " (upper-cased texts)";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, UnicodeCaseEquals, ::testing::Values(
    EqualsCase{"both empty", "", "", true},
    EqualsCase{"empty and not", "", "a", false},
    EqualsCase{"vocabulary word", "none", "None", true},
    EqualsCase{"prefix only", "daily", "dail", false},
    EqualsCase{"different letters", "daily", "weekly", false},
    EqualsCase{"non-ascii letters", "Šťava", "šŤAVA", true},
    EqualsCase{"both sigmas", "σ", "ς", true},
    EqualsCase{"dotless i and i", "ı", "i", true},
    EqualsCase{"dotted capital I and i", "İ", "i", false},
    EqualsCase{"sharp s is not SS", "ß", "SS", false},
    EqualsCase{"different byte counts, same upper case", "ſ", "s", true},
    EqualsCase{"same invalid byte", "a\xE9", "A\xE9", true},
    EqualsCase{"different invalid bytes", "\xE9", "\xE8", false},
    EqualsCase{"invalid byte is not the character it would be in latin-1", "\xE9", "é", false},
    EqualsCase{"invalid byte is not its letter", "\xC9", "É", false}),
    CaseName());
// clang-format on

}  // namespace
}  // namespace qorv
