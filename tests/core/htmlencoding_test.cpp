#include "core/htmlencoding.h"

#include <gtest/gtest.h>

#include <string>

namespace qorv {
namespace {

TEST(EncodingOfLabel, ReadsLabelsAsTheEncodingStandardAndAMetaDo) {
  const struct {
    const char* label;
    const char* encoding;
  } cases[] = {
      {" Latin1\t", "windows-1252"},
      {"UTF8", "UTF-8"},
      {"ascii", "windows-1252"},
      {"iso-8859-2", "ISO-8859-2"},
      {"cp1250", "windows-1250"},
      {"sjis", "Shift_JIS"},
      {"gb2312", "GBK"},
      {"ks_c_5601-1987", "EUC-KR"},
      {"iso-2022-kr", "replacement"},
      // A page whose <meta> can be read is in no UTF-16.
      {"utf-16", "UTF-8"},
      {"UTF-16BE", "UTF-8"},
      {"x-user-defined", "windows-1252"},
      {"latin 1", ""},
      {"utf-7", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(encodingOfLabel(c.label), c.encoding) << c.label;
}

TEST(EncodingOfContentType, FindsTheCharsetPartAsTheStandardDoes) {
  const struct {
    const char* content;
    const char* encoding;
  } cases[] = {
      {"text/html; charset=iso-8859-2", "ISO-8859-2"},
      {"text/html;CHARSET = 'koi8-r'", "KOI8-R"},
      {"text/html; charset=\"utf-8\"; x=y", "UTF-8"},
      {"text/html; charset=windows-1250;", "windows-1250"},
      {"charsetx; charset=cp1251", "windows-1251"},
      {"text/html; charset='iso-8859-2", ""},
      {"text/html; charset=", ""},
      {"text/html", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(encodingOfContentType(c.content), c.encoding) << c.content;
}

TEST(SniffEncoding, TakesAByteOrderMarkOrTheFirstMetaOfThePrescan) {
  const struct {
    std::string start;
    const char* encoding;
    bool certain;
    std::size_t byteOrderMark;
  } cases[] = {
      {"\xEF\xBB\xBF<meta charset=koi8-r>", "UTF-8", true, 3},
      {"\xFF\xFE<", "UTF-16LE", true, 2},
      {"\xFE\xFF", "UTF-16BE", true, 2},
      {"<meta charset=\"windows-1250\">", "windows-1250", false, 0},
      {"<!-- <meta charset=koi8-r> --><META CHARSET=UTF-8>", "UTF-8", false, 0},
      {"<!--><meta charset=koi8-r>", "KOI8-R", false, 0},
      {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-2\">", "ISO-8859-2",
       false, 0},
      {"<meta content=\"text/html; charset=iso-8859-2\" http-equiv=content-type>", "ISO-8859-2",
       false, 0},
      // Without the pragma the content names nothing.
      {"<meta content=\"text/html; charset=iso-8859-2\"><meta charset=cp1251>", "windows-1251",
       false, 0},
      {"<meta charset=unknown><meta charset=cp1251>", "windows-1251", false, 0},
      {"<x y=\"<meta charset=koi8-r>\"><meta charset=cp1251>", "windows-1251", false, 0},
      // The prescan knows no raw text: a script's text is markup to it.
      {"<script>'<meta charset=koi8-r>'</script>", "KOI8-R", false, 0},
      {"<meta charset=utf-16le>", "UTF-8", false, 0},
      {std::string(1020, ' ') + "<meta charset=koi8-r>", "", false, 0},
      {"<meta charset=\"koi8-r", "", false, 0},
      {"no markup at all", "", false, 0},
  };
  for (const auto& c : cases) {
    const SniffedEncoding sniffed = sniffEncoding(c.start);
    EXPECT_EQ(sniffed.name, c.encoding) << c.start;
    EXPECT_EQ(sniffed.certain, c.certain) << c.start;
    EXPECT_EQ(sniffed.byteOrderMark, c.byteOrderMark) << c.start;
  }
}

TEST(FallbackEncoding, IsUtf8WhenTheBytesAreElseWindows1252) {
  EXPECT_EQ(fallbackEncoding("plain", false), "UTF-8");
  EXPECT_EQ(fallbackEncoding("caf\xC3\xA9", false), "UTF-8");
  EXPECT_EQ(fallbackEncoding("caf\xE9!", false), "windows-1252");
  EXPECT_EQ(fallbackEncoding("\xED\xA0\x80", false), "windows-1252") << "a surrogate";
  // Bytes read only so far may end inside a character.
  EXPECT_EQ(fallbackEncoding("caf\xC3", true), "UTF-8");
  EXPECT_EQ(fallbackEncoding("x\xE0\xA0", true), "UTF-8");
  EXPECT_EQ(fallbackEncoding("caf\xC3", false), "windows-1252");
  EXPECT_EQ(fallbackEncoding("x\xE0\x80", true), "windows-1252") << "an overlong start";
}

TEST(AppendDecodedUtf8, ReplacesEachBrokenPartOnce) {
  const struct {
    std::string bytes;
    std::string text;
  } cases[] = {
      {"caf\xC3\xA9", "caf\xC3\xA9"},
      {"a\xC3(b", "a\xEF\xBF\xBD(b"},
      {"\xE0\xA0"
       "A",
       "\xEF\xBF\xBD"
       "A"},
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xF0\x9F\x98", "\xEF\xBF\xBD"},
      {"\xFF\x80", "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) {
    std::string out;
    appendDecodedUtf8(out, c.bytes);
    EXPECT_EQ(out, c.text) << c.bytes;
  }
}

TEST(AppendDecodedWindows1252, MapsTheC1RangeAsBrowsersDo) {
  std::string out;
  appendDecodedWindows1252(out, "\x80\x81\x9F caf\xE9");
  EXPECT_EQ(out, "\xE2\x82\xAC\xC2\x81\xC5\xB8 caf\xC3\xA9");
}

}  // namespace
}  // namespace qorv
