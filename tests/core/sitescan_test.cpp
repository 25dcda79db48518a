#include "core/sitescan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "core/errors.h"
#include "tests/support/fakefilesystem.h"
#include "tests/support/formats.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

/// The main window's two texts, changeable while a scan runs.
struct Inputs final : ScanInputs {
  std::string folder;
  std::string url = "http://example.com";
  std::string localFolder() const override { return folder; }
  std::string siteUrl() const override { return url; }
};

/// A scan of a real temporary folder, with a fixed clock.
class SiteScannerTest : public ::testing::Test {
 protected:
  SiteScannerTest() : scanner(settings, pages, inputs, formats) {
    inputs.folder = dir.path();
    scanner.now = [] { return DateTime{{2006, 3, 5}, {9, 5, 7}}; };
  }

  /// URL of every row after the root row, in list order.
  std::vector<std::string> fileUrls() const {
    std::vector<std::string> urls;
    for (std::size_t i = 1; i < pages.size(); ++i) urls.push_back(pages.at(i).url);
    return urls;
  }

  test::TempDir dir;
  GeneratorSettings settings;
  PageList pages;
  Inputs inputs;
  LocaleFormats formats = test::dayFirstFormats();
  SiteScanner scanner;
};

TEST_F(SiteScannerTest, RootRowThenFileRowsAllUntickedWithTheirTimes) {
  dir.writeFile("a.htm");
  dir.setLocalMTime("a.htm", 2005, 12, 31, 14, 3, 7);
  inputs.url = "http://example.com";
  ASSERT_TRUE(scanner.run());
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages.at(0),
            (PageEntry{"http://example.com/", "5.3.2006", "9:05:07", "daily", "0.5", false}));
  EXPECT_EQ(pages.at(1), (PageEntry{"http://example.com/a.htm", "31.12.2005", "14:03:06", "none",
                                    "none", false}));
  EXPECT_EQ(scanner.rootUrl(), "http://example.com/");
  EXPECT_EQ(scanner.scanFolder(), dir.path());
  EXPECT_EQ(scanner.overlongCount(), 0);
}

TEST_F(SiteScannerTest, FileTimesOutsideTheUsualRangeKeepTheirRealDate) {
  dir.writeFile("old.htm");
  dir.setLocalMTime("old.htm", 1970, 1, 2, 0, 0, 0);
  dir.writeFile("future.htm");
  dir.setLocalMTime("future.htm", 2200, 7, 1, 12, 0, 0);
  scanner.run();
  std::vector<std::string> dates;
  for (std::size_t i = 1; i < pages.size(); ++i) dates.push_back(pages.at(i).dateText);
  std::sort(dates.begin(), dates.end());
  EXPECT_THAT(dates, ElementsAre("1.7.2200", "2.1.1970"));
}

TEST_F(SiteScannerTest, SiteUrlWithOrWithoutFinalSlashGivesTheSameRows) {
  dir.writeFile("a.htm");
  inputs.url = "http://example.com";
  scanner.run();
  const std::vector<std::string> without = fileUrls();
  inputs.url = "http://example.com/";
  scanner.run();
  EXPECT_EQ(fileUrls(), without);
  EXPECT_THAT(without, ElementsAre("http://example.com/a.htm"));
}

TEST_F(SiteScannerTest, LocalFolderGetsItsSlashOnce) {
  inputs.folder = dir.path().substr(0, dir.path().size() - 1);
  scanner.run();
  EXPECT_EQ(scanner.scanFolder(), dir.path());
  inputs.folder = dir.path();
  scanner.run();
  EXPECT_EQ(scanner.scanFolder(), dir.path());
}

struct UrlCase {
  const char* name;
  const char* base;
  const char* relative;
  const char* indexFile;
  const char* url;
  friend void PrintTo(const UrlCase& c, std::ostream* os) { *os << c.name; }
};

class FileUrl : public ::testing::TestWithParam<UrlCase> {};

