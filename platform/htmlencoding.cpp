#include "platform/htmlencoding.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace qorv {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool isAsciiWhitespace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool isAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

/// The length of the run of ASCII bytes at `pos`, eight at a time: pages
/// are mostly ASCII.
std::size_t asciiRun(std::string_view text, std::size_t pos) {
  std::size_t end = pos;
  for (; end + 8 <= text.size(); end += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + end, 8);
    if (word & 0x8080808080808080ULL) break;
  }
  while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80) ++end;
  return end - pos;
}

/// The length of the valid UTF-8 sequence at `pos`, or 0.
std::size_t utf8SequenceLength(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto c = static_cast<unsigned char>(text[pos + i]);
    if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

/// Whether `text` is UTF-8, but for a sequence cut by its end when
/// `cutEnd`: no fault of the page's when the bytes were read only so far.
bool isUtf8(std::string_view text, bool cutEnd) {
  for (std::size_t pos = 0; pos < text.size();) {
    pos += asciiRun(text, pos);
    if (pos == text.size()) break;
    const std::size_t length = utf8SequenceLength(text, pos);
    if (length == 0)
      return cutEnd && text.size() - pos < 4 && static_cast<unsigned char>(text[pos]) >= 0xC2;
    pos += length;
  }
  return true;
}

void appendValidUtf8(std::string& out, std::string_view bytes) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t valid = pos;
    while (valid < bytes.size()) {
      valid += asciiRun(bytes, valid);
      if (valid == bytes.size()) break;
      const std::size_t length = utf8SequenceLength(bytes, valid);
      if (length == 0) break;
      valid += length;
    }
    out.append(bytes, pos, valid - pos);
    if (valid == bytes.size()) break;
    out += kReplacement;
    pos = valid + 1;
    // The bytes that continued the broken sequence go with it.
    while (pos < bytes.size() && pos < valid + 4 &&
           (static_cast<unsigned char>(bytes[pos]) & 0xC0) == 0x80)
      ++pos;
  }
}

// The HTML standard's prescan of the first bytes for a <meta> that names the
// encoding: a reading of attributes only, with its own simple rules.
class Prescan {
 public:
  explicit Prescan(std::string_view bytes) : m_bytes(bytes.substr(0, 1024)) {}

  std::string encoding() {
    while (m_pos < m_bytes.size()) {
      const std::string_view rest = m_bytes.substr(m_pos);
      if (rest.starts_with("<!--")) {
        const std::size_t end = m_bytes.find("-->", m_pos + 2);
        if (end == std::string_view::npos) return {};
        m_pos = end + 3;
        continue;
      }
      if (rest.size() > 6 && startsWithIgnoringCase(rest, "<meta") &&
          (isAsciiWhitespace(rest[5]) || rest[5] == '/')) {
        m_pos += 6;
        std::string found;
        if (!meta(found)) return {};
        if (!found.empty()) return found;
        continue;
      }
      if (rest.size() > 2 && rest[0] == '<' &&
          (isAsciiAlpha(rest[1]) || (rest[1] == '/' && isAsciiAlpha(rest[2])))) {
        while (m_pos < m_bytes.size() && !isAsciiWhitespace(m_bytes[m_pos]) &&
               m_bytes[m_pos] != '>')
          ++m_pos;
        std::string name;
        std::string value;
        while (attribute(name, value)) {
        }
        ++m_pos;
        continue;
      }
      if (rest.starts_with("<!") || rest.starts_with("</") || rest.starts_with("<?")) {
        const std::size_t end = m_bytes.find('>', m_pos + 2);
        if (end == std::string_view::npos) return {};
        m_pos = end + 1;
        continue;
      }
      ++m_pos;
    }
    return {};
  }

 private:
  static bool startsWithIgnoringCase(std::string_view text, std::string_view lower) {
    if (text.size() < lower.size()) return false;
    for (std::size_t i = 0; i < lower.size(); ++i)
      if (asciiLower(text[i]) != lower[i]) return false;
    return true;
  }

  /// The attributes of one <meta>: false when the bytes ran out.
  bool meta(std::string& found) {
    std::array<bool, 3> had{};  // http-equiv, content, charset: the first of each counts
    bool gotPragma = false;
    int needPragma = -1;  // unknown
    std::string charset;
    std::string name;
    std::string value;
    while (attribute(name, value)) {
      std::size_t which = 3;
      if (name == "http-equiv") which = 0;
      if (name == "content") which = 1;
      if (name == "charset") which = 2;
      if (which == 3 || had[which]) continue;
      had[which] = true;
      if (which == 0 && value == "content-type") gotPragma = true;
      if (which == 1 && charset.empty()) {
        charset = encodingOfContentType(value);
        if (!charset.empty()) needPragma = 1;
      }
      if (which == 2) {
        charset = encodingOfLabel(value);
        needPragma = 0;
      }
    }
    if (m_pos >= m_bytes.size()) return false;
    if (needPragma == -1 || (needPragma == 1 && !gotPragma) || charset.empty()) return true;
    found = charset;
    return true;
  }

