#include "core/utf8.h"

#include <cassert>
#include <cstdint>
#include <cstring>
#include <string>

namespace qorv {

namespace {

constexpr unsigned char byte(std::string_view text, std::size_t pos) {
  return static_cast<unsigned char>(text[pos]);
}

constexpr bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Index of the first byte >= 0x80 at or after `pos`, or text.size(). Eight
// bytes at a time, since most names and URLs are plain ASCII.
std::size_t skipAscii(std::string_view text, std::size_t pos) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  while (pos + 8 <= text.size()) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + pos, sizeof word);
    if (word & kHighBits) break;
    pos += 8;
  }
  while (pos < text.size() && byte(text, pos) < 0x80) ++pos;
  return pos;
}

}  // namespace

std::size_t validSequenceLength(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  const unsigned char b0 = byte(text, pos);
  if (b0 < 0x80) return 1;

  // The second byte's range is what rules out overlong forms (E0, F0),
  // surrogates (ED) and values above U+10FFFF (F4).
  std::size_t length;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED) high = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - pos < length) return 0;
  const unsigned char b1 = byte(text, pos + 1);
  if (b1 < low || b1 > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!isContinuation(byte(text, pos + i))) return 0;
  }
  return length;
}

char32_t decodeUtf8(std::string_view text, std::size_t& pos) {
  assert(pos < text.size());
  const unsigned char b0 = byte(text, pos);
  if (b0 < 0x80) {
    ++pos;
    return b0;
  }
  const std::size_t length = validSequenceLength(text, pos);
  if (length == 0) {
    ++pos;
    return kInvalidByteBase + b0;
  }
  // The lead byte keeps 7 - length payload bits.
  char32_t c = b0 & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (byte(text, pos + i) & 0x3F);
  pos += length;
  return c;
}

std::size_t codePointCount(std::string_view text) {
  std::size_t count = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t next = skipAscii(text, pos);
    count += next - pos;
    pos = next;
    if (pos == text.size()) break;
    const std::size_t length = validSequenceLength(text, pos);
    pos += length == 0 ? 1 : length;
    ++count;
  }
  return count;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    const char bytes[] = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    out.append(bytes, sizeof bytes);
  } else if (c < 0x10000 && (c < 0xD800 || c > 0xDFFF)) {
    const char bytes[] = {static_cast<char>(0xE0 | (c >> 12)),
                          static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                          static_cast<char>(0x80 | (c & 0x3F))};
    out.append(bytes, sizeof bytes);
  } else if (c >= 0x10000 && c <= 0x10FFFF) {
    const char bytes[] = {
        static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
        static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    out.append(bytes, sizeof bytes);
  } else if (c >= kInvalidByteBase && c < kInvalidByteBase + 0x100) {
    out.push_back(static_cast<char>(c - kInvalidByteBase));
  } else {
    // A surrogate or a value beyond the invalid-byte range never comes out of
    // DecodeUtf8; writing it would make invalid UTF-8, so it becomes U+FFFD.
    out.append("\xEF\xBF\xBD");
  }
}

}  // namespace qorv
