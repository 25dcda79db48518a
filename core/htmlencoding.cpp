#include "core/htmlencoding.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "core/utf8.h"

namespace qorv {

namespace {

bool isAsciiWhitespace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool isAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

struct LabelGroup {
  std::string_view encoding;
  std::initializer_list<std::string_view> labels;
};

// The Encoding Standard's labels. UTF-16 and x-user-defined already carry
// the HTML standard's meaning for a <meta>: a page that a <meta> can be read
// in is in an ASCII-compatible encoding.
const LabelGroup kLabelGroups[] = {
    {"UTF-8",
     {"unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "utf-8", "utf8", "x-unicode20utf8",
      "unicodefffe", "utf-16be", "csunicode", "iso-10646-ucs-2", "ucs-2", "unicode", "unicodefeff",
      "utf-16", "utf-16le"}},
    {"IBM866", {"866", "cp866", "csibm866", "ibm866"}},
    {"ISO-8859-2",
     {"csisolatin2", "iso-8859-2", "iso-ir-101", "iso8859-2", "iso88592", "iso_8859-2",
      "iso_8859-2:1987", "l2", "latin2"}},
    {"ISO-8859-3",
     {"csisolatin3", "iso-8859-3", "iso-ir-109", "iso8859-3", "iso88593", "iso_8859-3",
      "iso_8859-3:1988", "l3", "latin3"}},
    {"ISO-8859-4",
     {"csisolatin4", "iso-8859-4", "iso-ir-110", "iso8859-4", "iso88594", "iso_8859-4",
      "iso_8859-4:1988", "l4", "latin4"}},
    {"ISO-8859-5",
     {"csisolatincyrillic", "cyrillic", "iso-8859-5", "iso-ir-144", "iso8859-5", "iso88595",
      "iso_8859-5", "iso_8859-5:1988"}},
    {"ISO-8859-6",
     {"arabic", "asmo-708", "csiso88596e", "csiso88596i", "csisolatinarabic", "ecma-114",
      "iso-8859-6", "iso-8859-6-e", "iso-8859-6-i", "iso-ir-127", "iso8859-6", "iso88596",
      "iso_8859-6", "iso_8859-6:1987"}},
    {"ISO-8859-7",
     {"csisolatingreek", "ecma-118", "elot_928", "greek", "greek8", "iso-8859-7", "iso-ir-126",
      "iso8859-7", "iso88597", "iso_8859-7", "iso_8859-7:1987", "sun_eu_greek"}},
    {"ISO-8859-8",
     {"csiso88598e", "csisolatinhebrew", "hebrew", "iso-8859-8", "iso-8859-8-e", "iso-ir-138",
      "iso8859-8", "iso88598", "iso_8859-8", "iso_8859-8:1988", "visual"}},
    {"ISO-8859-8-I", {"csiso88598i", "iso-8859-8-i", "logical"}},
    {"ISO-8859-10",
     {"csisolatin6", "iso-8859-10", "iso-ir-157", "iso8859-10", "iso885910", "l6", "latin6"}},
    {"ISO-8859-13", {"iso-8859-13", "iso8859-13", "iso885913"}},
    {"ISO-8859-14", {"iso-8859-14", "iso8859-14", "iso885914"}},
    {"ISO-8859-15", {"csisolatin9", "iso-8859-15", "iso8859-15", "iso885915", "iso_8859-15", "l9"}},
    {"ISO-8859-16", {"iso-8859-16"}},
    {"KOI8-R", {"cskoi8r", "koi", "koi8", "koi8-r", "koi8_r"}},
    {"KOI8-U", {"koi8-ru", "koi8-u"}},
    {"macintosh", {"csmacintosh", "mac", "macintosh", "x-mac-roman"}},
    {"windows-874",
     {"dos-874", "iso-8859-11", "iso8859-11", "iso885911", "tis-620", "windows-874"}},
    {"windows-1250", {"cp1250", "windows-1250", "x-cp1250"}},
    {"windows-1251", {"cp1251", "windows-1251", "x-cp1251"}},
    {"windows-1252",
     {"ansi_x3.4-1968", "ascii", "cp1252", "cp819", "csisolatin1", "ibm819", "iso-8859-1",
      "iso-ir-100", "iso8859-1", "iso88591", "iso_8859-1", "iso_8859-1:1987", "l1", "latin1",
      "us-ascii", "windows-1252", "x-cp1252", "x-user-defined"}},
    {"windows-1253", {"cp1253", "windows-1253", "x-cp1253"}},
    {"windows-1254",
     {"cp1254", "csisolatin5", "iso-8859-9", "iso-ir-148", "iso8859-9", "iso88599", "iso_8859-9",
      "iso_8859-9:1989", "l5", "latin5", "windows-1254", "x-cp1254"}},
    {"windows-1255", {"cp1255", "windows-1255", "x-cp1255"}},
    {"windows-1256", {"cp1256", "windows-1256", "x-cp1256"}},
    {"windows-1257", {"cp1257", "windows-1257", "x-cp1257"}},
    {"windows-1258", {"cp1258", "windows-1258", "x-cp1258"}},
    {"x-mac-cyrillic", {"x-mac-cyrillic", "x-mac-ukrainian"}},
    {"GBK",
     {"chinese", "csgb2312", "csiso58gb231280", "gb2312", "gb_2312", "gb_2312-80", "gbk",
      "iso-ir-58", "x-gbk"}},
    {"gb18030", {"gb18030"}},
    {"Big5", {"big5", "big5-hkscs", "cn-big5", "csbig5", "x-x-big5"}},
    {"EUC-JP", {"cseucpkdfmtjapanese", "euc-jp", "x-euc-jp"}},
    {"ISO-2022-JP", {"csiso2022jp", "iso-2022-jp"}},
    {"Shift_JIS",
     {"csshiftjis", "ms932", "ms_kanji", "shift-jis", "shift_jis", "sjis", "windows-31j",
      "x-sjis"}},
    {"EUC-KR",
     {"cseuckr", "csksc56011987", "euc-kr", "iso-ir-149", "korean", "ks_c_5601-1987",
      "ks_c_5601-1989", "ksc5601", "ksc_5601", "windows-949"}},
    {"replacement",
     {"csiso2022kr", "hz-gb-2312", "iso-2022-cn", "iso-2022-cn-ext", "iso-2022-kr", "replacement"}},
};

// The HTML standard's prescan of the first bytes for a <meta> that names the
// encoding: a reading of attributes only, with its own simple rules.
class Prescan {
 public:
  explicit Prescan(std::string_view bytes) : m_bytes(bytes.substr(0, 1024)) {}

