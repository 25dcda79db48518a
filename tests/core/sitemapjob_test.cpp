#include "core/sitemapjob.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/formats.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

struct Inputs final : ScanInputs {
  std::string folder;
  std::string url;
  std::string localFolder() const override { return folder; }
  std::string siteUrl() const override { return url; }
};

TEST(SitemapJob, ScanWarnsOfLongUrlsThenWritesTheTickedRowsAndReportsInLines) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  dir.writeFile("b.htm");
  GeneratorSettings settings;
  PageList pages;
  Inputs inputs;
  inputs.folder = dir.path();
  inputs.url = "http://s/";
  const LocaleFormats formats = test::dayFirstFormats();
  SitemapJob job(settings, pages, inputs, formats);

  ASSERT_TRUE(job.scan());
  EXPECT_EQ(pages.size(), 3u);
  EXPECT_EQ(job.scanWarning(), "");
  inputs.url = "http://s/" + std::string(2048, 'u');
  ASSERT_TRUE(job.scan());
  EXPECT_EQ(job.scanWarning(), "2 Url presiahlo max. povolenú dĺžku 2048 znakov.");

  // Every row of that scan, the root row too, is too long to be written.
  pages.includeAll();
  const SitemapResult result = job.write();
  EXPECT_EQ(result.filePath, dir / "sitemap.xml");
  EXPECT_EQ(result.urlCount, 0u);
  EXPECT_EQ(SitemapJob::report(result),
            "Tessaly vytvorená do súboru:\n" + result.filePath +
                "\n\nVeľkosť súboru: " + std::to_string(result.fileSize) + " B\n\nPočet Url: 0");
}

struct ReportCase {
  const char* name;
  std::uint64_t size;
  std::uint64_t count;
  const char* text;
  std::uint64_t maxBytes = kMaxSitemapBytes;
  std::uint64_t parts = 0;
  bool gzip = false;
  SitemapResult::RobotsLine robots = SitemapResult::RobotsLine::Untouched;
  const char* path = "/site/sitemap.xml";
  SitemapResult::StylesheetFile stylesheet = SitemapResult::StylesheetFile::Untouched;
  friend void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }
};

class SitemapJobReport : public ::testing::TestWithParam<ReportCase> {};

