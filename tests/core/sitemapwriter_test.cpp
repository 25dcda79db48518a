#include "core/sitemapwriter.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include "core/errors.h"
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

class SitemapWriter : public ::testing::Test {
 protected:
  SitemapWriter() : Writer(Formats) {
    Writer.Now = [] { return TDateTime{{2006, 6, 1}, {12, 0, 0}}; };
  }

  std::string Document() const {
    std::string out;
    Writer.WriteDocument([&](std::string_view bytes) { out.append(bytes); }, Pages, Settings);
    return out;
  }

  void AddTicked(std::string url, std::string date, std::string time, std::string changefreq,
                 std::string priority) {
    Pages.Add(std::move(url), std::move(date), std::move(time), std::move(changefreq),
              std::move(priority));
    Pages.SetIncluded(Pages.Count() - 1, true);
  }

  /// A root row, a file row and an unticked row.
  void AddTypicalRows() {
    AddTicked("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    AddTicked("http://s/a&amp;b.htm", "31.12.2005", "12:00:00", "none", "none");
    Pages.Add("http://s/unticked.htm", "1.1.2006", "00:00:00", "none", "none");
  }

  TLocaleFormats Formats = test::DayFirstFormats();
  TGeneratorSettings Settings;
  TPageList Pages;
  TSitemapWriter Writer;
};

TEST_F(SitemapWriter, PrettyLayoutShortLastmod) {
  AddTypicalRows();
  EXPECT_EQ(Document(), std::string(kHead) +
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

TEST_F(SitemapWriter, CompactLayoutLongLastmod) {
  AddTypicalRows();
  Settings.Compact = true;
  Settings.TimeShort = false;
  EXPECT_EQ(Document(), std::string(kHead) +
                            "<url><loc>http://s/</loc><lastmod>2006-03-05T9:05:06+01:00</lastmod>"
                            "<changefreq>daily</changefreq><priority>0.5</priority></url>\r\n"
                            "<url><loc>http://s/a&amp;b.htm</loc>"
                            "<lastmod>2005-12-31T12:00:00+01:00</lastmod></url>\r\n" +
                            kTail);
}

TEST_F(SitemapWriter, NoTickedRowGivesTheThreeLineFile) {
  Pages.Add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
  EXPECT_EQ(Document(), std::string(kHead) + kTail);
}

struct TTagCase {
  const char* Name;
  const char* Changefreq;
  const char* Priority;
  const char* Elements;  // what follows lastmod
  friend void PrintTo(const TTagCase& c, std::ostream* os) { *os << c.Name; }
};

class SitemapTags : public SitemapWriter, public ::testing::WithParamInterface<TTagCase> {};

TEST_P(SitemapTags, NoneLeavesTheElementOutAndAnythingElseIsWritten) {
  AddTicked("http://s/", "5.3.2006", "9:05:06", GetParam().Changefreq, GetParam().Priority);
  Settings.Compact = true;
  EXPECT_EQ(Document(), std::string(kHead) +
                            "<url><loc>http://s/</loc><lastmod>2006-03-05</lastmod>" +
                            GetParam().Elements + "</url>\r\n" + kTail);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SitemapTags,
    ::testing::Values(
        TTagCase{"ChangefreqNone", "none", "0.5", "<priority>0.5</priority>"},
        TTagCase{"BothNone", "none", "none", ""},
        TTagCase{"CapitalNoneIsContent", "None", "none", "<changefreq>None</changefreq>"},
        TTagCase{"EmptyIsContent", "none", "", "<priority></priority>"},
        TTagCase{"TypedTextIsEscaped", "a<b&c", "none", "<changefreq>a&lt;b&amp;c</changefreq>"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(SitemapWriter, LongLastmodCarriesTheTimeTextAndZoneUnchanged) {
  AddTicked("http://s/", "5.3.2006", "9:05:06 PM", "none", "none");
  Settings.TimeShort = false;
  Settings.TimeZone.SetIndex(12);
  Settings.Compact = true;
  EXPECT_NE(Document().find("<lastmod>2006-03-05T9:05:06 PM+00:00</lastmod>"), std::string::npos);
}

TEST_F(SitemapWriter, UrlOfExactlyTheLimitIsWrittenOneLongerIsLeftOut) {
  const std::string prefix = "http://s/";
  // Multi-byte characters count once each.
  const std::string atLimit = prefix + std::string(2048 - prefix.size() - 1, 'a') + "š";
  AddTicked(atLimit, "5.3.2006", "9:05:06", "none", "none");
  AddTicked(atLimit + "b", "5.3.2006", "9:05:06", "none", "none");
  Settings.Compact = true;
  std::uint64_t count = 0;
  std::string out;
  count = Writer.WriteDocument([&](std::string_view b) { out.append(b); }, Pages, Settings);
  EXPECT_EQ(count, 1u);
  EXPECT_NE(out.find("<loc>" + atLimit + "</loc>"), std::string::npos);
  EXPECT_EQ(out.find(atLimit + "b"), std::string::npos);
}

TEST_F(SitemapWriter, CompactFileHasOneLinePerUrlPlusThree) {
  for (int i = 0; i < 7; ++i)
    AddTicked("http://s/" + std::to_string(i), "5.3.2006", "9:05:06", "daily", "0.5");
  Settings.Compact = true;
  const std::string doc = Document();
  EXPECT_EQ(std::count(doc.begin(), doc.end(), '\n'), 7 + 3);
  EXPECT_EQ(std::count(doc.begin(), doc.end(), '\r'), 7 + 3);
}

TEST_F(SitemapWriter, TwoDigitYearsResolveAgainstTheCurrentYear) {
  Formats.ShortDateFormat = "d/M/yy";
  AddTicked("http://s/", "5.3.06", "9:05:06", "none", "none");
  AddTicked("http://s/b", "5.3.57", "9:05:06", "none", "none");
  const std::string doc = Document();
  EXPECT_NE(doc.find("<lastmod>2006-03-05</lastmod>"), std::string::npos);
  EXPECT_NE(doc.find("<lastmod>1957-03-05</lastmod>"), std::string::npos);
}

// Writing the file.

class SitemapFile : public SitemapWriter {
 protected:
  std::string Path() const { return Dir / "sitemap.xml"; }
  test::TTempDir Dir;
};

TEST_F(SitemapFile, WritesTheDocumentAndReportsItsSizeFromTheFolderEntry) {
  AddTypicalRows();
  const TSitemapResult result = Writer.WriteSitemap(Dir.Path(), Pages, Settings);
  EXPECT_EQ(result.FilePath, Path());
  EXPECT_EQ(result.UrlCount, 2u);
  const std::string written = test::ReadFile(Path());
  EXPECT_EQ(written, Document());
  EXPECT_EQ(result.FileSize, written.size());
  EXPECT_EQ(test::ListNames(Dir.Path()), "sitemap.xml");
}

TEST_F(SitemapFile, ReplacesALongerOldFileEntirelyAndKeepsItsPermissions) {
  Dir.WriteFile("sitemap.xml", std::string(100000, 'x'));
  ASSERT_EQ(chmod(Path().c_str(), 0640), 0);
  Writer.WriteSitemap(Dir.Path(), Pages, Settings);
  EXPECT_EQ(test::ReadFile(Path()), std::string(kHead) + kTail);
  struct stat st;
  ASSERT_EQ(stat(Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SitemapFile, WritesIntoTheWorkingFolderBeforeTheFirstScan) {
  char previous[4096];
  ASSERT_TRUE(getcwd(previous, sizeof previous));
  ASSERT_EQ(chdir(Dir.Path().c_str()), 0);
  TSitemapResult result;
  EXPECT_NO_THROW(result = Writer.WriteSitemap("", Pages, Settings));
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(result.FilePath, "sitemap.xml");
  EXPECT_EQ(test::ReadFile(Path()), std::string(kHead) + kTail);
  EXPECT_EQ(
      TSitemapWriter::ReportText(result).rfind("Tessaly vytvorená do súboru:\rsitemap.xml\r\r", 0),
      0u);
}

TEST_F(SitemapFile, WritesNonAsciiTextAsUtf8WithoutAByteOrderMark) {
  AddTicked("http://s/š.htm", "5.3.2006", "9:05:06", "none", "none");
  Writer.WriteSitemap(Dir.Path(), Pages, Settings);
  const std::string written = test::ReadFile(Path());
  EXPECT_EQ(written.rfind("<?xml", 0), 0u);
  EXPECT_NE(written.find("http://s/\xC5\xA1.htm"), std::string::npos);
}

TEST_F(SitemapFile, UnreadableDateFailsAndLeavesTheOldFileAndNoTemporaryFile) {
  Dir.WriteFile("sitemap.xml", "old content");
  AddTicked("http://s/", "5.3.2006", "9:05:06", "none", "none");
  AddTicked("http://s/b", "3/5/2006", "9:05:06", "none", "none");
  try {
    Writer.WriteSitemap(Dir.Path(), Pages, Settings);
    FAIL() << "no error";
  } catch (const EConvertError& error) {
    EXPECT_STREQ(error.what(), "'3/5/2006' is not a valid date");
  }
  EXPECT_EQ(test::ReadFile(Path()), "old content");
  EXPECT_EQ(test::ListNames(Dir.Path()), "sitemap.xml");
}

TEST_F(SitemapFile, MissingFolderIsAnInputOutputError) {
  try {
    Writer.WriteSitemap(Dir / "missing/", Pages, Settings);
    FAIL() << "no error";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.Code, ENOENT);
    EXPECT_NE(std::string(error.what()).find(Dir / "missing/sitemap.xml"), std::string::npos);
  }
}

TEST_F(SitemapFile, FolderWhereTheFileShouldBeIsAnInputOutputError) {
  Dir.MakeDir("sitemap.xml");
  EXPECT_THROW(Writer.WriteSitemap(Dir.Path(), Pages, Settings), EInOutError);
  EXPECT_EQ(test::ListNames(Dir.Path()), "sitemap.xml");
}

TEST_F(SitemapFile, ShortWriteFailsTheRunInsteadOfReportingSuccess) {
  Dir.WriteFile("sitemap.xml", "old content");
  for (int i = 0; i < 5000; ++i)
    AddTicked("http://s/" + std::to_string(i), "5.3.2006", "9:05:06", "daily", "0.5");
  // A file size limit makes the kernel accept only part of the document.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit limited = previous;
  limited.rlim_cur = 100000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  int code = 0;
  try {
    Writer.WriteSitemap(Dir.Path(), Pages, Settings);
  } catch (const EInOutError& error) {
    code = error.Code;
  }
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &previous), 0);
  EXPECT_EQ(code, EFBIG);
  EXPECT_EQ(test::ReadFile(Path()), "old content");
  EXPECT_EQ(test::ListNames(Dir.Path()), "sitemap.xml");
}

/// Ticked rows whose pretty document is exactly `bytes` long.
void FillToSize(TPageList& pages, std::uint64_t bytes) {
  const std::uint64_t element =
      std::string(
          "   <url>\r\n      <loc></loc>\r\n      <lastmod>2006-03-05</lastmod>\r\n   </url>\r\n")
          .size();
  std::uint64_t left = bytes - std::string(kHead).size() - std::string(kTail).size();
  while (left > 2 * (element + 2048)) {
    pages.Add(std::string(2000, 'a'), "5.3.2006", "0:00:00", "none", "none");
    left -= element + 2000;
  }
  // Two last rows share what is left, each within the URL length limit.
  const std::uint64_t urls = left - 2 * element;
  pages.Add(std::string(urls / 2, 'b'), "5.3.2006", "0:00:00", "none", "none");
  pages.Add(std::string(urls - urls / 2, 'c'), "5.3.2006", "0:00:00", "none", "none");
  pages.SelectAll();
}

TEST_F(SitemapFile, SizeLimitIsInclusive) {
  for (const std::uint64_t size : {kMaxSitemapBytes, kMaxSitemapBytes + 1}) {
    TPageList pages;
    FillToSize(pages, size);
    const TSitemapResult result = Writer.WriteSitemap(Dir.Path(), pages, Settings);
    EXPECT_EQ(result.FileSize, size);
    EXPECT_EQ(result.ExceedsLimits(), size > kMaxSitemapBytes);
  }
}

TEST_F(SitemapFile, CountLimitIsInclusiveAndEveryUrlIsWritten) {
  Settings.Compact = true;
  for (std::uint64_t i = 0; i < kMaxSitemapUrls; ++i)
    Pages.Add("u", "5.3.2006", "0:00:00", "none", "none");
  Pages.SelectAll();
  TSitemapResult result = Writer.WriteSitemap(Dir.Path(), Pages, Settings);
  EXPECT_EQ(result.UrlCount, kMaxSitemapUrls);
  EXPECT_FALSE(result.ExceedsLimits());
  AddTicked("u", "5.3.2006", "0:00:00", "none", "none");
  result = Writer.WriteSitemap(Dir.Path(), Pages, Settings);
  EXPECT_EQ(result.UrlCount, kMaxSitemapUrls + 1);
  EXPECT_TRUE(result.ExceedsLimits());
  const std::string written = test::ReadFile(Path());
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 50001 + 3);
}

struct TReportCase {
  const char* Name;
  std::uint64_t Size;
  std::uint64_t Count;
  const char* Text;
  friend void PrintTo(const TReportCase& c, std::ostream* os) { *os << c.Name; }
};

class ReportText : public ::testing::TestWithParam<TReportCase> {};

TEST_P(ReportText, ShowsPathSizeCountAndEachLimitExceeded) {
  const TSitemapResult result{"/site/sitemap.xml", GetParam().Count, GetParam().Size};
  EXPECT_EQ(TSitemapWriter::ReportText(result), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportText,
    ::testing::Values(
        TReportCase{"WithinLimits", 2345, 12,
                    "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 2345 B"
                    "\r\rPočet Url: 12"},
        TReportCase{"AtBothLimits", 10485760, 50000,
                    "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 10485760 B"
                    "\r\rPočet Url: 50000"},
        TReportCase{"SizeOver", 10485761, 0,
                    "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 10485761 B"
                    "\rChyba - je prekročená maximálna veľkosť súboru 10485760 B.\r\rPočet Url: 0"},
        TReportCase{
            "BothOver", 10485761, 50001,
            "Tessaly vytvorená do súboru:\r/site/sitemap.xml\r\rVeľkosť súboru: 10485761 B"
            "\rChyba - je prekročená maximálna veľkosť súboru 10485760 B.\r\rPočet Url: 50001"
            "\rChyba - je prekročený maximálny počet 50000 Url."}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace qorv
