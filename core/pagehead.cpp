#include "core/pagehead.h"

#include <algorithm>
#include <map>

#include "core/htmlencoding.h"
#include "core/htmlreferences.h"
#include "core/htmltokenizer.h"
#include "platform/textdecoder.h"

namespace qorv {

// The tree builder of the HTML standard in its modes up to the body:
// "initial" and "before html" (one here: the tokenizer gives no doctype or
// comment, which are all they tell apart), "before head", "in head", "text"
// for the raw-text elements, "after head", and the contents of <template>,
// which go into a fragment of their own and not into the head. What is
// left of the standard's stack of open elements is that of the template
// contents, and of it only what changes how the tokenizer reads on: nested
// templates, SVG and MathML (where no element holds raw text and
// "<![CDATA[" begins a section), the elements where HTML resumes inside
// them, and the end tags that close these.

namespace {

using TokenKind = HtmlTokenizer::TokenKind;
using TextState = HtmlTokenizer::TextState;
using Attribute = HtmlTokenizer::Attribute;
using Tag = HtmlTokenizer::Tag;

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (asciiLower(text[i]) != lower[i]) return false;
  return true;
}

bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

/// Where an attribute's value lies in the text; `present` tells a value
/// left empty from an attribute left out.
struct ValueRange {
  std::size_t start = 0;
  std::size_t end = 0;
  bool present = false;
};

std::string_view nameOf(std::string_view text, const Attribute& attribute) {
  return text.substr(attribute.nameStart, attribute.nameEnd - attribute.nameStart);
}

ValueRange valueOf(const Attribute& attribute) {
  return {attribute.valueStart, std::max(attribute.valueStart, attribute.valueEnd), true};
}

/// `attribute`'s value into `range`, unless an attribute of its name came
/// first: the first of a name is the element's.
void keepFirst(ValueRange& range, const Attribute& attribute) {
  if (!range.present) range = valueOf(attribute);
}

/// The value of the first attribute of `tag` named `name`.
ValueRange attributeValue(std::string_view text, const Tag& tag, std::string_view name) {
  for (const Attribute& attribute : tag.attributes)
    if (equalsIgnoringCase(nameOf(text, attribute), name)) return valueOf(attribute);
  return {};
}

std::string_view textOf(std::string_view text, const ValueRange& range) {
  return text.substr(range.start, range.end - range.start);
}

/// Appends an attribute value as the tokenizer would have made it of
/// `text`, which is UTF-8: line breaks as the input stream has them, a zero
/// byte as U+FFFD, references decoded.
void appendAttributeValue(std::string& out, std::string_view text, std::string& scratch) {
  const auto isSpecial = [](char c) { return c == '&' || c == '\r' || c == '\0'; };
  std::size_t special = 0;
  while (special < text.size() && !isSpecial(text[special])) ++special;
  if (special == text.size()) {
    out.append(text);
    return;
  }
  scratch.assign(text, 0, special);
  for (std::size_t i = special; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      scratch += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\0') {
      scratch += "\xEF\xBF\xBD";
    } else {
      scratch += c;
    }
  }
  appendDecodedReferences(out, scratch, true);
}

struct RawMeta {
  ValueRange name;
  ValueRange httpEquiv;
  ValueRange content;
  ValueRange charset;
};

struct RawLink {
  ValueRange rel;
  ValueRange href;
  ValueRange hreflang;
};

/// An element of template contents that changes how the rest is read.
struct ContentElement {
  enum Kind : unsigned char {
    /// A <template>: its end tag closes what is open inside it.
    Template,
    /// SVG or MathML: no element holds raw text.
    Foreign,
    /// An SVG or MathML element inside which HTML resumes.
    IntegrationPoint,
  };
  Kind kind;
  bool svg;  // else MathML
  /// The element's name, for its end tag.
  std::string_view name;
};

// The start tags that end SVG or MathML: what is open of them is closed,
// and the tag read as HTML.
constexpr std::string_view kBreakoutTags[] = {
    "b",      "big",  "blockquote", "body",  "br",   "center", "code",    "dd",   "div",
    "dl",     "dt",   "em",         "embed", "h1",   "h2",     "h3",      "h4",   "h5",
    "h6",     "head", "hr",         "i",     "img",  "li",     "listing", "menu", "meta",
    "nobr",   "ol",   "p",          "pre",   "ruby", "s",      "small",   "span", "strong",
    "strike", "sub",  "sup",        "table", "tt",   "u",      "ul",      "var"};

}  // namespace

