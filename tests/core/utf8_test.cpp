#include "core/utf8.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>
#include "tests/support/casename.h"

namespace qorv {
namespace {

using test::CaseName;

constexpr char32_t invalid(unsigned char byte) { return kInvalidByteBase + byte; }

std::vector<char32_t> decodeAll(std::string_view text) {
  std::vector<char32_t> out;
  std::size_t pos = 0;
  while (pos < text.size()) out.push_back(decodeUtf8(text, pos));
  return out;
}

struct DecodeCase {
  const char* what;
  std::string bytes;
  std::vector<char32_t> chars;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.what; }

class Utf8Decode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Utf8Decode, GivesCharactersAndCountAgrees) {
  const DecodeCase& c = GetParam();
  EXPECT_EQ(decodeAll(c.bytes), c.chars) << c.what;
  EXPECT_EQ(codePointCount(c.bytes), c.chars.size()) << c.what;
  const std::size_t firstLength = validSequenceLength(c.bytes, 0);
  if (c.chars.empty() || c.chars[0] >= kInvalidByteBase) {
    EXPECT_EQ(firstLength, 0u) << c.what;
  } else {
    std::string first;
    appendUtf8(first, c.chars[0]);
    EXPECT_EQ(firstLength, first.size()) << c.what;
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, Utf8Decode, ::testing::Values(
    DecodeCase{"empty", "", {}},
    DecodeCase{"ascii", "a.htm", {U'a', U'.', U'h', U't', U'm'}},
    DecodeCase{"nul is a character", std::string("a\0b", 3), {U'a', 0, U'b'}},
    DecodeCase{"two bytes", "\xC5\xA0", {0x0160}},
    DecodeCase{"three bytes", "\xE2\x82\xAC", {0x20AC}},
    DecodeCase{"four bytes", "\xF0\x9F\x98\x80", {0x1F600}},
    DecodeCase{"edges of each length", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
               {0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0x10000, 0x10FFFF}},
    DecodeCase{"around the surrogates", "\xED\x9F\xBF\xEE\x80\x80", {0xD7FF, 0xE000}},
    DecodeCase{"overlong two bytes", "\xC0\xAF", {invalid(0xC0), invalid(0xAF)}},
    DecodeCase{"overlong C1", "\xC1\xBF", {invalid(0xC1), invalid(0xBF)}},
    DecodeCase{"overlong three bytes", "\xE0\x9F\xBF", {invalid(0xE0), invalid(0x9F), invalid(0xBF)}},
    DecodeCase{"overlong four bytes", "\xF0\x8F\xBF\xBF",
               {invalid(0xF0), invalid(0x8F), invalid(0xBF), invalid(0xBF)}},
    DecodeCase{"high surrogate", "\xED\xA0\x80", {invalid(0xED), invalid(0xA0), invalid(0x80)}},
    DecodeCase{"low surrogate", "\xED\xBF\xBF", {invalid(0xED), invalid(0xBF), invalid(0xBF)}},
    DecodeCase{"above U+10FFFF", "\xF4\x90\x80\x80",
               {invalid(0xF4), invalid(0x90), invalid(0x80), invalid(0x80)}},
    DecodeCase{"lead bytes F5 to FF", "\xF5\xFE\xFF", {invalid(0xF5), invalid(0xFE), invalid(0xFF)}},
    DecodeCase{"stray continuation", "a\x80" "b", {U'a', invalid(0x80), U'b'}},
    DecodeCase{"truncated at the end", "a\xE2\x82", {U'a', invalid(0xE2), invalid(0x82)}},
    DecodeCase{"truncated before ascii", "\xE2\x82" "a", {invalid(0xE2), invalid(0x82), U'a'}},
    DecodeCase{"truncated before a valid one", "\xC5\xC5\xA0", {invalid(0xC5), 0x0160}},
    DecodeCase{"latin-1 name", "caf\xE9.htm", {U'c', U'a', U'f', invalid(0xE9), U'.', U'h', U't', U'm'}},
    DecodeCase{"long ascii run then utf-8", "abcdefghijklmnopq\xC5\xA0" "abcdefgh",
               {U'a', U'b', U'c', U'd', U'e', U'f', U'g', U'h', U'i', U'j', U'k', U'l', U'm',
                U'n', U'o', U'p', U'q', 0x0160, U'a', U'b', U'c', U'd', U'e', U'f', U'g', U'h'}}),
    CaseName());
// clang-format on

TEST(Utf8, ValidSequenceLengthPastTheEndIsZero) {
  EXPECT_EQ(validSequenceLength("ab", 2), 0u);
  EXPECT_EQ(validSequenceLength("", 0), 0u);
}

TEST(Utf8, EveryScalarValueRoundTrips) {
  std::string text;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    text.clear();
    appendUtf8(text, c);
    std::size_t pos = 0;
    ASSERT_EQ(validSequenceLength(text, 0), text.size()) << std::hex << static_cast<unsigned>(c);
    ASSERT_EQ(decodeUtf8(text, pos), c) << std::hex << static_cast<unsigned>(c);
    ASSERT_EQ(pos, text.size()) << std::hex << static_cast<unsigned>(c);
  }
}

TEST(Utf8, InvalidByteValuesAppendTheRawByte) {
  for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
    std::string text;
    appendUtf8(text, invalid(static_cast<unsigned char>(byte)));
    EXPECT_EQ(text, std::string(1, static_cast<char>(byte)));
  }
}

TEST(Utf8, ValuesThatAreNoCharacterAppendReplacementCharacter) {
  for (const char32_t c :
       {char32_t{0xD800}, char32_t{0xDFFF}, char32_t{kInvalidByteBase + 0x100}}) {
    std::string text;
    appendUtf8(text, c);
    EXPECT_EQ(text, "\xEF\xBF\xBD") << std::hex << static_cast<unsigned>(c);
  }
}

// Any byte string, valid or not, comes back byte for byte after decoding and
// re-encoding: file names on disk must survive the trip.
TEST(Utf8, ArbitraryBytesSurviveDecodeAndAppend) {
  std::mt19937 random(20240601);
  // Weighted towards bytes that start or continue sequences.
  const std::string alphabet = "a.\x80\x8F\x90\x9F\xA0\xBF\xC0\xC2\xDF\xE0\xED\xEF\xF0\xF4\xF5\xFF";
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 12);
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    for (int i = length(random); i > 0; --i) bytes.push_back(alphabet[pick(random)]);
    const std::vector<char32_t> chars = decodeAll(bytes);
    std::string again;
    for (const char32_t c : chars) appendUtf8(again, c);
    ASSERT_EQ(again, bytes);
    ASSERT_EQ(codePointCount(bytes), chars.size());
  }
}

}  // namespace
}  // namespace qorv
