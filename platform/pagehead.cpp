#include "platform/pagehead.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace qorv {

// libxml2's HTML parser tokenizes well enough, but builds its tree by the
// rules of HTML 4: it reads markup inside <title> and <noscript>, knows
// neither <template> nor script escapes, and moves elements it does not
// know for the head into an implied body. So the parser here takes its
// events only as tokens, and decides from their names what the HTML
// standard's tree builder decides in the modes up to the body ("in head",
// "after head"). Where libxml2 would read the text of a raw-text element
// differently from a browser, its parse is stopped at that element and a
// new one started after the element's end, which is found here as the
// standard's tokenizer finds it.

namespace {

bool equalsIgnoringAsciiCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return true;
}

bool isAsciiWhitespace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

/// Whether `text` holds `</NAME` at `pos` followed by what ends a tag name
/// (blank, "/" or ">"): the end tag of a raw-text element.
bool endTagAt(std::string_view text, std::size_t pos, std::string_view name) {
  if (pos + 2 + name.size() >= text.size()) return false;
  if (text[pos] != '<' || text[pos + 1] != '/') return false;
  if (!equalsIgnoringAsciiCase(text.substr(pos + 2, name.size()), name)) return false;
  const char next = text[pos + 2 + name.size()];
  return isAsciiWhitespace(next) || next == '/' || next == '>';
}

/// Where the text of a `<title>`, `<style>`, `<noscript>` or `<noframes>`
/// ends: its first end tag; npos when `text` ends first.
std::size_t rawTextEnd(std::string_view text, std::string_view name) {
  for (std::size_t pos = text.find("</"); pos != std::string_view::npos;
       pos = text.find("</", pos + 1))
    if (endTagAt(text, pos, name)) return pos;
  return std::string_view::npos;
}

/// The letters at `pos` equal "script" and are followed by what ends a tag
/// name.
bool scriptWordAt(std::string_view text, std::size_t pos) {
  constexpr std::string_view kScript = "script";
  if (pos + kScript.size() >= text.size()) return false;
  if (!equalsIgnoringAsciiCase(text.substr(pos, kScript.size()), kScript)) return false;
  const char next = text[pos + kScript.size()];
  return isAsciiWhitespace(next) || next == '/' || next == '>';
}

/// Where the text of a `<script>` ends, by the standard's script data
/// states: "<!--" starts an escape, inside which "<script" starts a double
/// escape whose "</script>" does not end the element. npos when `text`
/// ends first.
std::size_t scriptEnd(std::string_view text) {
  enum class State { Data, Escaped, DoubleEscaped };
  State state = State::Data;
  int dashes = 0;  // "-" just before, inside an escape: two or more let ">" end it
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    const char c = text[pos];
    switch (state) {
      case State::Data:
        if (c != '<') break;
        if (endTagAt(text, pos, "script")) return pos;
        if (text.substr(pos, 4) == "<!--") {
          state = State::Escaped;
          // The dashes of "<!--" count: "<!-->" ends the escape at once.
          dashes = 2;
          pos += 3;
        }
        break;
      case State::Escaped:
      case State::DoubleEscaped:
        if (c == '-') {
          ++dashes;
          break;
        }
        if (c == '>' && dashes >= 2) {
          state = State::Data;
        } else if (c == '<' && state == State::Escaped) {
          if (endTagAt(text, pos, "script")) return pos;
          if (scriptWordAt(text, pos + 1)) state = State::DoubleEscaped;
        } else if (c == '<' && pos + 1 < text.size() && text[pos + 1] == '/' &&
                   scriptWordAt(text, pos + 2)) {
          state = State::Escaped;
        }
        dashes = 0;
        break;
    }
  }
  return std::string_view::npos;
}

std::string_view attributeText(const xmlChar* value) {
  return value ? std::string_view(reinterpret_cast<const char*>(value)) : std::string_view();
}

