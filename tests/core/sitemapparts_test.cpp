#include "core/sitemapparts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qorv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(SitemapParts, NewPartBeginsJustBeforeEitherLimitWouldBePassed) {
  constexpr std::uint64_t kMax = 1000;
  // 10 bytes of end tag still to come after the element.
  EXPECT_FALSE(startsNewPart(3, 900, 90, 10, kMax)) << "exactly the limit fits";
  EXPECT_TRUE(startsNewPart(3, 900, 91, 10, kMax));
  EXPECT_FALSE(startsNewPart(kMaxSitemapUrls - 1, 100, 10, 10, kMax)) << "the last URL that fits";
  EXPECT_TRUE(startsNewPart(kMaxSitemapUrls, 100, 10, 10, kMax));
  EXPECT_FALSE(startsNewPart(0, 100, 5000, 10, kMax)) << "a part's first element stays";
  EXPECT_EQ(maxSitemapBytes(SitemapSchema::V084), kMaxSitemapBytes);
  EXPECT_EQ(maxSitemapBytes(SitemapSchema::V09), kMaxSitemapBytes09);
}

TEST(SitemapParts, OnlyNamesOfTheExactFormArePartNames) {
  EXPECT_EQ(partName(1), "sitemap-1.xml");
  EXPECT_EQ(partName(12), "sitemap-12.xml");
  for (const char* name : {"sitemap-1.xml", "sitemap-007.xml", "sitemap-12345678901234567890.xml"})
    EXPECT_TRUE(isPartName(name)) << name;
  for (const char* name :
       {"sitemap-.xml", "sitemap-x.xml", "sitemap-1.xml.gz", "sitemap-1.XML", "Sitemap-1.xml",
        "sitemap--1.xml", "sitemap-1 .xml", "sitemap.xml", "old-sitemap-1.xml", ""})
    EXPECT_FALSE(isPartName(name)) << name;
}

struct IndexCase {
  const char* name;
  const char* document;
  std::set<std::string> parts;
  friend void PrintTo(const IndexCase& c, std::ostream* os) { *os << c.name; }
};

class PartsNamedBy : public ::testing::TestWithParam<IndexCase> {};

TEST_P(PartsNamedBy, AreTheLastSegmentsOfLocsOfTheFormOfAPart) {
  EXPECT_EQ(partsNamedBy(GetParam().document), GetParam().parts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PartsNamedBy,
    ::testing::Values(
        IndexCase{"Index",
                  "<sitemapindex><sitemap><loc>http://s/sitemap-1.xml</loc></sitemap>"
                  "<sitemap><loc>http://s/sitemap-2.xml</loc></sitemap></sitemapindex>",
                  {"sitemap-1.xml", "sitemap-2.xml"}},
        IndexCase{"UrlsetNamesNoParts",
                  "<urlset><url><loc>http://s/sitemap-1.xml</loc></url></urlset>",
                  {}},
        IndexCase{"AnotherHostOrFolderCountsByTheLastSegment",
                  "<sitemapindex><loc>http://elsewhere/sub/sitemap-3.xml</loc></sitemapindex>",
                  {"sitemap-3.xml"}},
        IndexCase{"BlanksAfterTheLocAreIgnored",
                  "<sitemapindex><loc> http://s/sitemap-5.xml \r\n\t</loc></sitemapindex>",
                  {"sitemap-5.xml"}},
        IndexCase{"NoSlashAtAll",
                  "<sitemapindex><loc>sitemap-4.xml</loc></sitemapindex>",
                  {"sitemap-4.xml"}},
        IndexCase{"OtherNamesAndPathsThatLeadElsewhere",
                  "<sitemapindex><loc>http://s/sitemap-x.xml</loc><loc>http://s/notes.txt</loc>"
                  "<loc>http://s/sitemap-6.xml/..</loc><loc>http://s/sitemap-7.xml?x</loc>"
                  "</sitemapindex>",
                  {}},
        IndexCase{"UnclosedLocEndsTheList",
                  "<sitemapindex><loc>http://s/sitemap-1.xml</loc><loc>http://s/sitemap-2.xml",
                  {"sitemap-1.xml"}}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(SitemapParts, StalePartsAreTheOldOnesNotWrittenAgainEachWithItsCopy) {
  const std::set<std::string> old = {"sitemap-1.xml", "sitemap-02.xml", "sitemap-3.xml"};
  EXPECT_THAT(staleParts(old, 2), ElementsAre("sitemap-02.xml", "sitemap-02.xml.gz",
                                              "sitemap-3.xml", "sitemap-3.xml.gz"))
      << "sitemap-02.xml is not the name of part 2";
  EXPECT_THAT(staleParts(old, 3), ElementsAre("sitemap-02.xml", "sitemap-02.xml.gz"));
  EXPECT_EQ(staleParts(old, 0).size(), 6u) << "one file again: every old part is stale";
  EXPECT_THAT(staleParts({}, 0), IsEmpty());
}

}  // namespace
}  // namespace qorv