struct HeadParser::State {
  enum class Mode { BeforeHtml, BeforeHead, InHead, AfterHead };
  enum class Outcome { NeedMore, HeadEnded, PageEnded, Restart };

  HtmlTokenizer tokenizer;
  Mode mode = Mode::BeforeHtml;
  bool started = false;
  /// Inside a raw-text element, whose end tag the tokenizer gives next.
  bool inRawText = false;
  bool headEnded = false;
  std::vector<ContentElement> templateContents;

  // The encoding: the one a byte order mark, the prescan or a <meta> named
  // (empty while only the page's bytes can tell), and whether it is
  // certain. A page in an ASCII-compatible encoding is tokenized as it is
  // and only the attribute values kept are decoded, at the end, in the
  // encoding then known; any other is decoded as it is read.
  std::string_view encoding;
  bool certain = false;
  std::string_view restartEncoding;
  std::size_t textStart = 0;
  TextDecoder* decoder = nullptr;
  std::string decoded;
  std::size_t decodedUpTo = 0;
  std::map<std::string, std::unique_ptr<TextDecoder>, std::less<>> decoders;

  std::vector<RawMeta> metas;
  std::vector<RawLink> links;
  ValueRange base;
  std::string scratch;
  std::string converted;

  TextDecoder* decoderFor(std::string_view name) {
    auto found = decoders.find(name);
    if (found == decoders.end())
      found = decoders.emplace(std::string(name), openTextDecoder(name)).first;
    return found->second.get();
  }

  /// Reads the page afresh in `pageEncoding`.
  void begin(std::string_view pageEncoding, bool isCertain) {
    encoding = pageEncoding;
    certain = isCertain;
    restartEncoding = {};
    mode = Mode::BeforeHtml;
    inRawText = false;
    headEnded = false;
    templateContents.clear();
    metas.clear();
    links.clear();
    base = {};
    decoder = nullptr;
    if (!encoding.empty() && !isAsciiCompatible(encoding) && encoding != "replacement") {
      decoder = decoderFor(encoding);
      if (decoder) decoder->reset();
    }
    decoded.clear();
    decodedUpTo = textStart;
    tokenizer.reset(decoder ? 0 : textStart);
  }

  /// The text to tokenize: the page's bytes, or what they decode to.
  std::string_view textSoFar(std::string_view page, bool last) {
    if (!decoder) return page;
    decoder->decode(page.substr(decodedUpTo), last, decoded);
    decodedUpTo = page.size();
    return decoded;
  }

  Outcome run(std::string_view text, bool ended) {
    for (;;) {
      switch (tokenizer.next(text, ended)) {
        case TokenKind::NeedMore:
          return Outcome::NeedMore;
        case TokenKind::End:
          return Outcome::PageEnded;
        case TokenKind::Text:
          // Text goes into the body, but in template contents.
          if (templateContents.empty()) headEnded = true;
          break;
        case TokenKind::StartTag:
          startTag(text, tokenizer.tag());
          break;
        case TokenKind::EndTag:
          endTag(tokenizer.tag().name);
          break;
      }
      if (headEnded) return Outcome::HeadEnded;
      if (!restartEncoding.empty()) return Outcome::Restart;
      tokenizer.allowCdata(!templateContents.empty() &&
                           templateContents.back().kind == ContentElement::Foreign);
    }
  }

  void rawText(TextState state) {
    tokenizer.switchTo(state);
    inRawText = true;
  }

  void startTag(std::string_view text, const Tag& tag) {
    if (!templateContents.empty()) {
      templateStartTag(text, tag);
      return;
    }
    const std::string_view name = tag.name;
    switch (mode) {
      case Mode::BeforeHtml:
        mode = Mode::BeforeHead;
        if (name == "html") return;
        [[fallthrough]];
      case Mode::BeforeHead:
        if (name == "html") return;
        mode = Mode::InHead;
        if (name == "head") return;
        [[fallthrough]];
      case Mode::InHead:
        if (inHeadStartTag(text, tag)) return;
        mode = Mode::AfterHead;
        [[fallthrough]];
      case Mode::AfterHead:
        if (name == "html" || name == "head") return;
        // These go into the head even after its end tag, as browsers put them.
        if (isOneOf(name, {"base", "basefont", "bgsound", "link", "meta", "noframes", "script",
                           "style", "template", "title"})) {
          inHeadStartTag(text, tag);
          return;
        }
        // <body>, <frameset> or anything else begins the body.
        headEnded = true;
        return;
    }
  }

