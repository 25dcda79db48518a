#include "core/xmltext.h"

#include <gtest/gtest.h>

namespace qorv {
namespace {

struct EscapeCase {
  const char* name;
  std::string text;
  std::string escaped;
  friend void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.name; }
};

class XmlEscaping : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(XmlEscaping, Escapes) { EXPECT_EQ(xmlEscape(GetParam().text), GetParam().escaped); }

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlEscaping,
    ::testing::Values(EscapeCase{"PlainTextUnchanged", "http://s/a b.htm", "http://s/a b.htm"},
                      EscapeCase{"FiveSpecialCharacters", "&'\"><", "&amp;&apos;&quot;&gt;&lt;"},
                      EscapeCase{"EntitiesAreEscapedAgain", "&amp;", "&amp;amp;"},
                      EscapeCase{"NonAsciiKept", "šťň€𝄞", "šťň€𝄞"},
                      EscapeCase{"InvalidBytes", "a\x80\xc3(\xed\xa0\x80", "a%80%C3(%ED%A0%80"},
                      EscapeCase{"ControlCharacters", std::string("\0\x01\t\n\r\x1f\x7f", 7),
                                 "%00%01%09%0A%0D%1F%7F"},
                      EscapeCase{"NonCharactersFffeFfff", "\xef\xbf\xbe\xef\xbf\xbf",
                                 "%EF%BF%BE%EF%BF%BF"},
                      EscapeCase{"PercentSignKept", "100%25", "100%25"},
                      EscapeCase{"Empty", "", ""}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

}  // namespace
}  // namespace qorv
