#include "core/xmltext.h"

#include <array>

#include "core/utf8.h"

namespace qorv {

namespace {

enum class ByteAction : unsigned char { Copy, Entity, Percent, Slash, MultiByte };

using ByteActions = std::array<ByteAction, 256>;

// One table per kind of text, so that the loop over the bytes, which runs
// for every file of a site, asks one question per byte.
constexpr ByteActions makeActions(bool urlPath, bool backslashToSlash,
                                  bool encodeNonAscii = false) {
  ByteActions actions{};
  for (int c = 0; c < 256; ++c) {
    ByteAction action = ByteAction::Copy;
    if (c < 0x20 || c == 0x7F) {
      action = ByteAction::Percent;
    } else if (c >= 0x80) {
      // Every byte of a letter outside ASCII is 0x80 or above, and so is
      // every byte that is not UTF-8: encoding them all encodes both.
      action = encodeNonAscii ? ByteAction::Percent : ByteAction::MultiByte;
    } else if (c == '&' || c == '\'') {
      action = ByteAction::Entity;
    } else if (c == '"' || c == '<' || c == '>') {
      action = urlPath ? ByteAction::Percent : ByteAction::Entity;
    } else if (c == '\\') {
      action =
          urlPath ? ByteAction::Percent : (backslashToSlash ? ByteAction::Slash : ByteAction::Copy);
    } else if (urlPath) {
      switch (c) {
        case ' ':
        case '#':
        case '%':
        case '?':
        case '[':
        case ']':
        case '^':
        case '`':
        case '{':
        case '|':
        case '}':
          action = ByteAction::Percent;
          break;
        default:
          break;
      }
    }
    actions[static_cast<std::size_t>(c)] = action;
  }
  return actions;
}

constexpr ByteActions kXmlText = makeActions(false, false);
constexpr ByteActions kXmlTextWithSlashes = makeActions(false, true);
constexpr ByteActions kUrlPath = makeActions(true, false);
constexpr ByteActions kAsciiUrlPath = makeActions(true, false, true);

void appendPercent(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const char encoded[] = {'%', kHex[byte >> 4], kHex[byte & 0x0F]};
  out.append(encoded, sizeof encoded);
}

std::string_view entityOf(unsigned char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '\'':
      return "&apos;";
    case '"':
      return "&quot;";
    case '>':
      return "&gt;";
    default:
      return "&lt;";
  }
}

void appendEscaped(std::string& out, std::string_view text, const ByteActions& actions) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    // Copy the run of plain characters in one go: most URLs are all plain.
    std::size_t plain = pos;
    while (plain < text.size() &&
           actions[static_cast<unsigned char>(text[plain])] == ByteAction::Copy)
      ++plain;
    out.append(text, pos, plain - pos);
    pos = plain;
    if (pos == text.size()) break;

    const auto c = static_cast<unsigned char>(text[pos]);
    switch (actions[c]) {
      case ByteAction::Copy:  // taken by the run above
        break;
      case ByteAction::Entity:
        out += entityOf(c);
        ++pos;
        continue;
      case ByteAction::Percent:
        appendPercent(out, c);
        ++pos;
        continue;
      case ByteAction::Slash:
        out += '/';
        ++pos;
        continue;
      case ByteAction::MultiByte: {
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
        continue;
      }
    }
  }
}

}  // namespace

void appendXmlEscaped(std::string& out, std::string_view text) {
  appendEscaped(out, text, kXmlText);
}

void appendXmlEscapedWithSlashes(std::string& out, std::string_view text) {
  appendEscaped(out, text, kXmlTextWithSlashes);
}

void appendUrlPathEscaped(std::string& out, std::string_view path, bool encodeNonAscii) {
  appendEscaped(out, path, encodeNonAscii ? kAsciiUrlPath : kUrlPath);
}

std::string xmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  appendXmlEscaped(out, text);
  return out;
}

}  // namespace qorv