  /// A start tag by the rules of "in head": false for one that ends the head.
  bool inHeadStartTag(std::string_view text, const Tag& tag) {
    const std::string_view name = tag.name;
    if (name == "meta") {
      RawMeta& meta = metas.emplace_back();
      for (const Attribute& attribute : tag.attributes) {
        const std::string_view attributeName = nameOf(text, attribute);
        if (equalsIgnoringCase(attributeName, "name"))
          keepFirst(meta.name, attribute);
        else if (equalsIgnoringCase(attributeName, "content"))
          keepFirst(meta.content, attribute);
        else if (equalsIgnoringCase(attributeName, "http-equiv"))
          keepFirst(meta.httpEquiv, attribute);
        else if (equalsIgnoringCase(attributeName, "charset"))
          keepFirst(meta.charset, attribute);
      }
      considerEncoding(text, meta);
    } else if (name == "link") {
      RawLink& link = links.emplace_back();
      for (const Attribute& attribute : tag.attributes) {
        const std::string_view attributeName = nameOf(text, attribute);
        if (equalsIgnoringCase(attributeName, "rel"))
          keepFirst(link.rel, attribute);
        else if (equalsIgnoringCase(attributeName, "href"))
          keepFirst(link.href, attribute);
        else if (equalsIgnoringCase(attributeName, "hreflang"))
          keepFirst(link.hreflang, attribute);
      }
    } else if (name == "base") {
      if (!base.present) base = attributeValue(text, tag, "href");
    } else if (name == "title") {
      rawText(TextState::Rcdata);
    } else if (name == "style" || name == "noframes" || name == "noscript") {
      // With scripts on, <noscript> holds raw text.
      rawText(TextState::Rawtext);
    } else if (name == "script") {
      rawText(TextState::ScriptData);
    } else if (name == "template") {
      templateContents.push_back({ContentElement::Template, false, {}});
    } else if (!isOneOf(name, {"html", "head", "basefont", "bgsound"})) {
      return false;
    }
    return true;
  }

  void endTag(std::string_view name) {
    if (inRawText) {
      inRawText = false;
      return;
    }
    if (!templateContents.empty()) {
      templateEndTag(name);
      return;
    }
    const bool endsHeadOrBody = isOneOf(name, {"head", "body", "html", "br"});
    switch (mode) {
      case Mode::BeforeHtml:
        if (!endsHeadOrBody) return;
        mode = Mode::BeforeHead;
        [[fallthrough]];
      case Mode::BeforeHead:
        if (!endsHeadOrBody) return;
        mode = Mode::InHead;
        [[fallthrough]];
      case Mode::InHead:
        if (!endsHeadOrBody) return;
        mode = Mode::AfterHead;
        if (name == "head") return;
        [[fallthrough]];
      case Mode::AfterHead:
        if (name == "body" || name == "html" || name == "br") headEnded = true;
        return;
    }
  }

