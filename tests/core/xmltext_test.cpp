#include "core/xmltext.h"

#include <gtest/gtest.h>

namespace qorv {
namespace {

struct TEscapeCase {
  const char* Name;
  std::string Text;
  std::string Escaped;
  friend void PrintTo(const TEscapeCase& c, std::ostream* os) { *os << c.Name; }
};

class XmlEscaping : public ::testing::TestWithParam<TEscapeCase> {};

TEST_P(XmlEscaping, Escapes) { EXPECT_EQ(XmlEscape(GetParam().Text), GetParam().Escaped); }

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlEscaping,
    ::testing::Values(TEscapeCase{"PlainTextUnchanged", "http://s/a b.htm", "http://s/a b.htm"},
                      TEscapeCase{"FiveSpecialCharacters", "&'\"><", "&amp;&apos;&quot;&gt;&lt;"},
                      TEscapeCase{"EntitiesAreEscapedAgain", "&amp;", "&amp;amp;"},
                      TEscapeCase{"NonAsciiKept", "šťň€𝄞", "šťň€𝄞"},
                      TEscapeCase{"InvalidBytes", "a\x80\xc3(\xed\xa0\x80", "a%80%C3(%ED%A0%80"},
                      TEscapeCase{"ControlCharacters", std::string("\0\x01\t\n\r\x1f\x7f", 7),
                                  "%00%01%09%0A%0D%1F%7F"},
                      TEscapeCase{"NonCharactersFffeFfff", "\xef\xbf\xbe\xef\xbf\xbf",
                                  "%EF%BF%BE%EF%BF%BF"},
                      TEscapeCase{"PercentSignKept", "100%25", "100%25"},
                      TEscapeCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace qorv
