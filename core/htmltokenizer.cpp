#include "core/htmltokenizer.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace qorv {

// The states are the standard's, named as it names them, but for those
// that only tell parse errors apart: the comment's "<!--" states end where
// the plain comment states end, and every doctype state ends at the next
// ">", as does a bogus comment. Text inside raw-text elements and comments
// is skipped, not kept. At the end of the page every state ends the page:
// a tag cut by it is dropped, as the standard drops it, and text would make
// no difference there.
enum class HtmlTokenizer::State : unsigned char {
  Data,
  // Text after a character that is not whitespace: what follows up to the
  // next "<" adds nothing.
  TextRun,
  CharacterReference,
  NumericCharacterReference,
  NumericDigitsStart,
  NumericDigits,
  TagOpen,
  EndTagOpen,
  TagName,
  BeforeAttributeName,
  AttributeName,
  AfterAttributeName,
  BeforeAttributeValue,
  AttributeValueDoubleQuoted,
  AttributeValueSingleQuoted,
  AttributeValueUnquoted,
  AfterAttributeValueQuoted,
  SelfClosingStartTag,
  MarkupDeclarationOpen,
  CommentStart,
  CommentStartDash,
  Comment,
  CommentEndDash,
  CommentEnd,
  CommentEndBang,
  // A doctype or a bogus comment: up to the next ">".
  SkipToTagEnd,
  CdataSection,
  CdataSectionBracket,
  CdataSectionEnd,
  Rcdata,
  Rawtext,
  // The "less-than sign", "end tag open" and "end tag name" states of
  // RCDATA, RAWTEXT, script data and escaped script data, which differ only
  // in the state they return to (`m_textReturn`).
  TextLessThanSign,
  TextEndTagOpen,
  TextEndTagName,
  ScriptData,
  ScriptDataLessThanSign,
  ScriptDataEscapeStart,
  ScriptDataEscapeStartDash,
  ScriptDataEscaped,
  ScriptDataEscapedDash,
  ScriptDataEscapedDashDash,
  ScriptDataEscapedLessThanSign,
  ScriptDataDoubleEscapeStart,
  ScriptDataDoubleEscaped,
  ScriptDataDoubleEscapedDash,
  ScriptDataDoubleEscapedDashDash,
  ScriptDataDoubleEscapedLessThanSign,
  ScriptDataDoubleEscapeEnd,
  Plaintext,
};