  std::string_view encoding() {
    while (m_pos < m_bytes.size()) {
      const std::string_view rest = m_bytes.substr(m_pos);
      if (rest.starts_with("<!--")) {
        // The "-->" may share its dashes with the "<!--".
        const std::size_t end = m_bytes.find("-->", m_pos + 2);
        if (end == std::string_view::npos) return {};
        m_pos = end + 3;
        continue;
      }
      if (rest.size() > 6 && startsWithIgnoringCase(rest, "<meta") &&
          (isAsciiWhitespace(rest[5]) || rest[5] == '/')) {
        m_pos += 6;
        std::string_view found;
        if (!meta(found)) return {};
        if (!found.empty()) return found;
        continue;
      }
      if (rest.size() > 2 && rest[0] == '<' &&
          (isAsciiAlpha(rest[1]) || (rest[1] == '/' && isAsciiAlpha(rest[2])))) {
        while (m_pos < m_bytes.size() && !isAsciiWhitespace(m_bytes[m_pos]) &&
               m_bytes[m_pos] != '>')
          ++m_pos;
        while (attribute()) {
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
  bool meta(std::string_view& found) {
    std::array<bool, 3> had{};  // http-equiv, content, charset: the first of each counts
    bool gotPragma = false;
    int needPragma = -1;  // not known yet
    std::string_view charset;
    while (attribute()) {
      std::size_t which = 3;
      if (m_name == "http-equiv") which = 0;
      if (m_name == "content") which = 1;
      if (m_name == "charset") which = 2;
      if (which == 3 || had[which]) continue;
      had[which] = true;
      if (which == 0 && m_value == "content-type") gotPragma = true;
      if (which == 1 && charset.empty()) {
        charset = encodingOfContentType(m_value);
        if (!charset.empty()) needPragma = 1;
      }
      if (which == 2) {
        charset = encodingOfLabel(m_value);
        needPragma = 0;
      }
    }
    if (m_pos >= m_bytes.size()) return false;
    if (needPragma == -1 || (needPragma == 1 && !gotPragma) || charset.empty()) return true;
    found = charset;
    return true;
  }

  /// The next attribute into `m_name` and `m_value` ("get an attribute"):
  /// false at the end of the tag or of the bytes. Names and values come
  /// lower-cased, as the prescan compares them.
  bool attribute() {
    m_name.clear();
    m_value.clear();
    while (m_pos < m_bytes.size() && (isAsciiWhitespace(m_bytes[m_pos]) || m_bytes[m_pos] == '/'))
      ++m_pos;
    if (m_pos >= m_bytes.size() || m_bytes[m_pos] == '>') return false;
    for (;; ++m_pos) {
      if (m_pos >= m_bytes.size()) return false;
      const char c = m_bytes[m_pos];
      if (c == '=' && !m_name.empty()) {
        ++m_pos;
        return attributeValue();
      }
      if (isAsciiWhitespace(c)) break;
      if (c == '/' || c == '>') return true;
      m_name += asciiLower(c);
    }
    while (m_pos < m_bytes.size() && isAsciiWhitespace(m_bytes[m_pos])) ++m_pos;
    if (m_pos >= m_bytes.size()) return false;
    if (m_bytes[m_pos] != '=') return true;
    ++m_pos;
    return attributeValue();
  }

  bool attributeValue() {
    while (m_pos < m_bytes.size() && isAsciiWhitespace(m_bytes[m_pos])) ++m_pos;
    if (m_pos >= m_bytes.size()) return false;
    const char first = m_bytes[m_pos];
    if (first == '"' || first == '\'') {
      const std::size_t end = m_bytes.find(first, m_pos + 1);
      if (end == std::string_view::npos) return false;
      for (std::size_t i = m_pos + 1; i < end; ++i) m_value += asciiLower(m_bytes[i]);
      m_pos = end + 1;
      return true;
    }
    if (first == '>') return true;
    while (m_pos < m_bytes.size() && !isAsciiWhitespace(m_bytes[m_pos]) && m_bytes[m_pos] != '>')
      m_value += asciiLower(m_bytes[m_pos++]);
    return m_pos < m_bytes.size();
  }

  std::string_view m_bytes;
  std::size_t m_pos = 0;
  std::string m_name;
  std::string m_value;
};

// What the bytes 0x80 to 0x9F stand for in windows-1252; the five it leaves
// unassigned stand for the C1 controls of their own number.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

/// How many of the first bytes of `bytes` begin a UTF-8 sequence, up to a
/// whole one: 0 when the first byte begins none.
std::size_t sequenceStartLength(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (lead < 0x80) return 1;
  // The second byte's range is what rules out overlong forms, surrogates
  // and values above U+10FFFF.
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
  std::size_t taken = 1;
  for (; taken < length && taken < bytes.size(); ++taken) {
    const auto b = static_cast<unsigned char>(bytes[taken]);
    if (b < (taken == 1 ? low : 0x80) || b > (taken == 1 ? high : 0xBF)) break;
  }
  return taken;
}

/// Whether `bytes` are UTF-8 throughout, but for a sequence cut by their
/// end when `cut`: bytes read only so far are no fault of the page's.
bool isUtf8(std::string_view bytes, bool cut) {
  for (std::size_t pos = 0; pos < bytes.size();) {
    if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
      ++pos;
      continue;
    }
    const std::size_t length = validSequenceLength(bytes, pos);
    if (length == 0) return cut && sequenceStartLength(bytes.substr(pos)) == bytes.size() - pos;
    pos += length;
  }
  return true;
}

}  // namespace

std::string_view encodingOfLabel(std::string_view label) {
  while (!label.empty() && isAsciiWhitespace(label.front())) label.remove_prefix(1);
  while (!label.empty() && isAsciiWhitespace(label.back())) label.remove_suffix(1);
  // The longest label has 19 letters.
  if (label.empty() || label.size() > 20) return {};
  std::string lower(label);
  for (char& c : lower) c = asciiLower(c);
  for (const LabelGroup& group : kLabelGroups)
    if (std::find(group.labels.begin(), group.labels.end(), lower) != group.labels.end())
      return group.encoding;
  return {};
}

std::string_view encodingOfContentType(std::string_view content) {
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

bool isAsciiCompatible(std::string_view encoding) {
  return encoding != "UTF-16LE" && encoding != "UTF-16BE" && encoding != "ISO-2022-JP" &&
         encoding != "replacement";
}

SniffedEncoding sniffEncoding(std::string_view start) {
  if (start.starts_with("\xEF\xBB\xBF")) return {"UTF-8", true, 3};
  if (start.starts_with("\xFE\xFF")) return {"UTF-16BE", true, 2};
  if (start.starts_with("\xFF\xFE")) return {"UTF-16LE", true, 2};
  return {Prescan(start).encoding(), false, 0};
}

std::string_view fallbackEncoding(std::string_view bytes, bool cut) {
  return isUtf8(bytes, cut) ? "UTF-8" : "windows-1252";
}

void appendDecodedUtf8(std::string& out, std::string_view bytes) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t valid = pos;
    for (;;) {
      while (valid < bytes.size() && static_cast<unsigned char>(bytes[valid]) < 0x80) ++valid;
      if (valid == bytes.size()) break;
      const std::size_t length = validSequenceLength(bytes, valid);
      if (length == 0) break;
      valid += length;
    }
    out.append(bytes, pos, valid - pos);
    if (valid == bytes.size()) break;
    // One replacement for the longest start of a sequence that could still
    // have been valid: the decoder reads the byte that broke it afresh.
    const std::size_t taken = std::max<std::size_t>(1, sequenceStartLength(bytes.substr(valid)));
    out += "\xEF\xBF\xBD";
    pos = valid + taken;
  }
}

char32_t windows1252Character(unsigned char b) { return kWindows1252High[b - 0x80]; }

void appendDecodedWindows1252(std::string& out, std::string_view bytes) {
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80)
      out += c;
    else
      appendUtf8(out, b <= 0x9F ? windows1252Character(b) : char32_t{b});
  }
}

}  // namespace qorv
