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
struct TInputs final : TScanInputs {
  std::string Folder;
  std::string Url = "http://example.com";
  std::string LocalFolder() const override { return Folder; }
  std::string SiteUrl() const override { return Url; }
};

/// A scan of a real temporary folder, with a fixed clock.
class SiteScan : public ::testing::Test {
 protected:
  SiteScan() : Scanner(Settings, Pages, Inputs, Formats) {
    Inputs.Folder = Dir.Path();
    Scanner.Now = [] { return TDateTime{{2006, 3, 5}, {9, 5, 7}}; };
  }

  /// URL of every row after the root row, in list order.
  std::vector<std::string> FileUrls() const {
    std::vector<std::string> urls;
    for (std::size_t i = 1; i < Pages.Count(); ++i) urls.push_back(Pages.Item(i).Url);
    return urls;
  }

  test::TTempDir Dir;
  TGeneratorSettings Settings;
  TPageList Pages;
  TInputs Inputs;
  TLocaleFormats Formats = test::DayFirstFormats();
  TSiteScanner Scanner;
};

TEST_F(SiteScan, RootRowThenFileRowsAllUntickedWithTheirTimes) {
  Dir.WriteFile("a.htm");
  Dir.SetLocalMTime("a.htm", 2005, 12, 31, 14, 3, 7);
  Inputs.Url = "http://example.com";
  ASSERT_TRUE(Scanner.Run());
  ASSERT_EQ(Pages.Count(), 2u);
  EXPECT_EQ(Pages.Item(0),
            (TPageEntry{"http://example.com/", "5.3.2006", "9:05:07", "daily", "0.5", false}));
  EXPECT_EQ(Pages.Item(1), (TPageEntry{"http://example.com/a.htm", "31.12.2005", "14:03:06", "none",
                                       "none", false}));
  EXPECT_EQ(Scanner.RootUrl(), "http://example.com/");
  EXPECT_EQ(Scanner.ScanFolder(), Dir.Path());
  EXPECT_EQ(Scanner.OverlongCount(), 0);
}

TEST_F(SiteScan, FileTimesOutsideTheUsualRangeKeepTheirRealDate) {
  Dir.WriteFile("old.htm");
  Dir.SetLocalMTime("old.htm", 1970, 1, 2, 0, 0, 0);
  Dir.WriteFile("future.htm");
  Dir.SetLocalMTime("future.htm", 2200, 7, 1, 12, 0, 0);
  Scanner.Run();
  std::vector<std::string> dates;
  for (std::size_t i = 1; i < Pages.Count(); ++i) dates.push_back(Pages.Item(i).DateText);
  std::sort(dates.begin(), dates.end());
  EXPECT_THAT(dates, ElementsAre("1.7.2200", "2.1.1970"));
}

TEST_F(SiteScan, SiteUrlWithOrWithoutFinalSlashGivesTheSameRows) {
  Dir.WriteFile("a.htm");
  Inputs.Url = "http://example.com";
  Scanner.Run();
  const std::vector<std::string> without = FileUrls();
  Inputs.Url = "http://example.com/";
  Scanner.Run();
  EXPECT_EQ(FileUrls(), without);
  EXPECT_THAT(without, ElementsAre("http://example.com/a.htm"));
}

TEST_F(SiteScan, LocalFolderGetsItsSlashOnce) {
  Inputs.Folder = Dir.Path().substr(0, Dir.Path().size() - 1);
  Scanner.Run();
  EXPECT_EQ(Scanner.ScanFolder(), Dir.Path());
  Inputs.Folder = Dir.Path();
  Scanner.Run();
  EXPECT_EQ(Scanner.ScanFolder(), Dir.Path());
}

struct TUrlCase {
  const char* Name;
  const char* Base;
  const char* Relative;
  const char* IndexFile;
  const char* Url;
  friend void PrintTo(const TUrlCase& c, std::ostream* os) { *os << c.Name; }
};

class FileUrl : public ::testing::TestWithParam<TUrlCase> {};

