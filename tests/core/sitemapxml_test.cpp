#include "core/sitemapxml.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/formats.h"
#include "tests/support/scopedvariable.h"
#include "tests/support/sitemaprows.h"

namespace qorv {
namespace {

using test::addTicked;
using test::addTypicalRows;
using test::kSchema084;
using test::kSchema09;
using test::urlsetHead;
using test::withStylesheet;

using test::kHead;
using test::kTail;

class SitemapXmlTest : public ::testing::Test {
 protected:
  /// The urlset of `pages`, written in 2006.
  std::string document() {
    std::string out;
    count = writeUrlset([&](std::string_view bytes) { out.append(bytes); }, pages, settings,
                        formats, 2006);
    return out;
  }

  LocaleFormats formats = test::dayFirstFormats();
  GeneratorSettings settings;
  PageList pages;
  std::uint64_t count = 0;
};

TEST_F(SitemapXmlTest, PrettyLayoutShortLastmod) {
  addTypicalRows(pages);
  EXPECT_EQ(document(), std::string(kHead) +
                            "   <url>\r\n"
                            "      <loc>http://s/</loc>\r\n"
                            "      <lastmod>2006-03-05</lastmod>\r\n"
                            "      <changefreq>daily</changefreq>\r\n"
                            "      <priority>0.5</priority>\r\n"
                            "   </url>\r\n"
                            "   <url>\r\n"
                            "      <loc>http://s/a&amp;b.htm</loc>\r\n"
                            "      <lastmod>2005-12-31</lastmod>\r\n"
                            "   </url>\r\n" +
                            kTail);
}

TEST_F(SitemapXmlTest, CompactLayoutLongLastmod) {
  addTypicalRows(pages);
  settings.compact = true;
  settings.dateOnlyLastmod = false;
  EXPECT_EQ(document(), std::string(kHead) +
                            "<url><loc>http://s/</loc><lastmod>2006-03-05T09:05:06+01:00</lastmod>"
                            "<changefreq>daily</changefreq><priority>0.5</priority></url>\r\n"
                            "<url><loc>http://s/a&amp;b.htm</loc>"
                            "<lastmod>2005-12-31T12:00:00+01:00</lastmod></url>\r\n" +
                            kTail);
}

TEST_F(SitemapXmlTest, NoTickedRowGivesTheThreeLineFile) {
  pages.add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
  EXPECT_EQ(document(), std::string(kHead) + kTail);
}

struct TagCase {
  const char* name;
  const char* changefreq;
  const char* priority;
  const char* elements;  // what follows lastmod
  friend void PrintTo(const TagCase& c, std::ostream* os) { *os << c.name; }
};

class SitemapTags : public SitemapXmlTest, public ::testing::WithParamInterface<TagCase> {};

TEST_P(SitemapTags, NoneLeavesTheElementOutAndAnythingElseIsWritten) {
  addTicked(pages, "http://s/", "5.3.2006", "9:05:06", GetParam().changefreq, GetParam().priority);
  settings.compact = true;
  EXPECT_EQ(document(), std::string(kHead) +
                            "<url><loc>http://s/</loc><lastmod>2006-03-05</lastmod>" +
                            GetParam().elements + "</url>\r\n" + kTail);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SitemapTags,
    ::testing::Values(
        TagCase{"ChangefreqNone", "none", "0.5", "<priority>0.5</priority>"},
        TagCase{"BothNone", "none", "none", ""},
        TagCase{"CapitalNoneIsContent", "None", "none", "<changefreq>None</changefreq>"},
        TagCase{"EmptyIsContent", "none", "", "<priority></priority>"},
        TagCase{"TypedTextIsEscaped", "a<b&c", "none", "<changefreq>a&lt;b&amp;c</changefreq>"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

struct LastmodCase {
  const char* name;
  const char* timeText;
  const char* zone;
  const char* lastmod;
  friend void PrintTo(const LastmodCase& c, std::ostream* os) { *os << c.name; }
};

class LongLastmod : public SitemapXmlTest, public ::testing::WithParamInterface<LastmodCase> {};

TEST_P(LongLastmod, IsAW3cDateTimeOrTheDateAlone) {
  addTicked(pages, "http://s/", "5.3.2006", GetParam().timeText, "none", "none");
  settings.dateOnlyLastmod = false;
  settings.timeZone.setTyped(GetParam().zone, findIgnoreCase(kTimeZoneList, GetParam().zone));
  settings.compact = true;
  EXPECT_EQ(document(), std::string(kHead) + "<url><loc>http://s/</loc><lastmod>" +
                            GetParam().lastmod + "</lastmod></url>\r\n" + kTail);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LongLastmod,
    ::testing::Values(
        LastmodCase{"OneDigitHourGetsItsZero", "9:05:06", "+01:00", "2006-03-05T09:05:06+01:00"},
        LastmodCase{"ShortForm", "14:03:06", "+01:00", "2006-03-05T14:03:06+01:00"},
        LastmodCase{"TwelveHourClockBecomesTwentyFour", "9:05:06 PM", "+00:00",
                    "2006-03-05T21:05:06+00:00"},
        LastmodCase{"MidnightOnATwelveHourClock", "12:00:00 AM", "-05:00",
                    "2006-03-05T00:00:00-05:00"},
        LastmodCase{"NoSecondsAreZeroSeconds", "9:05", "+01:00", "2006-03-05T09:05:00+01:00"},
        LastmodCase{"TypedZoneZ", "9:05:06", "Z", "2006-03-05T09:05:06Z"},
        LastmodCase{"TypedZoneWithMinutes", "9:05:06", "+05:30", "2006-03-05T09:05:06+05:30"},
        // A date-time without a valid zone is no valid lastmod: the date is.
        LastmodCase{"EmptyZone", "9:05:06", "", "2006-03-05"},
        LastmodCase{"ZoneName", "9:05:06", "CET", "2006-03-05"},
        LastmodCase{"LowerCaseZ", "9:05:06", "z", "2006-03-05"},
        LastmodCase{"OneDigitZoneHour", "9:05:06", "+1:00", "2006-03-05"},
        LastmodCase{"ZoneWithoutSign", "9:05:06", "01:00", "2006-03-05"},
        LastmodCase{"ZoneWithoutColon", "9:05:06", "+0100", "2006-03-05"},
        LastmodCase{"ZoneWithABlank", "9:05:06", "+01:00 ", "2006-03-05"},
        LastmodCase{"ZoneHourOutOfRange", "9:05:06", "+24:00", "2006-03-05"},
        LastmodCase{"ZoneMinuteOutOfRange", "9:05:06", "+01:60", "2006-03-05"},
        LastmodCase{"ZoneThatWouldNeedEscaping", "9:05:06", "<&>", "2006-03-05"},
        // A time text that does not read back (the locale changed since the
        // row was made) leaves the time out too.
        LastmodCase{"UnreadableTime", "noon", "+01:00", "2006-03-05"},
        LastmodCase{"TimeOutOfRange", "25:00:00", "+01:00", "2006-03-05"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(SitemapXmlTest, UrlOfExactlyTheLimitIsWrittenOneLongerIsLeftOut) {
  const std::string prefix = "http://s/";
  // Multi-byte characters count once each.
  const std::string atLimit = prefix + std::string(2048 - prefix.size() - 1, 'a') + "š";
  addTicked(pages, atLimit, "5.3.2006", "9:05:06", "none", "none");
  addTicked(pages, atLimit + "b", "5.3.2006", "9:05:06", "none", "none");
  settings.compact = true;
  const std::string out = document();
  EXPECT_EQ(count, 1u);
  EXPECT_NE(out.find("<loc>" + atLimit + "</loc>"), std::string::npos);
  EXPECT_EQ(out.find(atLimit + "b"), std::string::npos);
}

TEST_F(SitemapXmlTest, CompactFileHasOneLinePerUrlPlusThree) {
  for (int i = 0; i < 7; ++i)
    addTicked(pages, "http://s/" + std::to_string(i), "5.3.2006", "9:05:06", "daily", "0.5");
  settings.compact = true;
  const std::string doc = document();
  EXPECT_EQ(std::count(doc.begin(), doc.end(), '\n'), 7 + 3);
  EXPECT_EQ(std::count(doc.begin(), doc.end(), '\r'), 7 + 3);
}

TEST_F(SitemapXmlTest, TwoDigitYearsResolveAgainstTheCurrentYear) {
  formats.shortDateFormat = "d/M/yy";
  addTicked(pages, "http://s/", "5.3.06", "9:05:06", "none", "none");
  addTicked(pages, "http://s/b", "5.3.57", "9:05:06", "none", "none");
  const std::string doc = document();
  EXPECT_NE(doc.find("<lastmod>2006-03-05</lastmod>"), std::string::npos);
  EXPECT_NE(doc.find("<lastmod>1957-03-05</lastmod>"), std::string::npos);
}

TEST_F(SitemapXmlTest, Schema09ChangesTheNamespaceAndNothingElse) {
  addTypicalRows(pages);
  const std::string old = document();
  settings.schema = SitemapSchema::V09;
  const std::string now = document();
  EXPECT_EQ(old.substr(0, urlsetHead(kSchema084).size()), urlsetHead(kSchema084));
  EXPECT_EQ(now.substr(0, urlsetHead(kSchema09).size()), urlsetHead(kSchema09));
  EXPECT_EQ(old.substr(urlsetHead(kSchema084).size()), now.substr(urlsetHead(kSchema09).size()));
}

TEST_F(SitemapXmlTest, AutomaticZoneWritesTheOffsetTheLocalRulesGiveEachMoment) {
  const test::ScopedVariable zone("TZ", "Europe/Bratislava");
  const struct {
    const char* date;
    const char* time;
    const char* lastmod;
  } cases[] = {
      {"15.1.2024", "12:00:00", "2024-01-15T12:00:00+01:00"},
      {"15.7.2024", "12:00:00", "2024-07-15T12:00:00+02:00"},
      {"31.3.2024", "1:59:59", "2024-03-31T01:59:59+01:00"},
      {"31.3.2024", "3:00:00", "2024-03-31T03:00:00+02:00"},
      // Skipped and shown twice: the offset of the later instant.
      {"31.3.2024", "2:30:00", "2024-03-31T02:30:00+01:00"},
      {"27.10.2024", "2:30:00", "2024-10-27T02:30:00+01:00"},
  };
  for (const auto& c : cases) addTicked(pages, "http://s/", c.date, c.time, "none", "none");
  settings.dateOnlyLastmod = false;
  settings.timeZone.setIndex(findIgnoreCase(kTimeZoneList, "automaticky"));
  ASSERT_EQ(settings.timeZone.text(), "automaticky");
  settings.compact = true;
  std::string expected(kHead);
  for (const auto& c : cases)
    expected +=
        std::string("<url><loc>http://s/</loc><lastmod>") + c.lastmod + "</lastmod></url>\r\n";
  EXPECT_EQ(document(), expected + kTail);
  settings.dateOnlyLastmod = true;
  EXPECT_NE(document().find("<lastmod>2024-07-15</lastmod>"), std::string::npos);
}

TEST_F(SitemapXmlTest, NoLastmodSourceWritesNoLastmodInTheUrlsetOrTheIndex) {
  addTypicalRows(pages);
  settings.lastmodSource = LastmodSource::None;
  settings.dateOnlyLastmod = false;
  settings.compact = true;
  EXPECT_EQ(document(), std::string(kHead) +
                            "<url><loc>http://s/</loc><changefreq>daily</changefreq>"
                            "<priority>0.5</priority></url>\r\n"
                            "<url><loc>http://s/a&amp;b.htm</loc></url>\r\n" +
                            kTail);
  std::string element;
  IndexEntries(settings, "http://s/", Date{2006, 6, 1}).format("sitemap-1.xml", element);
  EXPECT_EQ(element, "<sitemap><loc>http://s/sitemap-1.xml</loc></sitemap>\r\n");
}

TEST_F(SitemapXmlTest, IndexNamesEachPartUnderTheSiteUrlInTheLayoutOfTheUrlset) {
  const IndexEntries pretty(settings, "http://s/a&b/", Date{2006, 6, 1});
  std::string element;
  pretty.format("sitemap-1.xml", element);
  EXPECT_EQ(element,
            "   <sitemap>\r\n"
            "      <loc>http://s/a&amp;b/sitemap-1.xml</loc>\r\n"
            "      <lastmod>2006-06-01</lastmod>\r\n"
            "   </sitemap>\r\n");
  settings.compact = true;
  settings.dateOnlyLastmod = false;
  const IndexEntries compact(settings, "http://s/", Date{2006, 6, 1});
  compact.format("sitemap-2.xml", element);
  EXPECT_EQ(element,
            "<sitemap><loc>http://s/sitemap-2.xml</loc><lastmod>2006-06-01</lastmod></sitemap>\r\n")
      << "an index is dated by the day alone";
  settings.schema = SitemapSchema::V09;
  EXPECT_EQ(documentHead(SitemapDocument::Index, settings), test::indexHead(kSchema09));
  EXPECT_EQ(documentTail(SitemapDocument::Index), "</sitemapindex>\r\n");
}

struct StylesheetCase {
  const char* name;
  const char* stylesheet;
  bool writeStylesheet;
  /// The href as written; null for no line.
  const char* href;
  friend void PrintTo(const StylesheetCase& c, std::ostream* os) { *os << c.name; }
};

class StylesheetLine : public SitemapXmlTest,
                       public ::testing::WithParamInterface<StylesheetCase> {};

TEST_P(StylesheetLine, FollowsTheDeclarationOfUrlsetAndIndexInEitherSchema) {
  settings.stylesheet = GetParam().stylesheet;
  settings.writeStylesheet = GetParam().writeStylesheet;
  for (const SitemapSchema schema : {SitemapSchema::V084, SitemapSchema::V09}) {
    settings.schema = schema;
    const std::string_view ns = schema == SitemapSchema::V09 ? kSchema09 : kSchema084;
    const char* href = GetParam().href;
    EXPECT_EQ(documentHead(SitemapDocument::Urlset, settings),
              href ? withStylesheet(urlsetHead(ns), href) : urlsetHead(ns));
    EXPECT_EQ(documentHead(SitemapDocument::Index, settings),
              href ? withStylesheet(test::indexHead(ns), href) : test::indexHead(ns));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StylesheetLine,
    ::testing::Values(
        StylesheetCase{"NoneByDefault", "", false, nullptr},
        StylesheetCase{"PathRelativeToTheSitemap", "styles/map.xsl", false, "styles/map.xsl"},
        StylesheetCase{"UrlEscapedForXml", "https://s/x.xsl?a=1&b=\"2\"<>'", false,
                       "https://s/x.xsl?a=1&amp;b=&quot;2&quot;&lt;&gt;&apos;"},
        // Whatever was typed, the line stays one line and ends where it should.
        StylesheetCase{"LineBreakAndTheEndOfTheLine", "a\r\nb?>", false, "a%0D%0Ab?&gt;"},
        StylesheetCase{"ProgramsOwnWhenNoneIsNamed", "", true, "sitemap.xsl"},
        StylesheetCase{"NamedOneBeforeTheProgramsOwn", "/x.xsl", true, "/x.xsl"},
        // As a project file keeps the text.
        StylesheetCase{"BlanksAroundDropped", " \tx.xsl ", false, "x.xsl"},
        StylesheetCase{"OnlyBlanksNameNone", "  ", false, nullptr},
        StylesheetCase{"OnlyBlanksAndTheProgramsOwn", "  ", true, "sitemap.xsl"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(SitemapXmlTest, StylesheetLineIsTheSameInBothLayoutsAndNothingElseChanges) {
  addTypicalRows(pages);
  for (const bool compact : {false, true}) {
    settings.compact = compact;
    settings.stylesheet.clear();
    const std::string without = document();
    settings.stylesheet = "s.xsl";
    EXPECT_EQ(document(), withStylesheet(kHead, "s.xsl") + without.substr(kHead.size()));
  }
  EXPECT_EQ(document(), withStylesheet(kHead, "s.xsl") +
                            "<url><loc>http://s/</loc><lastmod>2006-03-05</lastmod>"
                            "<changefreq>daily</changefreq><priority>0.5</priority></url>\r\n"
                            "<url><loc>http://s/a&amp;b.htm</loc><lastmod>2005-12-31</lastmod>"
                            "</url>\r\n" +
                            kTail);
}

}  // namespace
}  // namespace qorv