TEST_P(FileUrl, IsBuiltEscapedAndStrippedOfTheIndexFile) {
  const UrlCase& c = GetParam();
  EXPECT_EQ(SiteScanner::fileUrl(c.base, c.relative, c.indexFile), c.url);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileUrl,
    ::testing::Values(
        UrlCase{"SubFolder", "http://s", "sub/page.htm", "index.htm", "http://s/sub/page.htm"},
        UrlCase{"BaseEndingInSlash", "http://s/", "a.htm", "index.htm", "http://s/a.htm"},
        UrlCase{"EmptyBase", "", "a.htm", "index.htm", "/a.htm"},
        UrlCase{"IndexInSubFolder", "http://s", "sub/index.htm", "index.htm", "http://s/sub/"},
        UrlCase{"IndexHtmlLeavesItsLastLetter", "http://s", "index.html", "index.htm",
                "http://s/l"},
        UrlCase{"IndexInsideAName", "http://s", "myindex.htm", "index.htm", "http://s/my"},
        UrlCase{"IndexMatchIsCaseSensitive", "http://s", "Index.htm", "index.htm",
                "http://s/Index.htm"},
        UrlCase{"OnlyTheFirstOccurrence", "http://s", "index.htm/index.htm", "index.htm",
                "http://s//index.htm"},
        UrlCase{"IndexInTheSiteUrl", "http://index.htm.example", "a.htm", "index.htm",
                "http://.example/a.htm"},
        UrlCase{"EmptyIndexRemovesNothing", "http://s", "index.htm", "", "http://s/index.htm"},
        UrlCase{"Escaping", "http://s", "a&b'c.htm", "", "http://s/a&amp;b&apos;c.htm"},
        UrlCase{"EntityInANameIsEscapedAgain", "http://s", "&amp;.htm", "",
                "http://s/&amp;amp;.htm"},
        UrlCase{"QuotesAndBrackets", "http://s", "\"<x>\".htm", "",
                "http://s/&quot;&lt;x&gt;&quot;.htm"},
        UrlCase{"IndexMatchedAgainstTheEscapedUrl", "http://s", "a&b.htm", "a&b.htm",
                "http://s/a&amp;b.htm"},
        UrlCase{"NoPercentEncoding", "http://s", "my page š.htm", "", "http://s/my page š.htm"},
        UrlCase{"BackslashesBecomeSlashes", "http://s\\site", "a\\b.htm", "",
                "http://s/site/a/b.htm"},
        UrlCase{"InvalidUtf8BytesArePercentEncoded", "http://s", "a\xff\xfe.htm", "",
                "http://s/a%FF%FE.htm"},
        UrlCase{"ControlCharactersArePercentEncoded", "http://s", "a\tb\nc.htm", "",
                "http://s/a%09b%0Ac.htm"},
        // The index file name is matched against the escaped URL, but a cut
        // that would leave a bare "&" or half a character is no match.
        UrlCase{"IndexBeginningInsideAnEntityIsPassedOver", "http://s", "a&b.htm", "amp;b.htm",
                "http://s/a&amp;b.htm"},
        UrlCase{"LaterWholeOccurrenceIsRemoved", "http://s", "a&x/amp;x", "amp;x",
                "http://s/a&amp;x/"},
        UrlCase{"IndexEndingInsideAnEntityLeavesItsTail", "http://s", "a&b.htm", "a&am",
                "http://s/p;b.htm"},
        UrlCase{"IndexSplittingACharacterIsPassedOver", "http://s", "\xC3\xA9.htm", "\xA9.htm",
                "http://s/\xC3\xA9.htm"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(SiteScannerTest, IndexFileOfTheFolderItselfGivesNoRow) {
  dir.writeFile("index.htm");
  dir.writeFile("sub/index.htm");
  scanner.run();
  EXPECT_THAT(fileUrls(), ElementsAre("http://example.com/sub/"));
}

TEST_F(SiteScannerTest, RootRowIsEscapedSoASiteUrlWithAnAmpersandGivesNoExtraRow) {
  dir.writeFile("index.htm");
  inputs.url = "http://example.com/?a=1&b=2";
  scanner.run();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages.at(0).url, "http://example.com/?a=1&amp;b=2/");
  EXPECT_EQ(scanner.rootUrl(), "http://example.com/?a=1&b=2/");
}

TEST_F(SiteScannerTest, BackslashesOfTheSiteUrlStayInTheRootRowOnly) {
  dir.writeFile("index.htm");
  dir.writeFile("a.htm");
  inputs.url = "http://example.com\\site";
  scanner.run();
  EXPECT_EQ(pages.at(0).url, "http://example.com\\site/");
  std::vector<std::string> urls = fileUrls();
  std::sort(urls.begin(), urls.end());
  EXPECT_THAT(urls, ElementsAre("http://example.com/site/", "http://example.com/site/a.htm"));
}

TEST_F(SiteScannerTest, EmptySiteUrl) {
  dir.writeFile("a.htm");
  inputs.url = "";
  scanner.run();
  EXPECT_EQ(pages.at(0).url, "/");
  EXPECT_THAT(fileUrls(), ElementsAre("/a.htm"));
}

TEST_F(SiteScannerTest, MissingFolderLeavesTheRootRowAlone) {
  inputs.folder = dir / "missing";
  scanner.run();
  EXPECT_EQ(pages.size(), 1u);
}

TEST_F(SiteScannerTest, EmptyMaskTextLetsEveryFileThrough) {
  dir.writeFile("a.gif");
  dir.writeFile("x");
  settings.fileMask = "";
  scanner.run();
  EXPECT_EQ(fileUrls().size(), 2u);
}

TEST_F(SiteScannerTest, FilesGivingTheSameUrlBothGetRows) {
  dir.writeFile("a/x");
  dir.writeFile("a/xindex.htm");
  settings.fileMask = "";
  scanner.run();
  EXPECT_THAT(fileUrls(), ElementsAre("http://example.com/a/x", "http://example.com/a/x"));
}

TEST_F(SiteScannerTest, EmptyMaskEndsTheScanKeepingTheRowsSoFar) {
  dir.writeFile("a.gif");
  settings.fileMask = ";*.htm";
  EXPECT_THROW(scanner.run(), EmptyMaskError);
  EXPECT_EQ(pages.size(), 1u);
  EXPECT_FALSE(scanner.isRunning());
  settings.fileMask = "*.htm";
  EXPECT_TRUE(scanner.run()) << "the next scan runs";
}

TEST_F(SiteScannerTest, CountsUrlsOverTheLimitButListsThem) {
  // Base of 2048 - 1 - 5 characters: "x.htm" gives exactly 2048, "xy.htm" 2049.
  inputs.url = "http://" + std::string(2048 - 1 - 5 - 7, 'a');
  dir.writeFile("x.htm");
  dir.writeFile("xy.htm");
  dir.writeFile("xz.htm");
  scanner.run();
  EXPECT_EQ(scanner.overlongCount(), 2);
  EXPECT_EQ(pages.size(), 4u);
  EXPECT_THAT(overlongWarning(scanner.overlongCount()),
              StartsWith("2 Url presiahlo max. povolenú dĺžku 2048 znakov."));
}

TEST_F(SiteScannerTest, SettingsAndSiteUrlAreReadAfreshForEveryFile) {
  dir.writeFile("a.htm");
  dir.writeFile("b.htm");
  int files = 0;
  scanner.onFileDone = [&] {
    if (++files == 1) {
      settings.otherChangefreq.setIndex(4);
      settings.rootChangefreq.setIndex(7);
      inputs.url = "http://other.example";
    }
  };
  scanner.run();
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages.at(1).changefreq, "none");
  EXPECT_EQ(pages.at(2).changefreq, "weekly");
  EXPECT_THAT(pages.at(2).url, StartsWith("http://other.example/"));
  EXPECT_EQ(pages.at(0).changefreq, "daily");
  EXPECT_EQ(scanner.rootUrl(), "http://example.com/");
}

TEST_F(SiteScannerTest, TypedTagTextsAreCopiedAsTheyAre) {
  dir.writeFile("a.htm");
  settings.otherChangefreq.setTyped("None", 0);
  settings.otherPriority.setIndex(-1);
  scanner.run();
  EXPECT_EQ(pages.at(1).changefreq, "None");
  EXPECT_EQ(pages.at(1).priority, "");
}

TEST_F(SiteScannerTest, SecondScanReplacesEveryRow) {
  dir.writeFile("a.htm");
  scanner.run();
  pages.includeAll();
  pages.setDetails(1, "1.1.2000", "1:00:00", "daily", "0.9");
  scanner.run();
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_FALSE(pages.at(1).included);
  EXPECT_EQ(pages.at(1).changefreq, "none");
}

TEST_F(SiteScannerTest, ScanStartedDuringAScanIsRefused) {
  dir.writeFile("a.htm");
  std::vector<bool> inner;
  scanner.onFileDone = [&] { inner.push_back(scanner.run()); };
  EXPECT_TRUE(scanner.run());
  EXPECT_THAT(inner, ElementsAre(false));
  EXPECT_EQ(pages.size(), 2u);
}

TEST_F(SiteScannerTest, StopEndsTheScanBeforeTheNextFile) {
  for (const char* name : {"a.htm", "b.htm", "c.htm"}) dir.writeFile(name);
  scanner.onFileDone = [&] { scanner.requestStop(); };
  EXPECT_TRUE(scanner.run());
  EXPECT_EQ(pages.size(), 2u);
  EXPECT_FALSE(scanner.isRunning());
  scanner.onFileDone = nullptr;
  scanner.run();
  EXPECT_EQ(pages.size(), 4u) << "a stop lasts for one scan only";
}

TEST_F(SiteScannerTest, DanglingLinkIsSkippedAndTheScanGoesOn) {
  dir.writeFile("a.htm");
  ASSERT_EQ(symlink("gone.htm", (dir / "dangling.htm").c_str()), 0);
  dir.writeFile("z.htm");
  scanner.run();
  std::vector<std::string> urls = fileUrls();
  std::sort(urls.begin(), urls.end());
  EXPECT_THAT(urls, ElementsAre("http://example.com/a.htm", "http://example.com/z.htm"));
}

TEST(SiteScannerFake, FileThatVanishesBeforeItsTimeIsReadIsSkipped) {
  test::FakeFileSystem fs;
  fs.addFile("a.htm");
  fs.addFile("gone.htm").time.reset();
  fs.addFile("z.htm");
  GeneratorSettings settings;
  PageList pages;
  Inputs inputs;
  inputs.folder = test::FakeFileSystem::kRoot;
  const LocaleFormats formats = test::dayFirstFormats();
  SiteScanner scanner(settings, pages, inputs, formats, fs);
  int done = 0;
  scanner.onFileDone = [&] { ++done; };
  scanner.run();
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages.at(2).url, "http://example.com/z.htm");
  EXPECT_EQ(done, 3) << "every reported file lets events run, the skipped one too";
}

struct MaskCase {
  const char* text;
  std::vector<std::string> masks;
  friend void PrintTo(const MaskCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class SplitMask : public ::testing::TestWithParam<MaskCase> {};

TEST_P(SplitMask, GivesTheMaskList) { EXPECT_EQ(splitFileMask(GetParam().text), GetParam().masks); }

INSTANTIATE_TEST_SUITE_P(Cases, SplitMask,
                         ::testing::Values(MaskCase{"*.htm;*.html", {"*.htm", "*.html"}},
                                           MaskCase{"*.htm;", {"*.htm"}},
                                           MaskCase{"a;;b", {"a", "", "b"}},
                                           MaskCase{";a", {"", "a"}}, MaskCase{";", {""}},
                                           MaskCase{"", {}},
                                           MaskCase{"*.htm; *.html", {"*.htm", " *.html"}},
                                           MaskCase{"a\r\nb\rc\nd", {"a", "b", "c", "d"}}));

}  // namespace
}  // namespace qorv
