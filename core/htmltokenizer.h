#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qorv {

/// The HTML standard's tokenizer, for as much as decides where the elements
/// of a page's head begin and end: tags with their attributes, every form of
/// comment, doctypes, CDATA sections, the text of raw-text elements and
/// character references in text. It reads the bytes of an ASCII-compatible
/// encoding (or UTF-8), whose markup is all ASCII, before the text is
/// decoded: attributes come as where they lie in the bytes, and whichever of
/// them matter are decoded by the caller.
///
/// It reads in steps: each call of `next` gets the page's text so far, the
/// text of the call before and what followed it, and goes on where it
/// stopped, in the state it stopped in. No byte is read twice but for the
/// few that a reference or a "<!" needs to see ahead.
class HtmlTokenizer {
 public:
  /// How text is read after a start tag, as the tree builder tells it.
  enum class TextState {
    Data,
    /// <title>, <textarea>: up to the element's end tag.
    Rcdata,
    /// <style>, <xmp>, <iframe>, <noembed>, <noframes>, <noscript>: likewise.
    Rawtext,
    /// <script>: up to its end tag outside the escapes that "<!--" starts.
    ScriptData,
    /// <plaintext>: the rest of the page.
    Plaintext,
  };

  enum class TokenKind {
    StartTag,
    EndTag,
    /// Text with a character that is not ASCII whitespace: a letter, a
    /// reference to one, a "<" that begins no tag. Whitespace and comments
    /// give no token.
    Text,
    /// The end of the page: no more tokens.
    End,
    /// The text given ends before the next token does: call again with more.
    NeedMore,
  };

  /// Where an attribute's name and value lie in the text: byte offsets, the
  /// value as written (its references not yet decoded). A value left out
  /// is an empty one.
  struct Attribute {
    std::size_t nameStart = 0;
    std::size_t nameEnd = 0;
    std::size_t valueStart = 0;
    std::size_t valueEnd = 0;
  };

  /// A tag as the last `next` gave it.
  struct Tag {
    /// In lower case, a zero byte as U+FFFD.
    std::string name;
    bool selfClosing = false;
    /// In their order, duplicates included: the first of a name counts.
    std::vector<Attribute> attributes;
  };

  /// Starts a new text, whose tokens begin at `start` (past a byte order
  /// mark).
  void reset(std::size_t start = 0);

  /// The next token of `text`, the text so far; `ended` when no more of it
  /// follows.
  TokenKind next(std::string_view text, bool ended);

  /// The tag that the last `next` gave.
  const Tag& tag() const { return m_tag; }

  /// Reads on in `state`, as the tree builder says after a start tag; the
  /// element's text then ends at an end tag of the start tag's name.
  void switchTo(TextState state);

  /// Whether "<![CDATA[" begins a CDATA section, as it does in SVG and
  /// MathML, or a bogus comment, as in HTML.
  void allowCdata(bool allowed) { m_cdataAllowed = allowed; }

 private:
  enum class State : unsigned char;

  TokenKind run(std::string_view text, bool ended);
  void beginTag(bool isEnd);
  void beginAttribute(std::size_t at);
  TokenKind emitTag();
  TokenKind emitText();
  bool isAppropriateEndTag() const { return m_tag.name == m_endTagName; }

  State m_state{};
  std::size_t m_pos = 0;
  bool m_isEndTag = false;
  bool m_cdataAllowed = false;
  Tag m_tag;
  /// The start tag name whose end tag ends the current raw text.
  std::string m_endTagName;
  /// The raw-text state an end tag that turns out to be none returns to.
  State m_textReturn{};
  /// Letters after "<" or "</" in a script's escape, as far as "script".
  std::string m_scriptWord;
  /// A numeric character reference so far.
  unsigned long m_referenceValue = 0;
  bool m_referenceHex = false;
};

}  // namespace qorv
