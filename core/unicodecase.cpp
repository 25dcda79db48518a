#include "core/unicodecase.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "core/utf8.h"

namespace qorv {

namespace {

struct UpperRange {
  char32_t first;
  char32_t last;
  std::int32_t delta;
  std::int32_t stride;
};

#include "core/unicodecase_table.inc"

// The binary search in ToUpper relies on sorted, disjoint ranges.
constexpr bool tableIsSortedAndDisjoint() {
  for (std::size_t i = 0; i < std::size(kUpperRanges); ++i) {
    const UpperRange& r = kUpperRanges[i];
    if (r.first > r.last || (r.stride != 1 && r.stride != 2)) return false;
    if (i > 0 && kUpperRanges[i - 1].last >= r.first) return false;
  }
  return true;
}
static_assert(tableIsSortedAndDisjoint());

}  // namespace

char32_t toUpper(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
  const auto* end = std::end(kUpperRanges);
  const auto* it =
      std::upper_bound(std::begin(kUpperRanges), end, c,
                       [](char32_t value, const UpperRange& r) { return value < r.first; });
  if (it == std::begin(kUpperRanges)) return c;
  const UpperRange& r = *std::prev(it);
  if (c > r.last || (c - r.first) % static_cast<char32_t>(r.stride) != 0) return c;
  return static_cast<char32_t>(static_cast<std::int32_t>(c) + r.delta);
}

void toUpper(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const unsigned char b = static_cast<unsigned char>(text[pos]);
    if (b < 0x80) {
      out.push_back(b >= 'a' && b <= 'z' ? static_cast<char>(b - ('a' - 'A'))
                                         : static_cast<char>(b));
      ++pos;
      continue;
    }
    const std::size_t start = pos;
    const char32_t c = decodeUtf8(text, pos);
    const char32_t upper = toUpper(c);
    if (upper == c) {
      // Strict UTF-8 has one encoding per character, so the source bytes are
      // the encoding; this is also how invalid bytes pass through unchanged.
      out.append(text.substr(start, pos - start));
    } else {
      appendUtf8(out, upper);
    }
  }
}

std::string toUpper(std::string_view text) {
  std::string out;
  toUpper(text, out);
  return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  // Character by character, without building the two upper-case texts.
  // Comparing decoded characters equals comparing the upper-cased bytes: an
  // invalid byte stays invalid after upper-casing, since every character that
  // follows it still starts with a byte that cannot continue a sequence.
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const unsigned char ca = static_cast<unsigned char>(a[i]);
    const unsigned char cb = static_cast<unsigned char>(b[j]);
    if ((ca | cb) < 0x80) {
      if (ca != cb && toUpper(char32_t{ca}) != toUpper(char32_t{cb})) return false;
      ++i;
      ++j;
      continue;
    }
    if (toUpper(decodeUtf8(a, i)) != toUpper(decodeUtf8(b, j))) return false;
  }
  return i == a.size() && j == b.size();
}

}  // namespace qorv