  void templateStartTag(std::string_view text, const Tag& tag) {
    const std::string_view name = tag.name;
    const ContentElement& current = templateContents.back();
    if (current.kind == ContentElement::Foreign) {
      const bool breakout = std::find(std::begin(kBreakoutTags), std::end(kBreakoutTags), name) !=
                                std::end(kBreakoutTags) ||
                            (name == "font" && (attributeValue(text, tag, "color").present ||
                                                attributeValue(text, tag, "face").present ||
                                                attributeValue(text, tag, "size").present));
      if (!breakout) {
        if (tag.selfClosing) return;
        const bool svg = current.svg;
        const std::string_view known = knownName(name);
        if (known.empty()) return;
        if (svg ? isOneOf(name, {"foreignobject", "desc", "title"})
                : isOneOf(name, {"mi", "mo", "mn", "ms", "mtext"}) ||
                      (name == "annotation-xml" && isHtmlAnnotation(text, tag))) {
          templateContents.push_back({ContentElement::IntegrationPoint, svg, known});
        } else if (name == "svg" || name == "math") {
          templateContents.push_back({ContentElement::Foreign, name == "svg", known});
        } else if (name == "template") {
          templateContents.push_back({ContentElement::Foreign, svg, known});
        }
        return;
      }
      while (templateContents.back().kind == ContentElement::Foreign) templateContents.pop_back();
    }
    // As in the body, where template contents are read.
    if (name == "template") {
      templateContents.push_back({ContentElement::Template, false, {}});
    } else if (name == "svg" || name == "math") {
      if (!tag.selfClosing)
        templateContents.push_back({ContentElement::Foreign, name == "svg", knownName(name)});
    } else if (name == "title" || name == "textarea") {
      rawText(TextState::Rcdata);
    } else if (isOneOf(name, {"style", "xmp", "iframe", "noembed", "noframes", "noscript"})) {
      rawText(TextState::Rawtext);
    } else if (name == "script") {
      rawText(TextState::ScriptData);
    } else if (name == "plaintext") {
      // Nothing after it is markup: the head holds all it will.
      tokenizer.switchTo(TextState::Plaintext);
      headEnded = true;
    } else if (name == "meta") {
      // Its encoding counts, as a <meta> in the head's does.
      RawMeta meta;
      meta.httpEquiv = attributeValue(text, tag, "http-equiv");
      meta.content = attributeValue(text, tag, "content");
      meta.charset = attributeValue(text, tag, "charset");
      considerEncoding(text, meta);
    }
  }

  /// `name` as one of the names kept for an element of template contents,
  /// which outlive the tag's text; empty for any other.
  static std::string_view knownName(std::string_view name) {
    for (const std::string_view known :
         {"svg", "math", "template", "foreignobject", "desc", "title", "mi", "mo", "mn", "ms",
          "mtext", "annotation-xml"})
      if (name == known) return known;
    return {};
  }

  bool isHtmlAnnotation(std::string_view text, const Tag& tag) {
    const ValueRange encodingValue = attributeValue(text, tag, "encoding");
    scratch.clear();
    appendAttributeValue(scratch, textOf(text, encodingValue), converted);
    return equalsIgnoringCase(scratch, "text/html") ||
           equalsIgnoringCase(scratch, "application/xhtml+xml");
  }

  void templateEndTag(std::string_view name) {
    const ContentElement& current = templateContents.back();
    if (current.kind != ContentElement::Template && name == current.name) {
      templateContents.pop_back();
    } else if (name == "template") {
      // Closes the innermost template, whatever is open inside it.
      while (templateContents.back().kind != ContentElement::Template) templateContents.pop_back();
      templateContents.pop_back();
    } else if (current.kind == ContentElement::Foreign && (name == "br" || name == "p")) {
      while (templateContents.back().kind == ContentElement::Foreign) templateContents.pop_back();
    }
  }

  /// A <meta> that names the encoding, while it is not certain, decides it.
  void considerEncoding(std::string_view text, const RawMeta& meta) {
    if (certain) return;
    std::string_view named;
    if (meta.charset.present) {
      scratch.clear();
      appendAttributeValue(scratch, textOf(text, meta.charset), converted);
      named = encodingOfLabel(scratch);
    }
    if (named.empty() && meta.httpEquiv.present && meta.content.present) {
      scratch.clear();
      appendAttributeValue(scratch, textOf(text, meta.httpEquiv), converted);
      if (equalsIgnoringCase(scratch, "content-type")) {
        scratch.clear();
        appendAttributeValue(scratch, textOf(text, meta.content), converted);
        named = encodingOfContentType(scratch);
      }
    }
    if (named.empty()) return;
    // Between encodings that are both ASCII-compatible, the page tokenizes
    // alike: only the values kept are read otherwise. Any other change reads
    // the page again.
    const bool readAlike =
        decoder ? named == encoding : isAsciiCompatible(named) || named == encoding;
    if (readAlike) {
      encoding = named;
      certain = true;
      return;
    }
    restartEncoding = named;
  }