TEST_P(SitemapJobReport, ShowsPathSizeCountAndEachLimitExceeded) {
  const ReportCase& c = GetParam();
  const SitemapResult result{c.path,  c.count, c.size,   c.maxBytes,
                             c.parts, c.gzip,  c.robots, c.stylesheet};
  EXPECT_EQ(SitemapJob::report(result), c.text);
  EXPECT_EQ(result.exceedsLimits(), std::string_view(c.text).find("Chyba") != std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SitemapJobReport,
    ::testing::Values(
        ReportCase{"WithinLimits", 2345, 12,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 2345 B"
                   "\n\nPočet Url: 12"},
        ReportCase{"AtBothLimits", 10485760, 50000,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 10485760 B"
                   "\n\nPočet Url: 50000"},
        ReportCase{"SizeOver", 10485761, 0,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 10485761 B"
                   "\nChyba - je prekročená maximálna veľkosť súboru 10485760 B.\n\nPočet Url: 0"},
        ReportCase{
            "BothOver", 10485761, 50001,
            "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 10485761 B"
            "\nChyba - je prekročená maximálna veľkosť súboru 10485760 B.\n\nPočet Url: 50001"
            "\nChyba - je prekročený maximálny počet 50000 Url."},
        // Schema 0.9 allows 50 MiB, and its error names that limit.
        ReportCase{"SizeOverTheLimitOfSchema09", 52428801, 1,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 52428801 B"
                   "\nChyba - je prekročená maximálna veľkosť súboru 52428800 B.\n\nPočet Url: 1",
                   kMaxSitemapBytes09},
        ReportCase{"WithinTheLimitOfSchema09", 52428800, 1,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 52428800 B"
                   "\n\nPočet Url: 1",
                   kMaxSitemapBytes09},
        // An index names parts that are each within the limits.
        ReportCase{"IndexOfPartsWithCopiesAndRobotsLine", 420, 120000,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 420 B"
                   "\n\nPočet Url: 120000\n\nPočet súborov: 3\n\nKomprimované kópie: .gz"
                   "\n\nrobots.txt: doplnený riadok Sitemap",
                   kMaxSitemapBytes, 3, true, SitemapResult::RobotsLine::Added},
        ReportCase{"RobotsLineAlreadyThere", 2345, 12,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 2345 B"
                   "\n\nPočet Url: 12\n\nrobots.txt: riadok Sitemap už je",
                   kMaxSitemapBytes, 0, false, SitemapResult::RobotsLine::AlreadyThere},
        // A line break in the folder's name breaks the line there, whichever
        // it is.
        ReportCase{"LineBreaksInThePath", 2345, 12,
                   "Tessaly vytvorená do súboru:\n/a\nb\nc/sitemap.xml\n\nVeľkosť súboru: 2345 B"
                   "\n\nPočet Url: 12",
                   kMaxSitemapBytes, 0, false, SitemapResult::RobotsLine::Untouched,
                   "/a\rb\nc/sitemap.xml"},
        // The program's own sitemap.xsl goes without a word; one of the
        // user's in its place is named, after the other options' lines.
        ReportCase{"UsersStylesheetLeftInPlace", 420, 120000,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 420 B"
                   "\n\nPočet Url: 120000\n\nPočet súborov: 3\n\nKomprimované kópie: .gz"
                   "\n\nrobots.txt: riadok Sitemap už je"
                   "\n\nsitemap.xsl už existuje a nie je náš: ponechaný.",
                   kMaxSitemapBytes, 3, true, SitemapResult::RobotsLine::AlreadyThere,
                   "/site/sitemap.xml", SitemapResult::StylesheetFile::NotOurs},
        ReportCase{"OwnStylesheetWritten", 2345, 12,
                   "Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 2345 B"
                   "\n\nPočet Url: 12",
                   kMaxSitemapBytes, 0, false, SitemapResult::RobotsLine::Untouched,
                   "/site/sitemap.xml", SitemapResult::StylesheetFile::Written}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

struct LeftOutReportCase {
  const char* name;
  std::vector<LeftOutReason> reasons;
  std::size_t kept;
  std::uint64_t parts;
  const char* text;  // after "Počet Url: 12"
  friend void PrintTo(const LeftOutReportCase& c, std::ostream* os) { *os << c.name; }
};

class SitemapJobLeftOutReport : public ::testing::TestWithParam<LeftOutReportCase> {};

TEST_P(SitemapJobLeftOutReport, FollowsTheUrlCountAndPrecedesTheSearchEngineLines) {
  const LeftOutReportCase& c = GetParam();
  LeftOutList leftOut;
  for (const LeftOutReason reason : c.reasons) leftOut.add("p.htm", reason);
  const SitemapResult result{"/site/sitemap.xml",
                             12,
                             2345,
                             kMaxSitemapBytes,
                             c.parts,
                             false,
                             SitemapResult::RobotsLine::Added};
  EXPECT_EQ(SitemapJob::report(result, leftOut, c.kept),
            std::string("Tessaly vytvorená do súboru:\n/site/sitemap.xml\n\nVeľkosť súboru: 2345 B"
                        "\n\nPočet Url: 12") +
                c.text + "\n\nrobots.txt: doplnený riadok Sitemap");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SitemapJobLeftOutReport,
    ::testing::Values(
        LeftOutReportCase{"NothingLeftOutAddsNothing", {}, 0, 0, ""},
        LeftOutReportCase{"BothReasonsInRuleOrder",
                          {LeftOutReason::Robots, LeftOutReason::Exclude, LeftOutReason::Exclude},
                          3,
                          2,
                          "\n\nVynechané stránky: 3 (vylúčené vzorom 2, zakázané v robots.txt 1)"
                          "\n\nPočet súborov: 2"},
        LeftOutReportCase{"OnlyTheReasonThatOccurred",
                          {LeftOutReason::Exclude},
                          1,
                          0,
                          "\n\nVynechané stránky: 1 (vylúčené vzorom 1)"},
        LeftOutReportCase{"EveryPageByOneRule",
                          {LeftOutReason::Robots, LeftOutReason::Robots},
                          0,
                          0,
                          "\n\nVynechané stránky: 2 (zakázané v robots.txt 2)"
                          "\nVšetky stránky vynechané pravidlom: zakázané v robots.txt. "
                          "Skontrolujte adresu webu a nastavenia."},
        LeftOutReportCase{"EveryPageByTwoRules",
                          {LeftOutReason::Robots, LeftOutReason::Exclude},
                          0,
                          0,
                          "\n\nVynechané stránky: 2 (vylúčené vzorom 1, zakázané v robots.txt 1)"},
        LeftOutReportCase{
            "UnreadablePagesAfterTheLeftOutLine",
            {LeftOutReason::Unreadable, LeftOutReason::Noindex, LeftOutReason::Unreadable},
            2,
            0,
            "\n\nVynechané stránky: 1 (noindex 1)\nNečitateľné stránky: 2"},
        LeftOutReportCase{"UnreadablePagesAlone",
                          {LeftOutReason::Unreadable},
                          1,
                          0,
                          "\n\nNečitateľné stránky: 1"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(SitemapJob, CompletionMessageTellsWhatTheLastScanLeftOut) {
  test::TempDir dir;
  dir.writeFile("404.html");
  dir.writeFile("drafts/a.htm");
  GeneratorSettings settings;
  settings.excludePatterns = "404.html;drafts/";
  PageList pages;
  Inputs inputs;
  inputs.folder = dir.path();
  inputs.url = "http://s/";
  const LocaleFormats formats = test::dayFirstFormats();
  SitemapJob job(settings, pages, inputs, formats);
  ASSERT_TRUE(job.scan());
  pages.includeAll();
  const SitemapResult result = job.write();
  EXPECT_EQ(result.urlCount, 1u) << "the root row";
  EXPECT_EQ(job.completionMessage(result),
            SitemapJob::report(result) +
                "\n\nVynechané stránky: 2 (vylúčené vzorom 2)\nVšetky stránky vynechané "
                "pravidlom: vylúčené vzorom. Skontrolujte adresu webu a nastavenia.");
  settings.excludePatterns.clear();
  ASSERT_TRUE(job.scan());
  EXPECT_EQ(job.completionMessage(result), SitemapJob::report(result));
}

TEST(SitemapJob, CompletionMessageCountsPagesWhoseVersionsDoNotLinkBack) {
  test::TempDir dir;
  const auto page = [](std::string_view links) {
    return "<html><head>" + std::string(links) + "</head><body></body></html>";
  };
  // en names sk, which names only itself; de names en, which does not
  // name it back; fr names en and itself too but is left out.
  dir.writeFile("en.html", page(R"(<link rel=alternate hreflang=en href=en.html>)"
                                R"(<link rel=alternate hreflang=sk href=sk.html>)"));
  dir.writeFile("sk.html", page(R"(<link rel=alternate hreflang=sk href=sk.html>)"));
  dir.writeFile("de.html", page(R"(<link rel=alternate hreflang=en href=en.html>)"));
  dir.writeFile("fr.html", page(R"(<link rel=alternate hreflang=en href=en.html>)"));
  GeneratorSettings settings;
  settings.schema = SitemapSchema::V09;
  settings.hreflang = true;
  settings.excludePatterns = "fr.html";
  PageList pages;
  Inputs inputs;
  inputs.folder = dir.path();
  inputs.url = "http://s/";
  const LocaleFormats formats = test::dayFirstFormats();
  SitemapJob job(settings, pages, inputs, formats);
  ASSERT_TRUE(job.scan());
  pages.includeAll();
  SitemapResult result = job.write();
  std::vector<std::string> counted = result.withoutReturnLinks;
  std::sort(counted.begin(), counted.end());
  EXPECT_THAT(counted, ElementsAre("http://s/de.html", "http://s/en.html"));
  EXPECT_THAT(job.completionMessage(result),
              EndsWith("\n\nPočet Url: 4\n\nVynechané stránky: 1 (vylúčené vzorom 1)"
                       "\n\nJazykové verzie bez spätného odkazu: 2"));
  // With the parts' line after it.
  result.partCount = 2;
  EXPECT_THAT(SitemapJob::report(result),
              EndsWith("\n\nJazykové verzie bez spätného odkazu: 2\n\nPočet súborov: 2"));

  // Without the option, or with schema 0.84, nothing is counted.
  for (const SitemapSchema schema : {SitemapSchema::V09, SitemapSchema::V084}) {
    settings.schema = schema;
    settings.hreflang = schema == SitemapSchema::V084;
    ASSERT_TRUE(job.scan());
    pages.includeAll();
    result = job.write();
    EXPECT_THAT(result.withoutReturnLinks, IsEmpty());
    EXPECT_THAT(job.completionMessage(result), Not(HasSubstr("Jazykové")));
  }
}

}  // namespace
}  // namespace qorv