std::string_view nameText(const xmlChar* name) {
  return std::string_view(reinterpret_cast<const char*>(name));
}

constexpr std::string_view kHeadTag = "<head>";

}  // namespace

struct HeadParser::State {
  htmlParserCtxtPtr context = nullptr;
  htmlSAXHandler handler{};

  // One page's parse.
  PageHead* head = nullptr;
  bool lastBytes = false;  // no bytes follow those given
  bool afterHead = false;  // "</head>" was met: only some elements still go into the head
  bool ended = false;      // the head ended, or nothing more can be read into it
  bool needMore = false;   // the bytes ran out where more would decide
  // An element whose text libxml2 reads as a browser does: its events are
  // skipped until it ends.
  std::string skippedElement;
  int templateDepth = 0;
  // What the next parse starts from, when this one had to stop: copied at
  // once, as libxml2's buffer does not outlast its parse.
  bool restart = false;
  bool restartInUtf8 = false;
  std::string segment;
  std::string nextSegment;

  void stop() { xmlStopParser(context); }

  /// The bytes libxml2 has not yet reached (in UTF-8 once it has chosen
  /// the page's encoding).
  std::string_view rest() const {
    const xmlParserInputPtr input = context->input;
    return std::string_view(reinterpret_cast<const char*>(input->cur),
                            static_cast<std::size_t>(input->end - input->cur));
  }

  /// The text just before libxml2's position ends with the end tag `name`:
  /// libxml2 reports elements it closes on its own in the same way as
  /// those that the page closes.
  bool endTagJustRead(std::string_view name) const {
    const xmlParserInputPtr input = context->input;
    const std::string_view before(reinterpret_cast<const char*>(input->base),
                                  static_cast<std::size_t>(input->cur - input->base));
    if (before.empty() || before.back() != '>') return false;
    const std::size_t open = before.rfind("</");
    return open != std::string_view::npos && endTagAt(before, open, name);
  }

  /// Stops this parse, for a new one of "<head>" and `rest`. Once libxml2
  /// has chosen an encoding, its buffer holds the rest in UTF-8, and a later
  /// <meta charset> must not choose again.
  void restartWith(std::string_view rest) {
    nextSegment.assign(kHeadTag);
    nextSegment.append(rest);
    const xmlParserInputBufferPtr input = context->input->buf;
    restartInUtf8 = restartInUtf8 || (input && input->encoder);
    restart = true;
    stop();
  }

  void endHead() {
    ended = true;
    stop();
  }

  void startElement(std::string_view name, const xmlChar** attributes) {
    if (templateDepth > 0) {
      if (name == "template") ++templateDepth;
      return;
    }
    if (!skippedElement.empty()) return;
    if (name == "html" || name == "head") return;
    if (name == "meta") {
      HeadMeta meta;
      for (const xmlChar** a = attributes; a && *a; a += 2) {
        const std::string_view attribute = nameText(a[0]);
        if (attribute == "name")
          meta.name = attributeText(a[1]);
        else if (attribute == "http-equiv")
          meta.httpEquiv = attributeText(a[1]);
        else if (attribute == "content")
          meta.content = attributeText(a[1]);
        else if (attribute == "charset")
          meta.charset = attributeText(a[1]);
      }
      head->metas.push_back(std::move(meta));
      return;
    }
    if (name == "link") {
      HeadLink link;
      for (const xmlChar** a = attributes; a && *a; a += 2) {
        const std::string_view attribute = nameText(a[0]);
        if (attribute == "rel")
          link.rel = attributeText(a[1]);
        else if (attribute == "href")
          link.href = attributeText(a[1]);
        else if (attribute == "hreflang")
          link.hreflang = attributeText(a[1]);
      }
      head->links.push_back(std::move(link));
      return;
    }
    if (name == "base") {
      if (head->baseHref) return;
      for (const xmlChar** a = attributes; a && *a; a += 2)
        if (nameText(a[0]) == "href") head->baseHref = std::string(attributeText(a[1]));
      return;
    }
    if (name == "basefont" || name == "bgsound") return;
    if (name == "template") {
      templateDepth = 1;
      return;
    }
    // With scripts on, as a browser runs a page, <noscript> holds raw text
    // in the head; after it, it goes into the body.
    if (name == "title" || name == "style" || name == "script" || name == "noframes" ||
        (name == "noscript" && !afterHead)) {
      rawTextElement(name);
      return;
    }
    // Anything else, an implied body among it, goes into the body.
    endHead();
  }

