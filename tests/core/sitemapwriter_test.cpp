#include "core/sitemapwriter.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <vector>

#include "core/errors.h"
#include "platform/gzip.h"
#include "tests/support/formats.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

constexpr const char* kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<urlset xmlns=\"http://www.google.com/schemas/sitemap/0.84\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xsi:schemaLocation=\"http://www.google.com/schemas/sitemap/0.84 "
    "http://www.google.com/schemas/sitemap/0.84/sitemap.xsd\">\r\n";
constexpr const char* kTail = "</urlset>\r\n";

class SitemapWriterTest : public ::testing::Test {
 protected:
  SitemapWriterTest() : writer(formats) {
    writer.now = [] { return DateTime{{2006, 6, 1}, {12, 0, 0}}; };
  }

  std::string document() const {
    std::string out;
    writer.writeDocument([&](std::string_view bytes) { out.append(bytes); }, pages, settings);
    return out;
  }

  void addTicked(std::string url, std::string date, std::string time, std::string changefreq,
                 std::string priority) {
    pages.add(std::move(url), std::move(date), std::move(time), std::move(changefreq),
              std::move(priority));
    pages.setIncluded(pages.size() - 1, true);
  }

  /// A root row, a file row and an unticked row.
  void addTypicalRows() {
    addTicked("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    addTicked("http://s/a&amp;b.htm", "31.12.2005", "12:00:00", "none", "none");
    pages.add("http://s/unticked.htm", "1.1.2006", "00:00:00", "none", "none");
  }

  LocaleFormats formats = test::dayFirstFormats();
  GeneratorSettings settings;
  PageList pages;
  SitemapWriter writer;
};

TEST_F(SitemapWriterTest, PrettyLayoutShortLastmod) {
  addTypicalRows();
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

TEST_F(SitemapWriterTest, CompactLayoutLongLastmod) {
  addTypicalRows();
  settings.compact = true;
  settings.dateOnlyLastmod = false;
  EXPECT_EQ(document(), std::string(kHead) +
                            "<url><loc>http://s/</loc><lastmod>2006-03-05T09:05:06+01:00</lastmod>"
                            "<changefreq>daily</changefreq><priority>0.5</priority></url>\r\n"
                            "<url><loc>http://s/a&amp;b.htm</loc>"
                            "<lastmod>2005-12-31T12:00:00+01:00</lastmod></url>\r\n" +
                            kTail);
}

TEST_F(SitemapWriterTest, NoTickedRowGivesTheThreeLineFile) {
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

class SitemapTags : public SitemapWriterTest, public ::testing::WithParamInterface<TagCase> {};

TEST_P(SitemapTags, NoneLeavesTheElementOutAndAnythingElseIsWritten) {
  addTicked("http://s/", "5.3.2006", "9:05:06", GetParam().changefreq, GetParam().priority);
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

class LongLastmod : public SitemapWriterTest, public ::testing::WithParamInterface<LastmodCase> {};

TEST_P(LongLastmod, IsAW3cDateTimeOrTheDateAlone) {
  addTicked("http://s/", "5.3.2006", GetParam().timeText, "none", "none");
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

TEST_F(SitemapWriterTest, UrlOfExactlyTheLimitIsWrittenOneLongerIsLeftOut) {
  const std::string prefix = "http://s/";
  // Multi-byte characters count once each.
  const std::string atLimit = prefix + std::string(2048 - prefix.size() - 1, 'a') + "š";
  addTicked(atLimit, "5.3.2006", "9:05:06", "none", "none");
  addTicked(atLimit + "b", "5.3.2006", "9:05:06", "none", "none");
  settings.compact = true;
  std::uint64_t count = 0;
  std::string out;
  count = writer.writeDocument([&](std::string_view b) { out.append(b); }, pages, settings);
  EXPECT_EQ(count, 1u);
  EXPECT_NE(out.find("<loc>" + atLimit + "</loc>"), std::string::npos);
  EXPECT_EQ(out.find(atLimit + "b"), std::string::npos);
}

TEST_F(SitemapWriterTest, CompactFileHasOneLinePerUrlPlusThree) {
  for (int i = 0; i < 7; ++i)
    addTicked("http://s/" + std::to_string(i), "5.3.2006", "9:05:06", "daily", "0.5");
  settings.compact = true;
  const std::string doc = document();
  EXPECT_EQ(std::count(doc.begin(), doc.end(), '\n'), 7 + 3);
  EXPECT_EQ(std::count(doc.begin(), doc.end(), '\r'), 7 + 3);
}

TEST_F(SitemapWriterTest, TwoDigitYearsResolveAgainstTheCurrentYear) {
  formats.shortDateFormat = "d/M/yy";
  addTicked("http://s/", "5.3.06", "9:05:06", "none", "none");
  addTicked("http://s/b", "5.3.57", "9:05:06", "none", "none");
  const std::string doc = document();
  EXPECT_NE(doc.find("<lastmod>2006-03-05</lastmod>"), std::string::npos);
  EXPECT_NE(doc.find("<lastmod>1957-03-05</lastmod>"), std::string::npos);
}

// Writing the file.

class SitemapFile : public SitemapWriterTest {
 protected:
  std::string path() const { return dir / "sitemap.xml"; }
  test::TempDir dir;
};

TEST_F(SitemapFile, WritesTheDocumentAndReportsItsSizeFromTheFolderEntry) {
  addTypicalRows();
  const SitemapResult result = writer.writeSitemap(dir.path(), pages, settings);
  EXPECT_EQ(result.filePath, path());
  EXPECT_EQ(result.urlCount, 2u);
  const std::string written = test::readFile(path());
  EXPECT_EQ(written, document());
  EXPECT_EQ(result.fileSize, written.size());
  EXPECT_EQ(test::listNames(dir.path()), "sitemap.xml");
}

TEST_F(SitemapFile, ReplacesALongerOldFileEntirelyAndKeepsItsPermissions) {
  dir.writeFile("sitemap.xml", std::string(100000, 'x'));
  ASSERT_EQ(chmod(path().c_str(), 0640), 0);
  writer.writeSitemap(dir.path(), pages, settings);
  EXPECT_EQ(test::readFile(path()), std::string(kHead) + kTail);
  struct stat st;
  ASSERT_EQ(stat(path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SitemapFile, WritesIntoTheWorkingFolderBeforeTheFirstScan) {
  char previous[4096];
  ASSERT_TRUE(getcwd(previous, sizeof previous));
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  SitemapResult result;
  EXPECT_NO_THROW(result = writer.writeSitemap("", pages, settings));
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(result.filePath, "sitemap.xml");
  EXPECT_EQ(test::readFile(path()), std::string(kHead) + kTail);
  EXPECT_EQ(
      SitemapWriter::reportText(result).rfind("Tessaly vytvorená do súboru:\rsitemap.xml\r\r", 0),
      0u);
}

TEST_F(SitemapFile, WritesNonAsciiTextAsUtf8WithoutAByteOrderMark) {
  addTicked("http://s/š.htm", "5.3.2006", "9:05:06", "none", "none");
  writer.writeSitemap(dir.path(), pages, settings);
  const std::string written = test::readFile(path());
  EXPECT_EQ(written.rfind("<?xml", 0), 0u);
  EXPECT_NE(written.find("http://s/\xC5\xA1.htm"), std::string::npos);
}

TEST_F(SitemapFile, UnreadableDateFailsAndLeavesTheOldFileAndNoTemporaryFile) {
  dir.writeFile("sitemap.xml", "old content");
  addTicked("http://s/", "5.3.2006", "9:05:06", "none", "none");
  addTicked("http://s/b", "3/5/2006", "9:05:06", "none", "none");
  try {
    writer.writeSitemap(dir.path(), pages, settings);
    FAIL() << "no error";
  } catch (const ConvertError& error) {
    EXPECT_STREQ(error.what(), "'3/5/2006' is not a valid date");
  }
  EXPECT_EQ(test::readFile(path()), "old content");
  EXPECT_EQ(test::listNames(dir.path()), "sitemap.xml");
}

TEST_F(SitemapFile, MissingFolderIsAnInputOutputError) {
  try {
    writer.writeSitemap(dir / "missing/", pages, settings);
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_NE(std::string(error.what()).find(dir / "missing/sitemap.xml"), std::string::npos);
  }
}

TEST_F(SitemapFile, FolderWhereTheFileShouldBeIsAnInputOutputError) {
  dir.makeDir("sitemap.xml");
  EXPECT_THROW(writer.writeSitemap(dir.path(), pages, settings), IoError);
  EXPECT_EQ(test::listNames(dir.path()), "sitemap.xml");
}

TEST_F(SitemapFile, ShortWriteFailsTheRunInsteadOfReportingSuccess) {
  dir.writeFile("sitemap.xml", "old content");
  for (int i = 0; i < 5000; ++i)
    addTicked("http://s/" + std::to_string(i), "5.3.2006", "9:05:06", "daily", "0.5");
  // A file size limit makes the kernel accept only part of the document.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit limited = previous;
  limited.rlim_cur = 100000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  int code = 0;
  try {
    writer.writeSitemap(dir.path(), pages, settings);
  } catch (const IoError& error) {
    code = error.code;
  }
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &previous), 0);
  EXPECT_EQ(code, EFBIG);
  EXPECT_EQ(test::readFile(path()), "old content");
  EXPECT_EQ(test::listNames(dir.path()), "sitemap.xml");
}

/// Ticked rows whose pretty document is exactly `bytes` long.
void fillToSize(PageList& pages, std::uint64_t bytes) {
  const std::uint64_t element =
      std::string(
          "   <url>\r\n      <loc></loc>\r\n      <lastmod>2006-03-05</lastmod>\r\n   </url>\r\n")
          .size();
  std::uint64_t left = bytes - std::string(kHead).size() - std::string(kTail).size();
  while (left > 2 * (element + 2048)) {
    pages.add(std::string(2000, 'a'), "5.3.2006", "0:00:00", "none", "none");
    left -= element + 2000;
  }
  // Two last rows share what is left, each within the URL length limit.
  const std::uint64_t urls = left - 2 * element;
  pages.add(std::string(urls / 2, 'b'), "5.3.2006", "0:00:00", "none", "none");
  pages.add(std::string(urls - urls / 2, 'c'), "5.3.2006", "0:00:00", "none", "none");
  pages.includeAll();
}

TEST_F(SitemapFile, SizeLimitIsInclusive) {
  for (const std::uint64_t size : {kMaxSitemapBytes, kMaxSitemapBytes + 1}) {
    PageList rows;
    fillToSize(rows, size);
    const SitemapResult result = writer.writeSitemap(dir.path(), rows, settings);
    EXPECT_EQ(result.fileSize, size);
    EXPECT_EQ(result.exceedsLimits(), size > kMaxSitemapBytes);
  }
}

TEST_F(SitemapFile, CountLimitIsInclusiveAndEveryUrlIsWritten) {
  settings.compact = true;
  for (std::uint64_t i = 0; i < kMaxSitemapUrls; ++i)
    pages.add("u", "5.3.2006", "0:00:00", "none", "none");
  pages.includeAll();
  SitemapResult result = writer.writeSitemap(dir.path(), pages, settings);
  EXPECT_EQ(result.urlCount, kMaxSitemapUrls);
  EXPECT_FALSE(result.exceedsLimits());
  addTicked("u", "5.3.2006", "0:00:00", "none", "none");
  result = writer.writeSitemap(dir.path(), pages, settings);
  EXPECT_EQ(result.urlCount, kMaxSitemapUrls + 1);
  EXPECT_TRUE(result.exceedsLimits());
  const std::string written = test::readFile(path());
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 50001 + 3);
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
  friend void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }
};

class ReportText : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ReportText, ShowsPathSizeCountAndEachLimitExceeded) {
  const ReportCase& c = GetParam();
  const SitemapResult result{
      "/site/sitemap.xml", c.count, c.size, c.maxBytes, c.parts, c.gzip, c.robots};
  EXPECT_EQ(SitemapWriter::reportText(result), c.text);
  EXPECT_EQ(result.exceedsLimits(), std::string_view(c.text).find("Chyba") != std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportText,
    ::testing::Values(
        ReportCase{"WithinLimits", 2345, 12,
                   "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 2345 B"
                   "\r\rPočet Url: 12"},
        ReportCase{"AtBothLimits", 10485760, 50000,
                   "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 10485760 B"
                   "\r\rPočet Url: 50000"},
        ReportCase{"SizeOver", 10485761, 0,
                   "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 10485761 B"
                   "\rChyba - je prekročená maximálna veľkosť súboru 10485760 B.\r\rPočet Url: 0"},
        ReportCase{
            "BothOver", 10485761, 50001,
            "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 10485761 B"
            "\rChyba - je prekročená maximálna veľkosť súboru 10485760 B.\r\rPočet Url: 50001"
            "\rChyba - je prekročený maximálny počet 50000 Url."},
        // Schema 0.9 allows 50 MiB, and its error names that limit.
        ReportCase{"SizeOverTheLimitOfSchema09", 52428801, 1,
                   "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 52428801 B"
                   "\rChyba - je prekročená maximálna veľkosť súboru 52428800 B.\r\rPočet Url: 1",
                   kMaxSitemapBytes09},
        ReportCase{"WithinTheLimitOfSchema09", 52428800, 1,
                   "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 52428800 B"
                   "\r\rPočet Url: 1",
                   kMaxSitemapBytes09},
        // An index names parts that are each within the limits.
        ReportCase{"IndexOfPartsWithCopiesAndRobotsLine", 420, 120000,
                   "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 420 B"
                   "\r\rPočet Url: 120000\r\rPočet súborov: 3\r\rKomprimované kópie: .gz"
                   "\r\rrobots.txt: doplnený riadok Sitemap",
                   kMaxSitemapBytes, 3, true, SitemapResult::RobotsLine::Added},
        ReportCase{"RobotsLineAlreadyThere", 2345, 12,
                   "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 2345 B"
                   "\r\rPočet Url: 12\r\rrobots.txt: riadok Sitemap už je",
                   kMaxSitemapBytes, 0, false, SitemapResult::RobotsLine::AlreadyThere}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

// The options for search engines: schema 0.9, parts under an index, gzip
// copies and the robots.txt line.

std::string urlsetHead(const char* ns) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<urlset xmlns=\"") + ns +
         "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\"" + ns +
         " " + ns + "/sitemap.xsd\">\r\n";
}

std::string indexHead(const char* ns) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<sitemapindex xmlns=\"") + ns +
         "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\"" + ns +
         " " + ns + "/siteindex.xsd\">\r\n";
}

constexpr const char* k084 = "http://www.google.com/schemas/sitemap/0.84";
constexpr const char* k09 = "http://www.sitemaps.org/schemas/sitemap/0.9";

/// The text of every loc element of a document, in order.
std::vector<std::string> locs(const std::string& document) {
  std::vector<std::string> found;
  for (std::size_t at = document.find("<loc>"); at != std::string::npos;
       at = document.find("<loc>", at)) {
    at += 5;
    found.push_back(document.substr(at, document.find("</loc>", at) - at));
  }
  return found;
}

class SearchEngineFiles : public SitemapFile {
 protected:
  void addRows(std::size_t count, std::size_t urlLength = 0) {
    for (std::size_t i = 0; i < count; ++i) {
      std::string url = "http://s/" + std::to_string(i);
      if (url.size() < urlLength) url.append(urlLength - url.size(), 'x');
      pages.add(std::move(url), "5.3.2006", "0:00:00", "none", "none");
    }
    pages.includeAll();
  }
  std::vector<std::string> rowUrls() const {
    std::vector<std::string> urls;
    for (const PageEntry& row : pages) urls.push_back(row.url);
    return urls;
  }
  SitemapResult write() const {
    return writer.writeSitemap(dir.path(), "http://s/", pages, settings);
  }
};

TEST_F(SearchEngineFiles, Schema09ChangesTheNamespaceAndNothingElse) {
  addTypicalRows();
  const std::string old = document();
  settings.schema = SitemapSchema::V09;
  const std::string now = document();
  EXPECT_EQ(old.substr(0, urlsetHead(k084).size()), urlsetHead(k084));
  EXPECT_EQ(now.substr(0, urlsetHead(k09).size()), urlsetHead(k09));
  EXPECT_EQ(old.substr(urlsetHead(k084).size()), now.substr(urlsetHead(k09).size()));
}

TEST_F(SearchEngineFiles, CountLimitSplitsIntoPartsInListOrderUnderAnIndex) {
  settings.splitIndex = true;
  settings.compact = true;
  for (const SitemapSchema schema : {SitemapSchema::V084, SitemapSchema::V09}) {
    SCOPED_TRACE(schema == SitemapSchema::V09 ? "0.9" : "0.84");
    settings.schema = schema;
    const char* ns = schema == SitemapSchema::V09 ? k09 : k084;
    pages.clear();
    addRows(kMaxSitemapUrls);
    SitemapResult result = write();
    EXPECT_EQ(result.partCount, 0u) << "exactly the limit fits one file";
    EXPECT_EQ(test::listNames(dir.path()), "sitemap.xml");
    EXPECT_EQ(locs(test::readFile(path())), rowUrls());

    addRows(1);
    pages.at(kMaxSitemapUrls);  // the row past the limit
    result = write();
    EXPECT_EQ(result.partCount, 2u);
    EXPECT_EQ(result.urlCount, kMaxSitemapUrls + 1);
    EXPECT_FALSE(result.exceedsLimits());
    EXPECT_EQ(test::listNames(dir.path()), "sitemap-1.xml sitemap-2.xml sitemap.xml");
    const std::string index = test::readFile(path());
    EXPECT_EQ(index, indexHead(ns) +
                         "<sitemap><loc>http://s/sitemap-1.xml</loc><lastmod>2006-06-01</lastmod>"
                         "</sitemap>\r\n"
                         "<sitemap><loc>http://s/sitemap-2.xml</loc><lastmod>2006-06-01</lastmod>"
                         "</sitemap>\r\n</sitemapindex>\r\n");
    EXPECT_EQ(result.fileSize, index.size());
    const std::string first = test::readFile(dir / "sitemap-1.xml");
    const std::string second = test::readFile(dir / "sitemap-2.xml");
    EXPECT_EQ(first.substr(0, urlsetHead(ns).size()), urlsetHead(ns));
    EXPECT_EQ(second.substr(0, urlsetHead(ns).size()), urlsetHead(ns));
    std::vector<std::string> both = locs(first);
    EXPECT_EQ(both.size(), kMaxSitemapUrls);
    both.push_back(locs(second).at(0));
    EXPECT_EQ(both, rowUrls()) << "every row once, in list order";
  }
}

TEST_F(SearchEngineFiles, ByteLimitSplitsSoThatNoPartExceedsIt) {
  settings.splitIndex = true;
  addRows(6000, 2000);  // about 12 MB in all
  const SitemapResult result = write();
  ASSERT_EQ(result.partCount, 2u);
  std::vector<std::string> all;
  for (const char* part : {"sitemap-1.xml", "sitemap-2.xml"}) {
    const std::string written = test::readFile(dir / part);
    EXPECT_LE(written.size(), kMaxSitemapBytes) << part;
    const std::vector<std::string> found = locs(written);
    all.insert(all.end(), found.begin(), found.end());
  }
  EXPECT_EQ(all, rowUrls());
  // The pretty layout of the index follows that of the urlset.
  EXPECT_EQ(test::readFile(path()), indexHead(k084) +
                                        "   <sitemap>\r\n"
                                        "      <loc>http://s/sitemap-1.xml</loc>\r\n"
                                        "      <lastmod>2006-06-01</lastmod>\r\n"
                                        "   </sitemap>\r\n"
                                        "   <sitemap>\r\n"
                                        "      <loc>http://s/sitemap-2.xml</loc>\r\n"
                                        "      <lastmod>2006-06-01</lastmod>\r\n"
                                        "   </sitemap>\r\n"
                                        "</sitemapindex>\r\n");
  // Schema 0.9 allows 50 MiB: the same rows fit one file.
  settings.schema = SitemapSchema::V09;
  EXPECT_EQ(write().partCount, 0u);
}

TEST_F(SearchEngineFiles, StalePartsOfTheOldIndexGoAndNothingElse) {
  settings.splitIndex = true;
  settings.compact = true;
  test::TempDir other;
  const std::string elsewhere = other.writeFile("sitemap-4.xml", "not ours");
  dir.writeFile("sub/sitemap-3.xml", "in a sub-folder");
  for (const char* name : {"sitemap-1.xml", "sitemap-2.xml", "sitemap-2.xml.gz", "sitemap-3.xml",
                           "sitemap-3.xml.gz", "sitemap-x.xml", "notes.txt"})
    dir.writeFile(name, "old");
  dir.makeDir("sitemap-5.xml");
  ASSERT_EQ(symlink(elsewhere.c_str(), (dir / "sitemap-4.xml").c_str()), 0);
  dir.writeFile("sitemap.xml",
                "<sitemapindex>"
                "<loc>http://s/sitemap-1.xml</loc><loc>http://s/sitemap-2.xml</loc>"
                "<loc>http://elsewhere/sub/sitemap-3.xml</loc><loc>http://s/sitemap-4.xml</loc>"
                "<loc> http://s/sitemap-5.xml </loc><loc>http://s/sitemap-x.xml</loc>"
                "<loc>http://s/notes.txt</loc><loc>http://s/sitemap-6.xml/..</loc>"
                "</sitemapindex>");
  addRows(kMaxSitemapUrls + 1);
  ASSERT_EQ(write().partCount, 2u);
  // Parts 1 and 2 are rewritten; 3 is stale and goes with its copy; the
  // link, the folder and names of another form stay, as does every file
  // outside the scan folder.
  EXPECT_EQ(test::listNames(dir.path()),
            "notes.txt sitemap-1.xml sitemap-2.xml sitemap-2.xml.gz sitemap-4.xml sitemap-5.xml "
            "sitemap-x.xml sitemap.xml sub");
  EXPECT_EQ(test::readFile(dir / "sub/sitemap-3.xml"), "in a sub-folder");
  EXPECT_EQ(test::readFile(elsewhere), "not ours");

  // Fitting one file again, every part of the index before is stale.
  pages.clear();
  addRows(3);
  EXPECT_EQ(write().partCount, 0u);
  EXPECT_EQ(test::listNames(dir.path()),
            "notes.txt sitemap-4.xml sitemap-5.xml sitemap-x.xml sitemap.xml sub")
      << "a part goes with its copy";
}

TEST_F(SearchEngineFiles, WithoutTheSplitOnlySitemapXmlIsTouched) {
  dir.writeFile("sitemap-1.xml", "old part");
  dir.writeFile("sitemap.xml", "<sitemapindex><loc>http://s/sitemap-1.xml</loc></sitemapindex>");
  addRows(kMaxSitemapUrls + 1);
  const SitemapResult result = write();
  EXPECT_EQ(result.partCount, 0u);
  EXPECT_TRUE(result.exceedsLimits()) << "one file over the limit, as ever";
  EXPECT_EQ(test::readFile(dir / "sitemap-1.xml"), "old part");
}

TEST_F(SearchEngineFiles, GzipCopiesHoldExactlyTheBytesOfTheirFiles) {
  settings.gzip = true;
  settings.splitIndex = true;
  dir.writeFile("sitemap.xml.gz", "old copy");
  addRows(kMaxSitemapUrls + 1);
  const SitemapResult result = write();
  EXPECT_TRUE(result.gzipCopies);
  EXPECT_EQ(test::listNames(dir.path()),
            "sitemap-1.xml sitemap-1.xml.gz sitemap-2.xml sitemap-2.xml.gz sitemap.xml "
            "sitemap.xml.gz");
  for (const char* name : {"sitemap-1.xml", "sitemap-2.xml", "sitemap.xml"}) {
    std::string unpacked;
    ASSERT_TRUE(gunzip(test::readFile(dir / (std::string(name) + ".gz")), unpacked)) << name;
    EXPECT_EQ(unpacked, test::readFile(dir / name)) << name;
  }
  // With the option off, an existing copy is left alone.
  settings.gzip = false;
  pages.clear();
  addRows(1);
  write();
  std::string unpacked;
  ASSERT_TRUE(gunzip(test::readFile(dir / "sitemap.xml.gz"), unpacked));
  EXPECT_NE(unpacked, test::readFile(path()));
}

TEST_F(SearchEngineFiles, WhatStandsInAPartsWayFailsTheWriteBeforeAnythingChanges) {
  settings.splitIndex = true;
  settings.gzip = true;
  dir.writeFile("sitemap.xml", "old");
  dir.makeDir("sitemap-2.xml.gz");
  addRows(kMaxSitemapUrls + 1);
  EXPECT_THROW(write(), IoError);
  EXPECT_EQ(test::readFile(path()), "old");
  EXPECT_EQ(test::listNames(dir.path()), "sitemap-2.xml.gz sitemap.xml") << "no temporary file";
}

TEST_F(SearchEngineFiles, RobotsTxtNamesTheSitemapOnceAndALinkThereChangesNothing) {
  settings.robotsTxt = true;
  addRows(1);
  SitemapResult result = write();
  EXPECT_EQ(result.robotsLine, SitemapResult::RobotsLine::Added);
  EXPECT_EQ(test::readFile(dir / "robots.txt"), "Sitemap: http://s/sitemap.xml\r\n");
  result = write();
  EXPECT_EQ(result.robotsLine, SitemapResult::RobotsLine::AlreadyThere);

  // A robots.txt that is a link is read before anything is written: the
  // write fails and changes nothing, the sitemap included.
  std::filesystem::remove(dir / "robots.txt");
  ASSERT_EQ(symlink("elsewhere.txt", (dir / "robots.txt").c_str()), 0);
  std::filesystem::remove(path());
  try {
    write();
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.message(), "Cannot read \"" + dir / "robots.txt" +
                                   "\": it is a symbolic link, never written through");
  }
  EXPECT_FALSE(test::fileExists(path()));
  EXPECT_EQ(test::listNames(dir.path()), "robots.txt");
}

