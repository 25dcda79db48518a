#include "core/xmltext.h"

#include "core/utf8.h"

namespace qorv {

namespace {

void appendPercent(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
}

bool needsWork(unsigned char c) {
  return c < 0x20 || c == 0x7F || c >= 0x80 || c == '&' || c == '\'' || c == '"' || c == '<' ||
         c == '>';
}

}  // namespace

void appendXmlEscaped(std::string& out, std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    // Copy the run of plain characters in one go: most URLs are all plain.
    std::size_t plain = pos;
    while (plain < text.size() && !needsWork(static_cast<unsigned char>(text[plain]))) ++plain;
    out.append(text, pos, plain - pos);
    pos = plain;
    if (pos == text.size()) break;

    const auto c = static_cast<unsigned char>(text[pos]);
    switch (c) {
      case '&':
        out += "&amp;";
        ++pos;
        continue;
      case '\'':
        out += "&apos;";
        ++pos;
        continue;
      case '"':
        out += "&quot;";
        ++pos;
        continue;
      case '>':
        out += "&gt;";
        ++pos;
        continue;
      case '<':
        out += "&lt;";
        ++pos;
        continue;
      default:
        break;
    }
    if (c < 0x80) {  // a control character
      appendPercent(out, c);
      ++pos;
      continue;
    }
    const std::size_t length = validSequenceLength(text, pos);
    if (length == 0) {
      appendPercent(out, c);
      ++pos;
      continue;
    }
    std::size_t next = pos;
    const char32_t code = decodeUtf8(text, next);
    if (code == 0xFFFE || code == 0xFFFF) {
      for (std::size_t i = pos; i < next; ++i)
        appendPercent(out, static_cast<unsigned char>(text[i]));
    } else {
      out.append(text, pos, next - pos);
    }
    pos = next;
  }
}

std::string xmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  appendXmlEscaped(out, text);
  return out;
}

}  // namespace qorv