TEST_P(FileUrl, IsBuiltEscapedAndStrippedOfTheIndexFile) {
  const TUrlCase& c = GetParam();
  EXPECT_EQ(TSiteScanner::FileUrl(c.Base, c.Relative, c.IndexFile), c.Url);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileUrl,
    ::testing::Values(
        TUrlCase{"SubFolder", "http://s", "sub/page.htm", "index.htm", "http://s/sub/page.htm"},
        TUrlCase{"BaseEndingInSlash", "http://s/", "a.htm", "index.htm", "http://s/a.htm"},
        TUrlCase{"EmptyBase", "", "a.htm", "index.htm", "/a.htm"},
        TUrlCase{"IndexInSubFolder", "http://s", "sub/index.htm", "index.htm", "http://s/sub/"},
        TUrlCase{"IndexHtmlLeavesItsLastLetter", "http://s", "index.html", "index.htm",
                 "http://s/l"},
        TUrlCase{"IndexInsideAName", "http://s", "myindex.htm", "index.htm", "http://s/my"},
        TUrlCase{"IndexMatchIsCaseSensitive", "http://s", "Index.htm", "index.htm",
                 "http://s/Index.htm"},
        TUrlCase{"OnlyTheFirstOccurrence", "http://s", "index.htm/index.htm", "index.htm",
                 "http://s//index.htm"},
        TUrlCase{"IndexInTheSiteUrl", "http://index.htm.example", "a.htm", "index.htm",
                 "http://.example/a.htm"},
        TUrlCase{"EmptyIndexRemovesNothing", "http://s", "index.htm", "", "http://s/index.htm"},
        TUrlCase{"Escaping", "http://s", "a&b'c.htm", "", "http://s/a&amp;b&apos;c.htm"},
        TUrlCase{"EntityInANameIsEscapedAgain", "http://s", "&amp;.htm", "",
                 "http://s/&amp;amp;.htm"},
        TUrlCase{"QuotesAndBrackets", "http://s", "\"<x>\".htm", "",
                 "http://s/&quot;&lt;x&gt;&quot;.htm"},
        TUrlCase{"IndexMatchedAgainstTheEscapedUrl", "http://s", "a&b.htm", "a&b.htm",
                 "http://s/a&amp;b.htm"},
        TUrlCase{"NoPercentEncoding", "http://s", "my page š.htm", "", "http://s/my page š.htm"},
        TUrlCase{"BackslashesBecomeSlashes", "http://s\\site", "a\\b.htm", "",
                 "http://s/site/a/b.htm"},
        TUrlCase{"InvalidUtf8BytesArePercentEncoded", "http://s", "a\xff\xfe.htm", "",
                 "http://s/a%FF%FE.htm"},
        TUrlCase{"ControlCharactersArePercentEncoded", "http://s", "a\tb\nc.htm", "",
                 "http://s/a%09b%0Ac.htm"},
        // The index file name is matched against the escaped URL, but a cut
        // that would leave a bare "&" or half a character is no match.
        TUrlCase{"IndexBeginningInsideAnEntityIsPassedOver", "http://s", "a&b.htm", "amp;b.htm",
                 "http://s/a&amp;b.htm"},
        TUrlCase{"LaterWholeOccurrenceIsRemoved", "http://s", "a&x/amp;x", "amp;x",
                 "http://s/a&amp;x/"},
        TUrlCase{"IndexEndingInsideAnEntityLeavesItsTail", "http://s", "a&b.htm", "a&am",
                 "http://s/p;b.htm"},
        TUrlCase{"IndexSplittingACharacterIsPassedOver", "http://s", "\xC3\xA9.htm", "\xA9.htm",
                 "http://s/\xC3\xA9.htm"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(SiteScan, IndexFileOfTheFolderItselfGivesNoRow) {
  Dir.WriteFile("index.htm");
  Dir.WriteFile("sub/index.htm");
  Scanner.Run();
  EXPECT_THAT(FileUrls(), ElementsAre("http://example.com/sub/"));
}

TEST_F(SiteScan, RootRowIsEscapedSoASiteUrlWithAnAmpersandGivesNoExtraRow) {
  Dir.WriteFile("index.htm");
  Inputs.Url = "http://example.com/?a=1&b=2";
  Scanner.Run();
  ASSERT_EQ(Pages.Count(), 1u);
  EXPECT_EQ(Pages.Item(0).Url, "http://example.com/?a=1&amp;b=2/");
  EXPECT_EQ(Scanner.RootUrl(), "http://example.com/?a=1&b=2/");
}

TEST_F(SiteScan, BackslashesOfTheSiteUrlStayInTheRootRowOnly) {
  Dir.WriteFile("index.htm");
  Dir.WriteFile("a.htm");
  Inputs.Url = "http://example.com\\site";
  Scanner.Run();
  EXPECT_EQ(Pages.Item(0).Url, "http://example.com\\site/");
  std::vector<std::string> urls = FileUrls();
  std::sort(urls.begin(), urls.end());
  EXPECT_THAT(urls, ElementsAre("http://example.com/site/", "http://example.com/site/a.htm"));
}

TEST_F(SiteScan, EmptySiteUrl) {
  Dir.WriteFile("a.htm");
  Inputs.Url = "";
  Scanner.Run();
  EXPECT_EQ(Pages.Item(0).Url, "/");
  EXPECT_THAT(FileUrls(), ElementsAre("/a.htm"));
}

TEST_F(SiteScan, MissingFolderLeavesTheRootRowAlone) {
  Inputs.Folder = Dir / "missing";
  Scanner.Run();
  EXPECT_EQ(Pages.Count(), 1u);
}

TEST_F(SiteScan, EmptyMaskTextLetsEveryFileThrough) {
  Dir.WriteFile("a.gif");
  Dir.WriteFile("x");
  Settings.FileMask = "";
  Scanner.Run();
  EXPECT_EQ(FileUrls().size(), 2u);
}

TEST_F(SiteScan, FilesGivingTheSameUrlBothGetRows) {
  Dir.WriteFile("a/x");
  Dir.WriteFile("a/xindex.htm");
  Settings.FileMask = "";
  Scanner.Run();
  EXPECT_THAT(FileUrls(), ElementsAre("http://example.com/a/x", "http://example.com/a/x"));
}

TEST_F(SiteScan, EmptyMaskEndsTheScanKeepingTheRowsSoFar) {
  Dir.WriteFile("a.gif");
  Settings.FileMask = ";*.htm";
  EXPECT_THROW(Scanner.Run(), EWildcardError);
  EXPECT_EQ(Pages.Count(), 1u);
  EXPECT_FALSE(Scanner.IsRunning());
  Settings.FileMask = "*.htm";
  EXPECT_TRUE(Scanner.Run()) << "the next scan runs";
}

TEST_F(SiteScan, CountsUrlsOverTheLimitButListsThem) {
  // Base of 2048 - 1 - 5 characters: "x.htm" gives exactly 2048, "xy.htm" 2049.
  Inputs.Url = "http://" + std::string(2048 - 1 - 5 - 7, 'a');
  Dir.WriteFile("x.htm");
  Dir.WriteFile("xy.htm");
  Dir.WriteFile("xz.htm");
  Scanner.Run();
  EXPECT_EQ(Scanner.OverlongCount(), 2);
  EXPECT_EQ(Pages.Count(), 4u);
  EXPECT_THAT(OverlongWarning(Scanner.OverlongCount()),
              StartsWith("2 Url presiahlo max. povolenú dĺžku 2048 znakov."));
}

TEST_F(SiteScan, SettingsAndSiteUrlAreReadAfreshForEveryFile) {
  Dir.WriteFile("a.htm");
  Dir.WriteFile("b.htm");
  int files = 0;
  Scanner.OnFileDone = [&] {
    if (++files == 1) {
      Settings.OtherChangefreq.SetIndex(4);
      Settings.RootChangefreq.SetIndex(7);
      Inputs.Url = "http://other.example";
    }
  };
  Scanner.Run();
  ASSERT_EQ(Pages.Count(), 3u);
  EXPECT_EQ(Pages.Item(1).Changefreq, "none");
  EXPECT_EQ(Pages.Item(2).Changefreq, "weekly");
  EXPECT_THAT(Pages.Item(2).Url, StartsWith("http://other.example/"));
  EXPECT_EQ(Pages.Item(0).Changefreq, "daily");
  EXPECT_EQ(Scanner.RootUrl(), "http://example.com/");
}

TEST_F(SiteScan, TypedTagTextsAreCopiedAsTheyAre) {
  Dir.WriteFile("a.htm");
  Settings.OtherChangefreq.SetTyped("None", 0);
  Settings.OtherPriority.SetIndex(-1);
  Scanner.Run();
  EXPECT_EQ(Pages.Item(1).Changefreq, "None");
  EXPECT_EQ(Pages.Item(1).Priority, "");
}

TEST_F(SiteScan, SecondScanReplacesEveryRow) {
  Dir.WriteFile("a.htm");
  Scanner.Run();
  Pages.SelectAll();
  Pages.SetRowDetails(1, "1.1.2000", "1:00:00", "daily", "0.9");
  Scanner.Run();
  ASSERT_EQ(Pages.Count(), 2u);
  EXPECT_FALSE(Pages.Item(1).Included);
  EXPECT_EQ(Pages.Item(1).Changefreq, "none");
}

TEST_F(SiteScan, ScanStartedDuringAScanIsRefused) {
  Dir.WriteFile("a.htm");
  std::vector<bool> inner;
  Scanner.OnFileDone = [&] { inner.push_back(Scanner.Run()); };
  EXPECT_TRUE(Scanner.Run());
  EXPECT_THAT(inner, ElementsAre(false));
  EXPECT_EQ(Pages.Count(), 2u);
}

TEST_F(SiteScan, StopEndsTheScanBeforeTheNextFile) {
  for (const char* name : {"a.htm", "b.htm", "c.htm"}) Dir.WriteFile(name);
  Scanner.OnFileDone = [&] { Scanner.RequestStop(); };
  EXPECT_TRUE(Scanner.Run());
  EXPECT_EQ(Pages.Count(), 2u);
  EXPECT_FALSE(Scanner.IsRunning());
  Scanner.OnFileDone = nullptr;
  Scanner.Run();
  EXPECT_EQ(Pages.Count(), 4u) << "a stop lasts for one scan only";
}

TEST_F(SiteScan, DanglingLinkIsSkippedAndTheScanGoesOn) {
  Dir.WriteFile("a.htm");
  ASSERT_EQ(symlink("gone.htm", (Dir / "dangling.htm").c_str()), 0);
  Dir.WriteFile("z.htm");
  Scanner.Run();
  std::vector<std::string> urls = FileUrls();
  std::sort(urls.begin(), urls.end());
  EXPECT_THAT(urls, ElementsAre("http://example.com/a.htm", "http://example.com/z.htm"));
}

TEST(SiteScanFake, FileThatVanishesBeforeItsTimeIsReadIsSkipped) {
  test::TFakeFileSystem fs;
  fs.AddFile("a.htm");
  fs.AddFile("gone.htm").Time.reset();
  fs.AddFile("z.htm");
  TGeneratorSettings settings;
  TPageList pages;
  TInputs inputs;
  inputs.Folder = test::TFakeFileSystem::kRoot;
  const TLocaleFormats formats = test::DayFirstFormats();
  TSiteScanner scanner(settings, pages, inputs, formats, fs);
  int done = 0;
  scanner.OnFileDone = [&] { ++done; };
  scanner.Run();
  ASSERT_EQ(pages.Count(), 3u);
  EXPECT_EQ(pages.Item(2).Url, "http://example.com/z.htm");
  EXPECT_EQ(done, 3) << "every reported file lets events run, the skipped one too";
}

struct TMaskCase {
  const char* Text;
  std::vector<std::string> Masks;
  friend void PrintTo(const TMaskCase& c, std::ostream* os) { *os << '"' << c.Text << '"'; }
};

class SplitMask : public ::testing::TestWithParam<TMaskCase> {};

TEST_P(SplitMask, GivesTheMaskList) { EXPECT_EQ(SplitFileMask(GetParam().Text), GetParam().Masks); }

INSTANTIATE_TEST_SUITE_P(Cases, SplitMask,
                         ::testing::Values(TMaskCase{"*.htm;*.html", {"*.htm", "*.html"}},
                                           TMaskCase{"*.htm;", {"*.htm"}},
                                           TMaskCase{"a;;b", {"a", "", "b"}},
                                           TMaskCase{";a", {"", "a"}}, TMaskCase{";", {""}},
                                           TMaskCase{"", {}},
                                           TMaskCase{"*.htm; *.html", {"*.htm", " *.html"}},
                                           TMaskCase{"a\r\nb\rc\nd", {"a", "b", "c", "d"}}));

}  // namespace
}  // namespace qorv