  void rawTextElement(std::string_view name) {
    const std::string_view rest = this->rest();
    const std::size_t tagEnd = rest.find('>');
    const std::size_t textStart = tagEnd == std::string_view::npos ? rest.size() : tagEnd + 1;
    const std::string_view text = rest.substr(textStart);
    const std::size_t end = name == "script" ? scriptEnd(text) : rawTextEnd(text, name);
    const std::size_t close = end == std::string_view::npos ? end : text.find('>', end);
    if (close == std::string_view::npos) {
      // The element runs to the end of what was read: a browser stays in
      // it until the page ends.
      if (lastBytes)
        ended = true;
      else
        needMore = true;
      stop();
      return;
    }
    // libxml2 reads the text of <script> and <style> up to the first "</"
    // and the element's name, and markup inside the others; where that
    // ends where a browser's text ends, and the end tag is plain, its own
    // reading is kept.
    const std::string_view endTag = text.substr(end + 2 + name.size(), close - end - 2 - name.size());
    const bool plainEndTag = std::all_of(endTag.begin(), endTag.end(), isAsciiWhitespace);
    bool libxmlAgrees = false;
    if (name == "script" || name == "style") {
      std::size_t first = text.find("</");
      while (first != std::string_view::npos && first < end &&
             !equalsIgnoringAsciiCase(text.substr(first + 2, name.size()), name))
        first = text.find("</", first + 1);
      libxmlAgrees = first == end;
    } else {
      libxmlAgrees = text.substr(0, end).find('<') == std::string_view::npos;
    }
    if (libxmlAgrees && plainEndTag) {
      skippedElement.assign(name);
      return;
    }
    restartWith(text.substr(close + 1));
  }

  void endElement(std::string_view name) {
    if (templateDepth > 0) {
      if (name == "template") --templateDepth;
      return;
    }
    if (!skippedElement.empty()) {
      if (name == skippedElement) skippedElement.clear();
      return;
    }
    if (name == "head" && !afterHead && endTagJustRead("head")) {
      afterHead = true;
      // A new parse from here, so that libxml2, which now counts the head
      // closed, does not imply a body for the elements that a browser still
      // puts into the head.
      restartWith(rest());
      return;
    }
    if ((name == "body" || name == "html") && endTagJustRead(name)) endHead();
  }

  void text(const xmlChar* bytes, int length) {
    if (templateDepth > 0 || !skippedElement.empty()) return;
    const auto* begin = reinterpret_cast<const char*>(bytes);
    if (!std::all_of(begin, begin + length, isAsciiWhitespace)) endHead();
  }

  static void onStartElement(void* state, const xmlChar* name, const xmlChar** attributes) {
    static_cast<State*>(state)->startElement(nameText(name), attributes);
  }
  static void onEndElement(void* state, const xmlChar* name) {
    static_cast<State*>(state)->endElement(nameText(name));
  }
  static void onText(void* state, const xmlChar* bytes, int length) {
    static_cast<State*>(state)->text(bytes, length);
  }

