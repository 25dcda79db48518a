#include "platform/pagehead.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

#include "platform/htmlencoding.h"
#include "platform/htmlreferences.h"

namespace qorv {

// libxml2's HTML parser tokenizes well enough, but builds its tree by the
// rules of HTML 4: it reads markup inside <title> and <noscript>, knows
// neither <template> nor script escapes, and moves elements it does not
// know for the head into an implied body. So the parser here takes its
// events only as tokens, and decides from their names what the HTML
// standard's tree builder decides in the modes up to the body ("in head",
// "after head"). At a raw-text element (<title>, <style>, <script>,
// <noscript>, <noframes>) its parse is stopped, and a new one started after
// the element's end, which is found here as the standard's tokenizer finds
// it; likewise where libxml2 would read a comment or an implied body
// otherwise than a browser.

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

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool isAsciiAlphanumeric(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
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
  bool finished = false;   // the bytes ran out inside an element that would hold the rest
  int templateDepth = 0;
  // A raw-text element whose text libxml2 reads: its events are skipped
  // until it ends.
  std::string skippedElement;
  // What the next parse starts from, when this one had to stop: copied at
  // once, as libxml2's buffer does not outlast its parse.
  // The page's text, and the part of it that the current parse was given:
  // each parse gets a window of it, so that the parses of a page full of
  // raw-text elements do not copy its rest over and over.
  std::string segment;
  std::size_t windowStart = 0;
  std::size_t windowEnd = 0;
  std::string window;  // what the current parse was given: "<head>" and the text
  // Where the next parse starts, when this one had to stop.
  bool restart = false;
  std::size_t restartAt = 0;
  int prefixTemplates = 0;  // the <template>s put before the window, not yet reported
  std::string decoded;      // scratch for attribute values and text
  std::string utf8;         // the page's bytes, converted

  // libxml2's HTML parser makes some calls of an element it has begun even
  // after it was stopped: they must not count.
  bool stopped = false;

  void stop() {
    stopped = true;
    xmlStopParser(context);
  }

  /// The bytes libxml2 has not yet reached.
  std::string_view rest() const {
    const xmlParserInputPtr input = context->input;
    return std::string_view(reinterpret_cast<const char*>(input->cur),
                            static_cast<std::size_t>(input->end - input->cur));
  }

  std::string_view before() const {
    const xmlParserInputPtr input = context->input;
    return std::string_view(reinterpret_cast<const char*>(input->base),
                            static_cast<std::size_t>(input->cur - input->base));
  }

  /// The name of the end tag that ends just before libxml2's position, or
  /// nothing: libxml2 reports the elements it closes on its own in the same
  /// way as those the page closes.
  std::string endTagJustRead() const {
    const std::string_view text = before();
    const std::size_t open = text.rfind('<');
    if (text.empty() || text.back() != '>' || open == std::string_view::npos ||
        open + 1 >= text.size() || text[open + 1] != '/')
      return {};
    std::string name;
    for (std::size_t i = open + 2; i < text.size() && isAsciiAlphanumeric(text[i]); ++i)
      name += asciiLower(text[i]);
    return name;
  }

  /// Whether the start tag of `name` is the one libxml2 has just read, and
  /// not one it implies (a body for an element it does not know for the head).
  bool startTagJustRead(std::string_view name) const {
    const std::string_view text = before();
    const std::size_t open = text.rfind('<');
    if (open == std::string_view::npos) return false;
    const std::string_view tag = text.substr(open + 1);
    if (tag.size() < name.size() || !equalsIgnoringAsciiCase(tag.substr(0, name.size()), name))
      return false;
    return tag.size() == name.size() || isAsciiWhitespace(tag[name.size()]) ||
           tag[name.size()] == '/';
  }

  /// Stops this parse, for a new one from `rest`.
  /// Stops this parse, for a new one from where `fromEnd` bytes are left
  /// before the end of what this one was given. Every new parse starts
  /// further into the page than the one before, so that the parses come to
  /// an end whatever libxml2 makes of the page: one that would not is taken
  /// for the body.
  void restartWith(std::size_t fromEnd) {
    if (fromEnd > windowEnd || windowEnd - fromEnd <= windowStart) {
      endHead();
      return;
    }
    restartAt = windowEnd - fromEnd;
    restart = true;
    stop();
  }

  void endHead() {
    ended = true;
    stop();
  }

  std::string attributeValue(const xmlChar* value) {
    decoded.clear();
    // The page's "&" reach here as written (see `prepare`): decoded the
    // standard's way, in place of libxml2's older rules.
    appendDecodedReferences(decoded, attributeText(value), true);
    return decoded;
  }

  void startElement(std::string_view name, const xmlChar** attributes) {
    if (name == "template" && prefixTemplates > 0) {
      --prefixTemplates;
      return;
    }
    if (templateDepth > 0) {
      if (name == "template") ++templateDepth;
      return;
    }
    if (!skippedElement.empty()) return;
    if (name == "html" || name == "head") return;
    if (name == "body" && !startTagJustRead("body")) {
      impliedBody();
      return;
    }
    if (name == "meta") {
      HeadMeta meta;
      for (const xmlChar** a = attributes; a && *a; a += 2) {
        const std::string_view attribute = nameText(a[0]);
        if (attribute == "name")
          meta.name = attributeValue(a[1]);
        else if (attribute == "http-equiv")
          meta.httpEquiv = attributeValue(a[1]);
        else if (attribute == "content")
          meta.content = attributeValue(a[1]);
        else if (attribute == "charset")
          meta.charset = attributeValue(a[1]);
      }
      head->metas.push_back(std::move(meta));
      return;
    }
    if (name == "link") {
      HeadLink link;
      for (const xmlChar** a = attributes; a && *a; a += 2) {
        const std::string_view attribute = nameText(a[0]);
        if (attribute == "rel")
          link.rel = attributeValue(a[1]);
        else if (attribute == "href")
          link.href = attributeValue(a[1]);
        else if (attribute == "hreflang")
          link.hreflang = attributeValue(a[1]);
      }
      head->links.push_back(std::move(link));
      return;
    }
    if (name == "base") {
      if (head->baseHref) return;
      for (const xmlChar** a = attributes; a && *a; a += 2)
        if (nameText(a[0]) == "href") head->baseHref = attributeValue(a[1]);
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
    // Anything else goes into the body.
    endHead();
  }

  /// libxml2 implies a body for an element it does not know for the head,
  /// before it has seen a head or after its end; and past that body it
  /// would report no <body> the page has. For an element that a browser puts
  /// into the head, a new parse starts at it, behind a "<head>" that keeps
  /// libxml2 from implying the body.
  void impliedBody() {
    const std::string_view text = before();
    const std::size_t open = text.rfind('<');
    std::string name;
    for (std::size_t i = open + 1;
         open != std::string_view::npos && i < text.size() && isAsciiAlphanumeric(text[i]); ++i)
      name += asciiLower(text[i]);
    constexpr std::string_view kHeadElements[] = {"template", "noscript", "noframes", "basefont",
                                                  "bgsound",  "meta",     "link",     "base",
                                                  "title",    "style",    "script"};
    // A body implied for text comes after the last tag has ended.
    const bool forTag =
        open != std::string_view::npos && text.find('>', open) == std::string_view::npos;
    const bool headElement = forTag &&
                             std::find(std::begin(kHeadElements), std::end(kHeadElements), name) !=
                                 std::end(kHeadElements) &&
                             !(name == "noscript" && afterHead);
    if (!headElement) {
      endHead();
      return;
    }
    restartWith(rest().size() + (text.size() - open));
  }

  void rawTextElement(std::string_view name) {
    const std::string_view rest = this->rest();
    const std::size_t tagEnd = rest.find('>');
    const std::size_t textStart = tagEnd == std::string_view::npos ? rest.size() : tagEnd + 1;
    const std::string_view text = rest.substr(textStart);
    const std::size_t end = name == "script" ? scriptEnd(text) : rawTextEnd(text, name);
    const std::size_t close = end == std::string_view::npos ? end : text.find('>', end);
    if (close == std::string_view::npos) {
      // The element runs past this parse's window, or to the end of what
      // was read: a browser stays in it until the page ends.
      if (windowEnd < segment.size() || !lastBytes)
        needMore = true;
      else
        finished = true;
      stop();
      return;
    }
    // A short text that libxml2 reads as a browser does (no markup in it,
    // up to a plain end tag) is left to it; any other is parsed again from
    // past the end tag, as libxml2 would read it by its own rules, and one
    // character at a time.
    const std::string_view endTag =
        text.substr(end + 2 + name.size(), close - end - 2 - name.size());
    constexpr std::size_t kShortText = 256;
    if (end < kShortText && text.substr(0, end).find('<') == std::string_view::npos &&
        std::all_of(endTag.begin(), endTag.end(), isAsciiWhitespace)) {
      skippedElement.assign(name);
      return;
    }
    restartWith(text.size() - close - 1);
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
    const std::string tag = endTagJustRead();
    if (tag == "head" && name == "head")
      afterHead = true;
    else if (tag == "body" || tag == "html" || tag == "br")
      endHead();
  }

  void text(const xmlChar* bytes, int length) {
    if (templateDepth > 0 || !skippedElement.empty()) return;
    decoded.clear();
    appendDecodedReferences(
        decoded,
        std::string_view(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length)),
        false);
    if (!std::all_of(decoded.begin(), decoded.end(), isAsciiWhitespace)) endHead();
  }

  void comment(const xmlChar* text) {
    // "<!-->" and "<!--->" are whole comments to a browser, where libxml2
    // reads on to the next "-->".
    const std::string_view content = attributeText(text);
    const std::size_t dashes = content.starts_with(">") ? 1 : content.starts_with("->") ? 2 : 0;
    if (dashes == 0) return;
    const std::size_t closing = before().ends_with("--!>") ? 4 : 3;
    restartWith(rest().size() + closing + content.size() - dashes);
  }

  static void onStartElement(void* state, const xmlChar* name, const xmlChar** attributes) {
    auto* self = static_cast<State*>(state);
    if (!self->stopped) self->startElement(nameText(name), attributes);
  }
  static void onEndElement(void* state, const xmlChar* name) {
    auto* self = static_cast<State*>(state);
    if (!self->stopped) self->endElement(nameText(name));
  }
  static void onText(void* state, const xmlChar* bytes, int length) {
    auto* self = static_cast<State*>(state);
    if (!self->stopped) self->text(bytes, length);
  }
  static void onComment(void* state, const xmlChar* text) {
    auto* self = static_cast<State*>(state);
    if (!self->stopped) self->comment(text);
  }

  /// `segment`: the page's bytes in UTF-8 as libxml2 is to read them. Zero
  /// bytes become U+FFFD, as a browser reads them in the head, where
  /// libxml2 would take them for the end; every "&" becomes "&amp;", so
  /// that libxml2 hands over character references as written.
  void prepare(std::string_view text) {
    segment.clear();
    segment.reserve(text.size() + text.size() / 16);
    const char* const end = text.data() + text.size();
    const auto next = [end](const char* from, char c) {
      const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
      return found ? static_cast<const char*>(found) : end;
    };
    const char* at = text.data();
    const char* amp = next(at, '&');
    const char* zero = next(at, '\0');
    while (at < end) {
      const char* special = std::min(amp, zero);
      segment.append(at, static_cast<std::size_t>(special - at));
      if (special == end) break;
      if (special == amp) {
        segment += "&amp;";
        amp = next(special + 1, '&');
      } else {
        segment += "\xEF\xBF\xBD";
        zero = next(special + 1, '\0');
      }
      at = special + 1;
    }
  }

  /// One libxml2 parse of the window of `segment` from `start`, `size`
  /// bytes long at most, behind a "<head>" that stands for the head the
  /// page has opened or a browser would have implied (so that libxml2
  /// neither implies a body for an element it does not know for the head
  /// nor gives up at an end tag that comes first), and the <template>s
  /// still open. The first parse of a page gets none of that.
  void parseWindow(std::size_t start, std::size_t size) {
    windowStart = start;
    windowEnd = std::min(segment.size(), start + size);
    window.clear();
    if (start > 0) {
      window.assign(kHeadTag);
      for (int i = 0; i < templateDepth; ++i) window += "<template>";
    }
    prefixTemplates = start > 0 ? templateDepth : 0;
    window.append(segment, start, windowEnd - start);
    // No encoding named: libxml2 reads UTF-8 then, where naming it would
    // have every byte go through a converter.
    xmlCtxtResetPush(context, nullptr, 0, nullptr, nullptr);
    htmlCtxtUseOptions(context, HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                    HTML_PARSE_NONET | HTML_PARSE_IGNORE_ENC);
    context->userData = this;
    restart = false;
    stopped = false;
    const bool last = lastBytes && windowEnd == segment.size();
    htmlParseChunk(context, window.data(), static_cast<int>(window.size()), last ? 1 : 0);
  }

  /// Reads the head from `bytes`, in `encoding`, into `head`; false when
  /// more bytes would be needed.
  bool parsePage(std::string_view bytes, const std::string& encoding, PageStart kind) {
    *head = PageHead{};
    lastBytes = kind != PageStart::More;
    afterHead = false;
    ended = false;
    needMore = false;
    finished = false;
    templateDepth = 0;
    skippedElement.clear();
    if (encoding == "UTF-8" && isValidUtf8(bytes)) {
      prepare(bytes);
    } else {
      utf8.clear();
      appendAsUtf8(utf8, bytes, encoding);
      prepare(utf8);
    }
    // A page's first parse takes all of it; after a raw-text element, most
    // heads end within a few KiB.
    constexpr std::size_t kWindow = 4096;
    std::size_t start = 0;
    std::size_t size = segment.size();
    for (;;) {
      parseWindow(start, size);
      if (ended || finished) break;
      if (needMore) {
        if (windowEnd == segment.size()) return false;
        // The window ran out inside a raw-text element: a wider one.
        needMore = false;
        size *= 4;
        continue;
      }
      if (restart) {
        start = restartAt;
        size = kWindow;
        continue;
      }
      if (context->instate == XML_PARSER_EOF && !rest().empty()) {
        // libxml2 gives up at an end tag before the first element. A
        // browser ignores it there, unless it ends the head or starts the
        // body by it.
        const std::string tag = endTagJustRead();
        if (tag == "body" || tag == "html" || tag == "br") {
          ended = true;
          break;
        }
        if (tag == "head") afterHead = true;
        std::size_t from = rest().size();
        if (tag.empty()) {
          // "</" and no letter: a comment to a browser, up to the next ">".
          const std::size_t close = rest().find('>');
          if (close == std::string_view::npos) {
            if (windowEnd < segment.size()) {
              size *= 4;
              continue;
            }
            if (kind == PageStart::More) return false;
            break;
          }
          from -= close + 1;
        }
        restartWith(from);
        if (ended) break;
        start = restartAt;
        continue;
      }
      if (windowEnd < segment.size()) {
        // libxml2 took the window without the head ending: on from the
        // token it waits to see whole, in a wider window.
        const std::size_t unread = rest().size();
        if (windowEnd - unread > windowStart) start = windowEnd - unread;
        size *= 4;
        continue;
      }
      // libxml2 took all the bytes without the head ending.
      if (kind == PageStart::More) return false;
      break;
    }
    head->complete = ended || kind == PageStart::Whole;
    return true;
  }
};

namespace {

void ignoreMessage(void*, const char*, ...) {}

/// The encoding the first <meta> of `head` that names one names, as the
/// tree builder meets it: empty when none does.
std::string encodingNamedIn(const PageHead& head) {
  for (const HeadMeta& meta : head.metas) {
    if (!meta.charset.empty()) {
      if (std::string named = encodingOfLabel(meta.charset); !named.empty()) return named;
    } else if (equalsIgnoringAsciiCase(meta.httpEquiv, "content-type")) {
      if (std::string named = encodingOfContentType(meta.content); !named.empty()) return named;
    }
  }
  return {};
}

}  // namespace

HeadParser::HeadParser() : m_state(std::make_unique<State>()) {
  xmlInitParser();
  State& state = *m_state;
  htmlSAXHandler& handler = state.handler;
  handler.startElement = State::onStartElement;
  handler.endElement = State::onEndElement;
  handler.characters = State::onText;
  handler.ignorableWhitespace = State::onText;
  handler.comment = State::onComment;
  // Script and style text, processing instructions and the doctype change
  // nothing in the head.
  handler.warning = ignoreMessage;
  handler.error = ignoreMessage;
  state.context =
      htmlCreatePushParserCtxt(&handler, &state, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
  if (!state.context) throw std::bad_alloc();
}

HeadParser::~HeadParser() { htmlFreeParserCtxt(m_state->context); }

bool HeadParser::parse(std::string_view start, PageStart kind, PageHead& head) {
  State& state = *m_state;
  state.head = &head;
  PageEncoding encoding = sniffPageEncoding(start);
  for (;;) {
    if (!state.parsePage(start, encoding.name, kind)) return false;
    if (!encoding.tentative) return true;
    // A <meta> that names another encoding than the one guessed makes a
    // browser read the page again in it.
    std::string named = encodingNamedIn(head);
    if (named.empty() || named == encoding.name) return true;
    encoding = {std::move(named), false};
  }
}

Result<bool> readPageHead(Folder& folder, std::string_view name, HeadParser& parser,
                          std::string& buffer, PageHead& head) {
  head = PageHead{};
  buffer.clear();
  Result<std::unique_ptr<FileReader>> file = folder.openFile(name);
  if (!file) return Failure{file.error()};
  if (!*file) return false;
  // Most heads end within the first step; a page of long scripts or styles
  // takes a few more, each four times as long, so that no byte is parsed
  // more than about one and a half times.
  std::size_t step = std::size_t{4} * 1024;
  for (;;) {
    const std::size_t upTo = std::min(step, kMaxHeadBytes);
    const Result<bool> ended = (*file)->read(buffer, upTo);
    if (!ended) {
      head = PageHead{};
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
