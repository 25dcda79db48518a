#include "core/htmlreferences.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "core/htmlencoding.h"
#include "core/utf8.h"

namespace qorv {

namespace {

struct NamedReference {
  std::string_view name;
  std::string_view text;
};

constexpr NamedReference kNamedReferences[] = {
#include "core/htmlentities.inc"
};

constexpr std::size_t kLongestName = 32;

const NamedReference* findNamed(std::string_view name) {
  const auto* found = std::lower_bound(
      std::begin(kNamedReferences), std::end(kNamedReferences), name,
      [](const NamedReference& reference, std::string_view key) { return reference.name < key; });
  return found != std::end(kNamedReferences) && found->name == name ? found : nullptr;
}

bool isAsciiAlphanumeric(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

/// What a numeric reference to `value` stands for.
char32_t numericCharacter(std::uint32_t value) {
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return U'\uFFFD';
  // The C1 range as the windows-1252 characters that pages meant by it.
  if (value >= 0x80 && value <= 0x9F)
    return windows1252Character(static_cast<unsigned char>(value));
  return static_cast<char32_t>(value);
}

/// Decodes the numeric reference at `pos` (just past "&#"): the number of
/// bytes it takes from there, 0 when no digit follows.
std::size_t decodeNumeric(std::string& out, std::string_view text, std::size_t pos) {
  std::size_t at = pos;
  const bool hex = at < text.size() && (text[at] == 'x' || text[at] == 'X');
  if (hex) ++at;
  const std::size_t digitsStart = at;
  std::uint32_t value = 0;
  for (; at < text.size(); ++at) {
    const int digit =
        hex ? hexValue(text[at]) : (text[at] >= '0' && text[at] <= '9' ? text[at] - '0' : -1);
    if (digit < 0) break;
    // Anything past Unicode reads alike; holding it there keeps the sum in range.
    value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit),
                                    0x110000);
  }
  if (at == digitsStart) return 0;
  if (at < text.size() && text[at] == ';') ++at;
  appendUtf8(out, numericCharacter(value));
  return at - pos;
}

/// Decodes the named reference at `pos` (just past "&"): the number of
/// bytes it takes from there, 0 when it is none.
std::size_t decodeNamed(std::string& out, std::string_view text, std::size_t pos,
                        bool inAttribute) {
  std::size_t run = 0;
  while (pos + run < text.size() && run < kLongestName && isAsciiAlphanumeric(text[pos + run]))
    ++run;
  if (pos + run < text.size() && text[pos + run] == ';') {
    if (const NamedReference* found = findNamed(text.substr(pos, run + 1))) {
      out += found->text;
      return run + 1;
    }
  }
  // The longest name that may go without ";" that the letters begin with.
  for (std::size_t length = run; length > 0; --length) {
    const NamedReference* found = findNamed(text.substr(pos, length));
    if (!found) continue;
    const char next = pos + length < text.size() ? text[pos + length] : '\0';
    if (inAttribute && (next == '=' || isAsciiAlphanumeric(next))) return 0;
    out += found->text;
    return length;
  }
  return 0;
}

}  // namespace

void appendDecodedReferences(std::string& out, std::string_view text, bool inAttribute) {
  std::size_t pos = 0;
  for (std::size_t amp = text.find('&'); amp != std::string_view::npos; amp = text.find('&', pos)) {
    out.append(text, pos, amp - pos);
    pos = amp + 1;
    std::size_t taken = 0;
    if (pos < text.size() && text[pos] == '#') {
      taken = decodeNumeric(out, text, pos + 1);
      if (taken > 0) ++taken;
    } else {
      taken = decodeNamed(out, text, pos, inAttribute);
    }
    if (taken == 0) out += '&';
    pos += taken;
  }
  out.append(text, pos);
}

}  // namespace qorv