  /// One libxml2 parse of `segment`: the page's bytes, or the rest of them
  /// after a raw-text element. Each starts with "<head>", so that libxml2
  /// does not imply a body for elements it does not know for the head.
  void parseSegment(bool utf8) {
    xmlCtxtResetPush(context, nullptr, 0, nullptr, utf8 ? "UTF-8" : nullptr);
    htmlCtxtUseOptions(context, HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                    HTML_PARSE_NONET | (utf8 ? HTML_PARSE_IGNORE_ENC : 0));
    context->userData = this;
    restart = false;
    htmlParseChunk(context, segment.data(), static_cast<int>(segment.size()), lastBytes ? 1 : 0);
  }
};

namespace {

/// Appends `bytes` to `out` with every zero byte as U+FFFD, as a browser
/// reads it in the head, where libxml2 would take it for the end.
void appendWithoutZeros(std::string& out, std::string_view bytes) {
  for (std::size_t zero = bytes.find('\0'); zero != std::string_view::npos;
       zero = bytes.find('\0')) {
    out.append(bytes.substr(0, zero));
    out.append("\xEF\xBF\xBD");
    bytes.remove_prefix(zero + 1);
  }
  out.append(bytes);
}

void ignoreMessage(void*, const char*, ...) {}

}  // namespace

HeadParser::HeadParser() : m_state(std::make_unique<State>()) {
  xmlInitParser();
  State& state = *m_state;
  htmlSAXHandler& handler = state.handler;
  handler.startElement = State::onStartElement;
  handler.endElement = State::onEndElement;
  handler.characters = State::onText;
  handler.ignorableWhitespace = State::onText;
  // Script and style text, comments, processing instructions and the
  // doctype change nothing in the head.
  handler.warning = ignoreMessage;
  handler.error = ignoreMessage;
  state.context = htmlCreatePushParserCtxt(&handler, &state, nullptr, 0, nullptr,
                                           XML_CHAR_ENCODING_NONE);
  if (!state.context) throw std::bad_alloc();
}

HeadParser::~HeadParser() { htmlFreeParserCtxt(m_state->context); }

bool HeadParser::parse(std::string_view start, PageStart kind, PageHead& head) {
  State& state = *m_state;
  head = PageHead{};
  if (start.starts_with("\xEF\xBB\xBF")) start.remove_prefix(3);
  state.head = &head;
  state.lastBytes = kind != PageStart::More;
  state.afterHead = false;
  state.ended = false;
  state.needMore = false;
  state.skippedElement.clear();
  state.templateDepth = 0;
  state.segment.assign(kHeadTag);
  appendWithoutZeros(state.segment, start);
  state.restartInUtf8 = false;
  bool utf8 = false;
  for (;;) {
    state.parseSegment(utf8);
    if (state.ended) break;
    if (state.needMore) return false;
    if (!state.restart) {
      // libxml2 took all the bytes without the head ending.
      if (kind == PageStart::More) return false;
      break;
    }
    state.segment.swap(state.nextSegment);
    utf8 = state.restartInUtf8;
  }
  head.complete = state.ended || kind == PageStart::Whole;
  return true;
}

ListStatus readPageHead(Folder& folder, std::string_view name, HeadParser& parser,
                        std::string& buffer, PageHead& head) {
  head = PageHead{};
  buffer.clear();
  std::unique_ptr<FileReader> file;
  if (const ListStatus opened = folder.openFile(name, file); opened.kind != ListStatus::Ok)
    return opened;
  // Most heads end within the first step; a page of many scripts or styles
  // takes a few more, each twice as long, so that no byte is parsed more
  // than about twice.
  std::size_t step = 16 * 1024;
  for (;;) {
    const std::size_t upTo = std::min(step, kMaxHeadBytes);
    if (const ListStatus read = file->read(buffer, upTo); read.kind != ListStatus::Ok) {
      head = PageHead{};
      return read;
    }
    const PageStart kind = file->atEnd()                 ? PageStart::Whole
                           : buffer.size() >= kMaxHeadBytes ? PageStart::Cut
                                                          : PageStart::More;
    if (parser.parse(buffer, kind, head)) return ListStatus::success();
    step *= 2;
  }
}

}  // namespace qorv