class LinkedOutput : public SearchEngineFiles, public ::testing::WithParamInterface<const char*> {};

TEST_P(LinkedOutput, IsNeverWrittenThroughAndNothingChanges) {
  // Every file a write with parts, copies and robots.txt makes, in turn a
  // link to a file of the user's elsewhere.
  settings.splitIndex = true;
  settings.gzip = true;
  settings.robotsTxt = true;
  settings.compact = true;
  addRows(kMaxSitemapUrls + 1);
  test::TempDir other;
  const std::string mine = other.writeFile("mine.txt", "mine");
  const bool sitemapLinked = std::string(GetParam()) == "sitemap.xml";
  if (!sitemapLinked) dir.writeFile("sitemap.xml", "old");
  ASSERT_EQ(symlink(mine.c_str(), (dir / GetParam()).c_str()), 0);
  const std::string before = test::listNames(dir.path());
  try {
    write();
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_STREQ(error.className(), "EInOutError");
    const std::string tail = dir / GetParam() + "\": it is a symbolic link, never written through";
    EXPECT_TRUE(error.message().ends_with(tail)) << error.message();
  }
  EXPECT_EQ(test::readFile(mine), "mine");
  EXPECT_EQ(test::listNames(dir.path()), before);
  if (!sitemapLinked) {
    EXPECT_EQ(test::readFile(path()), "old");
  }
}

INSTANTIATE_TEST_SUITE_P(Names, LinkedOutput,
                         ::testing::Values("sitemap.xml", "sitemap.xml.gz", "sitemap-1.xml",
                                           "sitemap-2.xml.gz", "robots.txt"),
                         [](const auto& caseInfo) {
                           std::string name = caseInfo.param;
                           for (char& c : name)
                             if (c == '.' || c == '-') c = '_';
                           return name;
                         });

}  // namespace
}  // namespace qorv