  /// The next attribute ("get an attribute"): false at the end of the tag
  /// or of the bytes. Names and values come lower-cased, as the standard's
  /// prescan compares them.
  bool attribute(std::string& name, std::string& value) {
    name.clear();
    value.clear();
    while (m_pos < m_bytes.size() && (isAsciiWhitespace(m_bytes[m_pos]) || m_bytes[m_pos] == '/'))
      ++m_pos;
    if (m_pos >= m_bytes.size() || m_bytes[m_pos] == '>') return false;
    for (;; ++m_pos) {
      if (m_pos >= m_bytes.size()) return false;
      const char c = m_bytes[m_pos];
      if (c == '=' && !name.empty()) {
        ++m_pos;
        return attributeValue(value);
      }
      if (isAsciiWhitespace(c)) break;
      if (c == '/' || c == '>') return true;
      name += asciiLower(c);
    }
    while (m_pos < m_bytes.size() && isAsciiWhitespace(m_bytes[m_pos])) ++m_pos;
    if (m_pos >= m_bytes.size()) return false;
    if (m_bytes[m_pos] != '=') return true;
    ++m_pos;
    return attributeValue(value);
  }

  bool attributeValue(std::string& value) {
    while (m_pos < m_bytes.size() && isAsciiWhitespace(m_bytes[m_pos])) ++m_pos;
    if (m_pos >= m_bytes.size()) return false;
    const char first = m_bytes[m_pos];
    if (first == '"' || first == '\'') {
      const std::size_t end = m_bytes.find(first, m_pos + 1);
      if (end == std::string_view::npos) return false;
      for (std::size_t i = m_pos + 1; i < end; ++i) value += asciiLower(m_bytes[i]);
      m_pos = end + 1;
      return true;
    }
    if (first == '>') return true;
    while (m_pos < m_bytes.size() && !isAsciiWhitespace(m_bytes[m_pos]) && m_bytes[m_pos] != '>')
      value += asciiLower(m_bytes[m_pos++]);
    return m_pos < m_bytes.size();
  }

  std::string_view m_bytes;
  std::size_t m_pos = 0;
};

struct LabelGroup {
  std::string_view encoding;
  std::initializer_list<std::string_view> labels;
};

// The Encoding Standard's labels where iconv would read them otherwise, or
// not know them: Latin-1 and ASCII mean Windows-1252 on the web.
const LabelGroup kLabelGroups[] = {
    {"UTF-8",
     {"unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "utf-8", "utf8", "x-unicode20utf8",
      // A page that names UTF-16 in a <meta> can only be in an encoding
      // that is ASCII-compatible: the HTML standard reads it as UTF-8.
      "csunicode", "iso-10646-ucs-2", "ucs-2", "unicode", "unicodefeff", "utf-16", "utf-16le",
      "utf-16be", "unicodefffe"}},
    {"WINDOWS-1252",
     {"ansi_x3.4-1968", "ascii", "cp1252", "cp819", "csisolatin1", "ibm819", "iso-8859-1",
      "iso-ir-100", "iso8859-1", "iso88591", "iso_8859-1", "iso_8859-1:1987", "l1", "latin1",
      "us-ascii", "windows-1252", "x-cp1252", "x-user-defined"}},
    {"WINDOWS-1254",
     {"cp1254", "csisolatin5", "iso-8859-9", "iso-ir-148", "iso8859-9", "iso88599", "iso_8859-9",
      "iso_8859-9:1989", "l5", "latin5", "windows-1254", "x-cp1254"}},
    {"WINDOWS-874",
     {"dos-874", "iso-8859-11", "iso8859-11", "iso885911", "tis-620", "windows-874"}},
    {"GBK",
     {"chinese", "csgb2312", "csiso58gb231280", "gb2312", "gb_2312", "gb_2312-80", "gbk",
      "iso-ir-58", "x-gbk"}},
    {"EUC-KR",
     {"cseuckr", "csksc56011987", "euc-kr", "iso-ir-149", "korean", "ks_c_5601-1987",
      "ks_c_5601-1989", "ksc5601", "ksc_5601", "windows-949"}},
    {"CP932",
     {"csshiftjis", "ms932", "ms_kanji", "shift-jis", "shift_jis", "sjis", "windows-31j",
      "x-sjis"}},
    {"MACINTOSH", {"csmacintosh", "mac", "macintosh", "x-mac-roman"}},
    {"ISO-8859-8", {"iso-8859-8-i", "csiso88598i", "logical"}},
};