  /// The head's values, decoded: `page` read to where the head ended. The
  /// strings of `head` are reused, so that a scan's heads need no new room.
  void finish(std::string_view page, std::string_view text, PageStart kind, PageHead& head) {
    head.complete = headEnded || kind == PageStart::Whole;
    if (encoding == "replacement") {
      // The page is one U+FFFD to a browser: an empty head.
      head.metas.clear();
      head.links.clear();
      head.baseHref.reset();
      return;
    }
    std::string_view valueEncoding = decoder ? std::string_view("UTF-8") : encoding;
    if (valueEncoding.empty())
      valueEncoding =
          fallbackEncoding(page.substr(std::min(textStart, page.size())), kind != PageStart::Whole);
    const auto value = [&](const ValueRange& range, std::string& out) {
      out.clear();
      const std::string_view bytes = textOf(text, range);
      if (isAscii(bytes)) {
        appendAttributeValue(out, bytes, scratch);
        return;
      }
      converted.clear();
      if (valueEncoding == "UTF-8") {
        appendDecodedUtf8(converted, bytes);
      } else if (TextDecoder* valueDecoder =
                     valueEncoding == "windows-1252" ? nullptr : decoderFor(valueEncoding)) {
        valueDecoder->reset();
        valueDecoder->decode(bytes, true, converted);
      } else {
        appendDecodedWindows1252(converted, bytes);
      }
      appendAttributeValue(out, converted, scratch);
    };
    head.metas.resize(metas.size());
    for (std::size_t i = 0; i < metas.size(); ++i) {
      value(metas[i].name, head.metas[i].name);
      value(metas[i].httpEquiv, head.metas[i].httpEquiv);
      value(metas[i].content, head.metas[i].content);
      value(metas[i].charset, head.metas[i].charset);
    }
    head.links.resize(links.size());
    for (std::size_t i = 0; i < links.size(); ++i) {
      value(links[i].rel, head.links[i].rel);
      value(links[i].href, head.links[i].href);
      value(links[i].hreflang, head.links[i].hreflang);
    }
    if (base.present) {
      if (!head.baseHref) head.baseHref.emplace();
      value(base, *head.baseHref);
    } else {
      head.baseHref.reset();
    }
  }
};

HeadParser::HeadParser() : m_state(std::make_unique<State>()) {}

HeadParser::~HeadParser() = default;

void HeadParser::startPage() { m_state->started = false; }

bool HeadParser::parse(std::string_view page, PageStart kind, PageHead& head) {
  State& state = *m_state;
  const bool last = kind != PageStart::More;
  if (!state.started) {
    // The prescan looks at the first 1024 bytes: they come first.
    constexpr std::size_t kPrescanBytes = 1024;
    if (!last && page.size() < kPrescanBytes) return false;
    const SniffedEncoding sniffed = sniffEncoding(page.substr(0, kPrescanBytes));
    state.textStart = sniffed.byteOrderMark;
    state.begin(sniffed.name, sniffed.certain);
    state.started = true;
  }
  for (;;) {
    if (state.encoding == "replacement") {
      state.finish(page, page, kind, head);
      head.complete = true;
      return true;
    }
    const std::string_view text = state.textSoFar(page, last);
    switch (state.run(text, last)) {
      case State::Outcome::NeedMore:
        return false;
      case State::Outcome::Restart:
        // A <meta> named an encoding in which the page reads otherwise: the
        // page is read again in it, as a browser reloads it.
        state.begin(state.restartEncoding, true);
        continue;
      case State::Outcome::HeadEnded:
      case State::Outcome::PageEnded:
        state.finish(page, text, kind, head);
        return true;
    }
  }
}

Result<bool> readPageHead(Folder& folder, std::string_view name, HeadParser& parser,
                          std::string& buffer, PageHead& head) {
  buffer.clear();
  const auto clear = [&head] {
    head.metas.clear();
    head.links.clear();
    head.baseHref.reset();
    head.complete = false;
  };
  Result<std::unique_ptr<FileReader>> file = folder.openFile(name);
  if (!file) {
    clear();
    return Failure{file.error()};
  }
  if (!*file) {
    clear();
    return false;
  }
  parser.startPage();
  // Most heads end within the first step; a page of long scripts or styles
  // takes a few more, each four times as long, the parse going on from
  // where the step before ended.
  std::size_t step = std::size_t{4} * 1024;
  for (;;) {
    const std::size_t upTo = std::min(step, kMaxHeadBytes);
    const Result<bool> ended = (*file)->read(buffer, upTo);
    if (!ended) {
      clear();
      return Failure{ended.error()};
    }
    const PageStart kind = *ended                           ? PageStart::Whole
                           : buffer.size() >= kMaxHeadBytes ? PageStart::Cut
                                                            : PageStart::More;
    if (parser.parse(buffer, kind, head)) return true;
    step *= 4;
  }
}

}  // namespace qorv