namespace {

// CR counts too: the input stream's preprocessing makes it a line feed.
bool isWhitespace(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f'; }

bool isAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool isAsciiAlphanumeric(char c) { return isAsciiAlpha(c) || isAsciiDigit(c); }

bool isAsciiHexDigit(char c) {
  return isAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

/// Whether a tag name takes the byte as it is: neither what ends the name
/// nor what it changes.
bool isPlainNameByte(char c) {
  return !isWhitespace(c) && c != '/' && c != '>' && c != '\0' && !(c >= 'A' && c <= 'Z');
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithIgnoringCase(std::string_view text, std::string_view lower) {
  if (text.size() < lower.size()) return false;
  for (std::size_t i = 0; i < lower.size(); ++i)
    if (asciiLower(text[i]) != lower[i]) return false;
  return true;
}

/// Whether `text` is shorter than `word` and could still grow into it.
bool couldBecome(std::string_view text, std::string_view word, bool ignoringCase) {
  if (text.size() >= word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if ((ignoringCase ? asciiLower(text[i]) : text[i]) != word[i]) return false;
  return true;
}

/// The offset of the first `c` in `text` at or after `from`, or its size.
std::size_t find(std::string_view text, std::size_t from, char c) {
  const void* found = std::memchr(text.data() + from, c, text.size() - from);
  return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
               : text.size();
}

/// The offset of the first `a` or `b` in `text` at or after `from`, or its size.
std::size_t findEither(std::string_view text, std::size_t from, char a, char b) {
  while (from < text.size() && text[from] != a && text[from] != b) ++from;
  return from;
}

}  // namespace

void HtmlTokenizer::reset(std::size_t start) {
  m_state = State::Data;
  m_pos = start;
  m_cdataAllowed = false;
  m_tag.name.clear();
  m_tag.attributes.clear();
  m_tag.selfClosing = false;
}

void HtmlTokenizer::switchTo(TextState state) {
  m_endTagName = m_tag.name;
  switch (state) {
    case TextState::Data:
      m_state = State::Data;
      break;
    case TextState::Rcdata:
      m_state = m_textReturn = State::Rcdata;
      break;
    case TextState::Rawtext:
      m_state = m_textReturn = State::Rawtext;
      break;
    case TextState::ScriptData:
      m_state = State::ScriptData;
      break;
    case TextState::Plaintext:
      m_state = State::Plaintext;
      break;
  }
}

void HtmlTokenizer::beginTag(bool isEnd) {
  m_isEndTag = isEnd;
  m_tag.name.clear();
  m_tag.attributes.clear();
  m_tag.selfClosing = false;
}

void HtmlTokenizer::beginAttribute(std::size_t at) {
  Attribute& attribute = m_tag.attributes.emplace_back();
  attribute.nameStart = attribute.nameEnd = at;
}

HtmlTokenizer::TokenKind HtmlTokenizer::emitTag() {
  m_state = State::Data;
  return m_isEndTag ? TokenKind::EndTag : TokenKind::StartTag;
}

HtmlTokenizer::TokenKind HtmlTokenizer::emitText() {
  m_state = State::TextRun;
  return TokenKind::Text;
}

HtmlTokenizer::TokenKind HtmlTokenizer::next(std::string_view text, bool ended) {
  const std::size_t size = text.size();
  for (;;) {
    if (m_pos >= size) return ended ? TokenKind::End : TokenKind::NeedMore;
    const char c = text[m_pos];
    switch (m_state) {
      case State::Data:
        while (m_pos < size) {
          const char d = text[m_pos];
          if (d == '<') {
            ++m_pos;
            m_state = State::TagOpen;
            break;
          }
          if (d == '&') {
            ++m_pos;
            m_state = State::CharacterReference;
            break;
          }
          if (!isWhitespace(d)) return emitText();
          ++m_pos;
        }
        break;

      case State::TextRun:
        m_pos = find(text, m_pos, '<');
        if (m_pos < size) {
          ++m_pos;
          m_state = State::TagOpen;
        }
        break;

      // In text, a reference matters only for whether it stands for
      // whitespace: "&Tab;", "&NewLine;" and the numeric ones to 9, 10, 12,
      // 13 and 32. Anything else, the "&" itself among them, is text.
      case State::CharacterReference:
        if (c == '#') {
          ++m_pos;
          m_state = State::NumericCharacterReference;
          break;
        }
        if (isAsciiAlphanumeric(c)) {
          const std::string_view rest = text.substr(m_pos);
          bool whitespace = false;
          for (const std::string_view name :
               {std::string_view("Tab;"), std::string_view("NewLine;")}) {
            if (rest.starts_with(name)) {
              m_pos += name.size();
              whitespace = true;
              break;
            }
            if (!ended && couldBecome(rest, name, false)) return TokenKind::NeedMore;
          }
          if (whitespace) {
            m_state = State::Data;
            break;
          }
        }
        return emitText();
      case State::NumericCharacterReference:
        m_referenceValue = 0;
        m_referenceHex = c == 'x' || c == 'X';
        if (m_referenceHex) ++m_pos;
        m_state = State::NumericDigitsStart;
        break;
      case State::NumericDigitsStart:
        if (!(m_referenceHex ? isAsciiHexDigit(c) : isAsciiDigit(c))) return emitText();
        m_state = State::NumericDigits;
        break;
      case State::NumericDigits: {
        for (; m_pos < size; ++m_pos) {
          const char d = text[m_pos];
          unsigned long digit = 0;
          if (isAsciiDigit(d))
            digit = static_cast<unsigned long>(d - '0');
          else if (m_referenceHex && isAsciiHexDigit(d))
            digit = static_cast<unsigned long>(asciiLower(d) - 'a') + 10;
          else
            break;
          // Anything past Unicode stands for U+FFFD alike.
          m_referenceValue =
              std::min(m_referenceValue * (m_referenceHex ? 16 : 10) + digit, 0x110000UL);
        }
        if (m_pos == size) break;
        if (text[m_pos] == ';') ++m_pos;
        const unsigned long v = m_referenceValue;
        if (v != 0x09 && v != 0x0A && v != 0x0C && v != 0x0D && v != 0x20) return emitText();
        m_state = State::Data;
        break;
      }

      case State::TagOpen:
        if (c == '!') {
          ++m_pos;
          m_state = State::MarkupDeclarationOpen;
        } else if (c == '/') {
          ++m_pos;
          m_state = State::EndTagOpen;
        } else if (isAsciiAlpha(c)) {
          beginTag(false);
          m_state = State::TagName;
        } else if (c == '?') {
          m_state = State::SkipToTagEnd;
        } else {
          // The "<" is text; what follows is read again as text.
          return emitText();
        }
        break;
      case State::EndTagOpen:
        if (isAsciiAlpha(c)) {
          beginTag(true);
          m_state = State::TagName;
        } else if (c == '>') {
          ++m_pos;
          m_state = State::Data;
        } else {
          m_state = State::SkipToTagEnd;
        }
        break;
      case State::TagName:
        while (m_pos < size) {
          // Most names are lower case already: a run of them at once.
          std::size_t run = m_pos;
          while (run < size && isPlainNameByte(text[run])) ++run;
          m_tag.name.append(text, m_pos, run - m_pos);
          m_pos = run;
          if (m_pos == size) break;
          const char d = text[m_pos++];
          if (isWhitespace(d)) {
            m_state = State::BeforeAttributeName;
            break;
          }
          if (d == '/') {
            m_state = State::SelfClosingStartTag;
            break;
          }
          if (d == '>') return emitTag();
          if (d == '\0')
            m_tag.name += "\xEF\xBF\xBD";
          else
            m_tag.name += asciiLower(d);
        }
        break;

      case State::BeforeAttributeName:
        if (isWhitespace(c)) {
          while (m_pos < size && isWhitespace(text[m_pos])) ++m_pos;
        } else if (c == '/' || c == '>') {
          m_state = State::AfterAttributeName;
        } else {
          beginAttribute(m_pos);
          // An "=" here begins the name.
          if (c == '=') ++m_pos;
          m_state = State::AttributeName;
        }
        break;
      case State::AttributeName:
        while (m_pos < size) {
          const char d = text[m_pos];
          if (isWhitespace(d) || d == '/' || d == '>') {
            m_tag.attributes.back().nameEnd = m_pos;
            m_state = State::AfterAttributeName;
            break;
          }
          if (d == '=') {
            m_tag.attributes.back().nameEnd = m_pos++;
            m_state = State::BeforeAttributeValue;
            break;
          }
          ++m_pos;
        }
        break;
      case State::AfterAttributeName:
        if (isWhitespace(c)) {
          ++m_pos;
        } else if (c == '/') {
          ++m_pos;
          m_state = State::SelfClosingStartTag;
        } else if (c == '=') {
          ++m_pos;
          m_state = State::BeforeAttributeValue;
        } else if (c == '>') {
          ++m_pos;
          return emitTag();
        } else {
          beginAttribute(m_pos);
          m_state = State::AttributeName;
        }
        break;
      case State::BeforeAttributeValue:
        if (isWhitespace(c)) {
          ++m_pos;
        } else if (c == '"' || c == '\'') {
          m_tag.attributes.back().valueStart = ++m_pos;
          m_state =
              c == '"' ? State::AttributeValueDoubleQuoted : State::AttributeValueSingleQuoted;
        } else if (c == '>') {
          ++m_pos;
          return emitTag();
        } else {
          m_tag.attributes.back().valueStart = m_pos;
          m_state = State::AttributeValueUnquoted;
        }
        break;
      case State::AttributeValueDoubleQuoted:
      case State::AttributeValueSingleQuoted: {
        const std::size_t end =
            find(text, m_pos, m_state == State::AttributeValueDoubleQuoted ? '"' : '\'');
        m_tag.attributes.back().valueEnd = end;
        m_pos = end;
        if (end < size) {
          ++m_pos;
          m_state = State::AfterAttributeValueQuoted;
        }
        break;
      }
      case State::AttributeValueUnquoted:
        while (m_pos < size) {
          const char d = text[m_pos];
          if (isWhitespace(d) || d == '>') {
            m_tag.attributes.back().valueEnd = m_pos++;
            if (d == '>') return emitTag();
            m_state = State::BeforeAttributeName;
            break;
          }
          ++m_pos;
        }
        break;
      case State::AfterAttributeValueQuoted:
        if (isWhitespace(c)) {
          ++m_pos;
          m_state = State::BeforeAttributeName;
        } else if (c == '/') {
          ++m_pos;
          m_state = State::SelfClosingStartTag;
        } else if (c == '>') {
          ++m_pos;
          return emitTag();
        } else {
          m_state = State::BeforeAttributeName;
        }
        break;
      case State::SelfClosingStartTag:
        if (c == '>') {
          ++m_pos;
          m_tag.selfClosing = true;
          return emitTag();
        }
        m_state = State::BeforeAttributeName;
        break;

      case State::MarkupDeclarationOpen: {
        const std::string_view rest = text.substr(m_pos);
        if (rest.starts_with("--")) {
          m_pos += 2;
          m_state = State::CommentStart;
        } else if (startsWithIgnoringCase(rest, "doctype")) {
          m_pos += 7;
          m_state = State::SkipToTagEnd;
        } else if (m_cdataAllowed && rest.starts_with("[CDATA[")) {
          m_pos += 7;
          m_state = State::CdataSection;
        } else if (!ended &&
                   (couldBecome(rest, "--", false) || couldBecome(rest, "doctype", true) ||
                    (m_cdataAllowed && couldBecome(rest, "[CDATA[", false)))) {
          return TokenKind::NeedMore;
        } else {
          m_state = State::SkipToTagEnd;
        }
        break;
      }
      case State::CommentStart:
        if (c == '-') {
          ++m_pos;
          m_state = State::CommentStartDash;
        } else if (c == '>') {
          // "<!-->" is a whole comment.
          ++m_pos;
          m_state = State::Data;
        } else {
          m_state = State::Comment;
        }
        break;
      case State::CommentStartDash:
        if (c == '-') {
          ++m_pos;
          m_state = State::CommentEnd;
        } else if (c == '>') {
          // So is "<!--->".
          ++m_pos;
          m_state = State::Data;
        } else {
          m_state = State::Comment;
        }
        break;
      case State::Comment:
        m_pos = find(text, m_pos, '-');
        if (m_pos < size) {
          ++m_pos;
          m_state = State::CommentEndDash;
        }
        break;
      case State::CommentEndDash:
        if (c == '-') {
          ++m_pos;
          m_state = State::CommentEnd;
        } else {
          m_state = State::Comment;
        }
        break;
      case State::CommentEnd:
        if (c == '>') {
          ++m_pos;
          m_state = State::Data;
        } else if (c == '!') {
          ++m_pos;
          m_state = State::CommentEndBang;
        } else if (c == '-') {
          ++m_pos;
        } else {
          m_state = State::Comment;
        }
        break;
      case State::CommentEndBang:
        if (c == '-') {
          ++m_pos;
          m_state = State::CommentEndDash;
        } else if (c == '>') {
          // "--!>" ends a comment as "-->" does.
          ++m_pos;
          m_state = State::Data;
        } else {
          m_state = State::Comment;
        }
        break;
      case State::SkipToTagEnd:
        m_pos = find(text, m_pos, '>');
        if (m_pos < size) {
          ++m_pos;
          m_state = State::Data;
        }
        break;

      case State::CdataSection:
        m_pos = find(text, m_pos, ']');
        if (m_pos < size) {
          ++m_pos;
          m_state = State::CdataSectionBracket;
        }
        break;
      case State::CdataSectionBracket:
        if (c == ']') {
          ++m_pos;
          m_state = State::CdataSectionEnd;
        } else {
          m_state = State::CdataSection;
        }
        break;
      case State::CdataSectionEnd:
        if (c == ']') {
          ++m_pos;
        } else if (c == '>') {
          ++m_pos;
          m_state = State::Data;
        } else {
          m_state = State::CdataSection;
        }
        break;

      case State::Rcdata:
      case State::Rawtext:
        m_pos = find(text, m_pos, '<');
        if (m_pos < size) {
          ++m_pos;
          m_state = State::TextLessThanSign;
        }
        break;
      case State::TextLessThanSign:
        if (c == '/') {
          ++m_pos;
          m_state = State::TextEndTagOpen;
        } else {
          m_state = m_textReturn;
        }
        break;
      case State::TextEndTagOpen:
        if (isAsciiAlpha(c)) {
          beginTag(true);
          m_state = State::TextEndTagName;
        } else {
          m_state = m_textReturn;
        }
        break;
      case State::TextEndTagName:
        while (m_pos < size && isAsciiAlpha(text[m_pos])) m_tag.name += asciiLower(text[m_pos++]);
        if (m_pos == size) break;
        // Only the end tag of the element the text is in ends it; any other
        // is text.
        if (isAppropriateEndTag()) {
          const char d = text[m_pos];
          if (isWhitespace(d)) {
            ++m_pos;
            m_state = State::BeforeAttributeName;
            break;
          }
          if (d == '/') {
            ++m_pos;
            m_state = State::SelfClosingStartTag;
            break;
          }
          if (d == '>') {
            ++m_pos;
            return emitTag();
          }
        }
        m_state = m_textReturn;
        break;

      case State::ScriptData:
        m_pos = find(text, m_pos, '<');
        if (m_pos < size) {
          ++m_pos;
          m_state = State::ScriptDataLessThanSign;
        }
        break;
      case State::ScriptDataLessThanSign:
        if (c == '/') {
          ++m_pos;
          m_textReturn = State::ScriptData;
          m_state = State::TextEndTagOpen;
        } else if (c == '!') {
          ++m_pos;
          m_state = State::ScriptDataEscapeStart;
        } else {
          m_state = State::ScriptData;
        }
        break;
      case State::ScriptDataEscapeStart:
        if (c == '-') {
          ++m_pos;
          m_state = State::ScriptDataEscapeStartDash;
        } else {
          m_state = State::ScriptData;
        }
        break;
      case State::ScriptDataEscapeStartDash:
        if (c == '-') {
          // The dashes of "<!--" count: "<!-->" ends the escape at once.
          ++m_pos;
          m_state = State::ScriptDataEscapedDashDash;
        } else {
          m_state = State::ScriptData;
        }
        break;
      case State::ScriptDataEscaped:
        m_pos = findEither(text, m_pos, '-', '<');
        if (m_pos < size) {
          m_state = text[m_pos] == '-' ? State::ScriptDataEscapedDash
                                       : State::ScriptDataEscapedLessThanSign;
          ++m_pos;
        }
        break;
      case State::ScriptDataEscapedDash:
      case State::ScriptDataEscapedDashDash:
        ++m_pos;
        if (c == '-') {
          m_state = State::ScriptDataEscapedDashDash;
        } else if (c == '<') {
          m_state = State::ScriptDataEscapedLessThanSign;
        } else if (c == '>' && m_state == State::ScriptDataEscapedDashDash) {
          m_state = State::ScriptData;
        } else {
          m_state = State::ScriptDataEscaped;
        }
        break;
      case State::ScriptDataEscapedLessThanSign:
        if (c == '/') {
          ++m_pos;
          m_textReturn = State::ScriptDataEscaped;
          m_state = State::TextEndTagOpen;
        } else if (isAsciiAlpha(c)) {
          m_scriptWord.clear();
          m_state = State::ScriptDataDoubleEscapeStart;
        } else {
          m_state = State::ScriptDataEscaped;
        }
        break;
      case State::ScriptDataDoubleEscapeStart:
      case State::ScriptDataDoubleEscapeEnd: {
        const bool start = m_state == State::ScriptDataDoubleEscapeStart;
        const State inner = start ? State::ScriptDataEscaped : State::ScriptDataDoubleEscaped;
        if (isWhitespace(c) || c == '/' || c == '>') {
          ++m_pos;
          const bool script = m_scriptWord == "script";
          m_state = script == start ? State::ScriptDataDoubleEscaped : State::ScriptDataEscaped;
        } else if (isAsciiAlpha(c)) {
          ++m_pos;
          // One letter past "script" is enough to tell it is not.
          if (m_scriptWord.size() < 7) m_scriptWord += asciiLower(c);
        } else {
          m_state = inner;
        }
        break;
      }
      case State::ScriptDataDoubleEscaped:
        m_pos = findEither(text, m_pos, '-', '<');
        if (m_pos < size) {
          m_state = text[m_pos] == '-' ? State::ScriptDataDoubleEscapedDash
                                       : State::ScriptDataDoubleEscapedLessThanSign;
          ++m_pos;
        }
        break;
      case State::ScriptDataDoubleEscapedDash:
      case State::ScriptDataDoubleEscapedDashDash:
        ++m_pos;
        if (c == '-') {
          m_state = State::ScriptDataDoubleEscapedDashDash;
        } else if (c == '<') {
          m_state = State::ScriptDataDoubleEscapedLessThanSign;
        } else if (c == '>' && m_state == State::ScriptDataDoubleEscapedDashDash) {
          m_state = State::ScriptData;
        } else {
          m_state = State::ScriptDataDoubleEscaped;
        }
        break;
      case State::ScriptDataDoubleEscapedLessThanSign:
        if (c == '/') {
          ++m_pos;
          m_scriptWord.clear();
          m_state = State::ScriptDataDoubleEscapeEnd;
        } else {
          m_state = State::ScriptDataDoubleEscaped;
        }
        break;

      case State::Plaintext:
        m_pos = size;
        break;
    }
  }
}

}  // namespace qorv