/// iconv_open's failure, (iconv_t)-1.
bool failed(iconv_t converter) { return reinterpret_cast<std::intptr_t>(converter) == -1; }

bool iconvKnows(const std::string& encoding) {
  const iconv_t converter = iconv_open("UTF-8", encoding.c_str());
  if (failed(converter)) return false;
  iconv_close(converter);
  return true;
}

}  // namespace

bool isValidUtf8(std::string_view text) { return isUtf8(text, false); }

std::string encodingOfLabel(std::string_view label) {
  if (label == "utf-8" || label == "UTF-8") return "UTF-8";
  while (!label.empty() && isAsciiWhitespace(label.front())) label.remove_prefix(1);
  while (!label.empty() && isAsciiWhitespace(label.back())) label.remove_suffix(1);
  std::string lower;
  for (const char c : label) lower += asciiLower(c);
  if (lower.empty()) return {};
  for (const LabelGroup& group : kLabelGroups)
    if (std::find(group.labels.begin(), group.labels.end(), lower) != group.labels.end())
      return std::string(group.encoding);
  // Labels that name one of the web's other encodings by its own name
  // ("iso-8859-2", "windows-1250", "koi8-r"), which iconv knows too; a
  // character set that has no place on the web is none.
  const bool webName = lower.starts_with("iso-8859-") || lower.starts_with("windows-12") ||
                       lower == "koi8-r" || lower == "koi8-u" || lower == "ibm866" ||
                       lower == "big5" || lower == "euc-jp" || lower == "iso-2022-jp" ||
                       lower == "gb18030" || lower == "x-mac-cyrillic";
  if (!webName) return {};
  std::string name = lower == "x-mac-cyrillic" ? "MAC-CYRILLIC" : lower;
  for (char& c : name) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  return iconvKnows(name) ? name : std::string();
}

std::string encodingOfContentType(std::string_view content) {
  std::size_t pos = 0;
  for (;;) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = pos; i + 7 <= content.size(); ++i) {
      std::size_t k = 0;
      while (k < 7 && asciiLower(content[i + k]) == "charset"[k]) ++k;
      if (k == 7) {
        found = i;
        break;
      }
    }
    if (found == std::string_view::npos) return {};
    pos = found + 7;
    while (pos < content.size() && isAsciiWhitespace(content[pos])) ++pos;
    if (pos >= content.size() || content[pos] != '=') continue;
    ++pos;
    while (pos < content.size() && isAsciiWhitespace(content[pos])) ++pos;
    if (pos >= content.size()) return {};
    const char first = content[pos];
    if (first == '"' || first == '\'') {
      const std::size_t end = content.find(first, pos + 1);
      if (end == std::string_view::npos) return {};
      return encodingOfLabel(content.substr(pos + 1, end - pos - 1));
    }
    std::size_t end = pos;
    while (end < content.size() && !isAsciiWhitespace(content[end]) && content[end] != ';') ++end;
    return encodingOfLabel(content.substr(pos, end - pos));
  }
}

PageEncoding sniffPageEncoding(std::string_view& start) {
  if (start.starts_with("\xEF\xBB\xBF")) {
    start.remove_prefix(3);
    return {"UTF-8", false};
  }
  if (start.starts_with("\xFE\xFF")) {
    start.remove_prefix(2);
    return {"UTF-16BE", false};
  }
  if (start.starts_with("\xFF\xFE")) {
    start.remove_prefix(2);
    return {"UTF-16LE", false};
  }
  if (std::string found = Prescan(start).encoding(); !found.empty()) return {found, true};
  return {isUtf8(start, true) ? "UTF-8" : "WINDOWS-1252", true};
}

void appendAsUtf8(std::string& out, std::string_view bytes, const std::string& encoding) {
  if (encoding == "UTF-8") {
    appendValidUtf8(out, bytes);
    return;
  }
  const iconv_t converter = iconv_open("UTF-8", encoding.c_str());
  if (failed(converter)) {
    appendValidUtf8(out, bytes);
    return;
  }
  // iconv's interface takes non-const pointers to input it only reads.
  char* in = const_cast<char*>(bytes.data());  // NOLINT(cppcoreguidelines-pro-type-const-cast)
  std::size_t inLeft = bytes.size();
  std::array<char, 4096> buffer;
  while (inLeft > 0) {
    char* outAt = buffer.data();
    std::size_t outLeft = buffer.size();
    const std::size_t result = iconv(converter, &in, &inLeft, &outAt, &outLeft);
    out.append(buffer.data(), buffer.size() - outLeft);
    if (result != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // A byte that is no character, or a sequence cut by the end: one
    // replacement character, and on with the next byte.
    out += kReplacement;
    ++in;
    --inLeft;
  }
  iconv_close(converter);
}

}  // namespace qorv
