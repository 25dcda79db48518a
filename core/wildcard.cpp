#include "core/wildcard.h"

#include <cstddef>

#include "core/errors.h"
#include "core/utf8.h"

namespace qorv {

namespace {

// No early exit, so the compiler can vectorise it; names are short.
bool isAscii(std::string_view text) {
  unsigned char bits = 0;
  for (const char ch : text) bits |= static_cast<unsigned char>(ch);
  return bits < 0x80;
}

struct AsciiReader {
  static char32_t next(std::string_view text, std::size_t& pos) {
    return static_cast<unsigned char>(text[pos++]);
  }
};

// A character is a code point, or one byte that is not valid UTF-8.
struct Utf8Reader {
  static char32_t next(std::string_view text, std::size_t& pos) { return decodeUtf8(text, pos); }
};

// Iterative matching with backtracking to the last "*" only. Going back to an
// earlier "*" is never needed: whatever the earlier star could absorb, the
// last one can absorb too. That keeps the cost at O(mask x name) where the
// recursive form is exponential.
template <typename Reader>
bool matchWhole(std::string_view mask, std::string_view name) {
  constexpr std::size_t kNoStar = static_cast<std::size_t>(-1);
  std::size_t m = 0;
  std::size_t n = 0;
  std::size_t starAt = kNoStar;  // mask position just after the last "*"
  std::size_t resumeAt = 0;      // name position the last "*" extends up to
  while (n < name.size()) {
    if (m < mask.size()) {
      // "*" and "?" are tested before comparing characters: a name may hold
      // them too, and there they are ordinary characters.
      if (mask[m] == '*') {
        starAt = ++m;
        resumeAt = n;
        continue;
      }
      std::size_t nextN = n;
      const char32_t nameChar = Reader::next(name, nextN);
      std::size_t nextM = m;
      const char32_t maskChar = Reader::next(mask, nextM);
      if (maskChar == U'?' || maskChar == nameChar) {
        m = nextM;
        n = nextN;
        continue;
      }
    }
    if (starAt == kNoStar) return false;
    Reader::next(name, resumeAt);
    m = starAt;
    n = resumeAt;
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

bool wildcardMatch(std::string_view mask, std::string_view name) {
  if (mask.empty()) throw EmptyMaskError("Search string cannot be blank");
  if (mask == "*") return true;
  if (name.empty()) return false;
  if (isAscii(mask) && isAscii(name)) return matchWhole<AsciiReader>(mask, name);
  return matchWhole<Utf8Reader>(mask, name);
}

}  // namespace qorv
