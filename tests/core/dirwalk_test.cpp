#include "core/dirwalk.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "core/errors.h"
#include "tests/support/fakefilesystem.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using test::TFakeFileSystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

/// A walker over `fs` that records what it reports.
struct TWalkFixture {
  explicit TWalkFixture(TFileSystem& fs, std::vector<std::string> masks = {"*.htm", "*.html"})
      : Walker(fs) {
    Walker.RootDirectory = TFakeFileSystem::kRoot;
    Walker.FileParams.SearchTypes = TJvSearchParams::stFileMask;
    Walker.FileParams.SetFileMasks(std::move(masks));
    Walker.OnFindFile = [this](TJvSearchFiles&, const TFoundFile& file) {
      Reported.push_back(file.Path);
    };
  }
  TJvSearchFiles Walker;
  std::vector<std::string> Reported;
};

TEST(DirWalk, ReportsFilesOfAFolderInListingOrderBeforeItsSubfolders) {
  TFakeFileSystem fs;
  fs.AddFile("b.html");
  fs.AddFolder("sub");
  fs.AddFile("sub/d.htm");
  fs.AddFile("a.htm");
  fs.AddFile("c.gif");
  TWalkFixture walk(fs);
  EXPECT_TRUE(walk.Walker.Walk());
  EXPECT_THAT(walk.Reported, ElementsAre("ROOT/b.html", "ROOT/a.htm", "ROOT/sub/d.htm"));
  EXPECT_EQ(walk.Walker.FoundFiles, walk.Reported);
  EXPECT_THAT(walk.Walker.FoundFolders, IsEmpty());
}

TEST(DirWalk, WalksDepthFirstWithOneListingOpenAtATime) {
  TFakeFileSystem fs;
  fs.AddFile("A/A1/x.htm");
  fs.AddFile("A/y.htm");
  fs.AddFile("B/z.htm");
  TWalkFixture walk(fs);
  EXPECT_TRUE(walk.Walker.Walk());
  EXPECT_THAT(walk.Reported, ElementsAre("ROOT/A/y.htm", "ROOT/A/A1/x.htm", "ROOT/B/z.htm"));
  EXPECT_THAT(fs.ListedFolders(), ElementsAre("", "A", "A/A1", "B"));
  EXPECT_EQ(fs.MaxOpenListings, 1);
}

struct TFilterCase {
  const char* Name;
  std::vector<std::string> Masks;
  std::vector<std::string> Files;
  std::vector<std::string> Reported;
  friend void PrintTo(const TFilterCase& c, std::ostream* os) { *os << c.Name; }
};

class DirWalkFilter : public ::testing::TestWithParam<TFilterCase> {};

TEST_P(DirWalkFilter, ReportsExactlyTheMatchingFiles) {
  TFakeFileSystem fs;
  for (const auto& file : GetParam().Files) fs.AddFile(file);
  TWalkFixture walk(fs, GetParam().Masks);
  EXPECT_TRUE(walk.Walker.Walk());
  std::vector<std::string> expected;
  for (const auto& file : GetParam().Reported) expected.push_back(std::string("ROOT/") + file);
  EXPECT_EQ(walk.Reported, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DirWalkFilter,
    ::testing::Values(
        TFilterCase{"CaseIgnoredNameKeptAsListed",
                    {"*.htm"},
                    {"INDEX.HTM", "index.htm"},
                    {"INDEX.HTM", "index.htm"}},
        TFilterCase{"WholeNameMatch", {"*.htm"}, {"index.html", "a.htm.bak", "a.htm"}, {"a.htm"}},
        TFilterCase{"OneReportPerFile", {"*.htm", "*"}, {"a.htm", "README"}, {"a.htm", "README"}},
        TFilterCase{"StarDotStarNeedsAFullStop", {"*.*"}, {"README", "a.b"}, {"a.b"}},
        TFilterCase{"QuestionMarkIsOneCharacter",
                    {"?.htm"},
                    {"a.htm", "ab.htm", "š.htm"},
                    {"a.htm", "š.htm"}},
        TFilterCase{"EmptyListLetsEverythingThrough", {}, {"a.gif", "b"}, {"a.gif", "b"}},
        TFilterCase{"FolderNamesAreNeverMatched",
                    {"*.htm"},
                    {"x.htm/page.htm", "x.htm/p.gif"},
                    {"x.htm/page.htm"}},
        TFilterCase{
            "BlanksArePartOfTheMask", {"*.htm", " *.html"}, {"a.html", " b.html"}, {" b.html"}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(DirWalk, KeepsNoPathsWhenToldNot) {
  TFakeFileSystem fs;
  fs.AddFile("a.htm");
  TWalkFixture walk(fs);
  walk.Walker.KeepFoundFiles = false;
  EXPECT_TRUE(walk.Walker.Walk());
  EXPECT_THAT(walk.Reported, ElementsAre("ROOT/a.htm"));
  EXPECT_THAT(walk.Walker.FoundFiles, IsEmpty());
}

TEST(DirWalk, WithoutTheMaskSearchTypeEveryFilePasses) {
  TFakeFileSystem fs;
  fs.AddFile("a.gif");
  TWalkFixture walk(fs);
  walk.Walker.FileParams.SearchTypes = 0;
  walk.Walker.Walk();
  EXPECT_THAT(walk.Reported, ElementsAre("ROOT/a.gif"));
}

TEST(DirWalk, EmptyMaskEndsTheWalkAtTheFirstFileThatReachesIt) {
  TFakeFileSystem fs;
  fs.AddFile("a.htm");
  fs.AddFile("b.HTM");
  fs.AddFile("c.html");
  fs.AddFile("d.htm");
  TWalkFixture walk(fs, {"*.htm", "", "*.html"});
  try {
    walk.Walker.Walk();
    FAIL() << "no error";
  } catch (const EWildcardError& error) {
    EXPECT_STREQ(error.what(), "Search string cannot be blank");
  }
  EXPECT_THAT(walk.Reported, ElementsAre("ROOT/a.htm", "ROOT/b.HTM"));
  EXPECT_FALSE(walk.Walker.IsWalking());
  EXPECT_EQ(fs.OpenListings, 0);
}

TEST(DirWalk, SkipsOnlyEntriesThatAreBothHiddenAndSystem) {
  TFakeFileSystem fs;
  fs.AddFile("hidden.htm").Hidden = true;
  fs.AddFile("system.htm").System = true;
  auto& both = fs.AddFile("both.htm");
  both.Hidden = both.System = true;
  fs.AddFile("hs/inside.htm");
  for (auto& entry : fs.Folder("").Entries) {
    if (entry.Name == "hs") entry.Hidden = entry.System = true;
  }
  fs.AddFile(".dotted.htm");
  TWalkFixture walk(fs);
  walk.Walker.Walk();
  EXPECT_THAT(walk.Reported, ElementsAre("ROOT/hidden.htm", "ROOT/system.htm", "ROOT/.dotted.htm"));
}

TEST(DirWalk, SkipsDotAndDotDot) {
  TFakeFileSystem fs;
  fs.AddLink("", ".", "");
  fs.AddLink("", "..", "");
  fs.AddFile("a.htm");
  TWalkFixture walk(fs);
  EXPECT_TRUE(walk.Walker.Walk());
  EXPECT_THAT(walk.Reported, ElementsAre("ROOT/a.htm"));
  EXPECT_EQ(fs.ListedFolders().size(), 1u);
}

TEST(DirWalk, MissingRootReportsNothingAndFails) {
  TFakeFileSystem fs;
  fs.AddFile("a.htm");
  TWalkFixture walk(fs);
  walk.Walker.RootDirectory = "elsewhere/";
  EXPECT_FALSE(walk.Walker.Walk());
  EXPECT_THAT(walk.Reported, IsEmpty());
}

TEST(DirWalk, RefusedFolderCountsAsEmptyAndTheWalkGoesOn) {
  TFakeFileSystem fs;
  fs.AddFile("locked/a.htm");
  fs.AddFile("locked/deeper/b.htm");
  fs.AddFile("open/c.htm");
  fs.Folder("locked").ListStatus = {TListStatus::AccessDenied, 13};
  TWalkFixture walk(fs);
  EXPECT_TRUE(walk.Walker.Walk());
  EXPECT_THAT(walk.Reported, ElementsAre("ROOT/open/c.htm"));
}

TEST(DirWalk, FolderThatCannotBeOpenedForLackOfRightsCountsAsEmpty) {
  TFakeFileSystem fs;
  fs.AddFile("locked/a.htm");
  fs.AddFile("z.htm");
  fs.Folder("locked").OpenStatus = {TListStatus::AccessDenied, 13};
  TWalkFixture walk(fs);
  EXPECT_TRUE(walk.Walker.Walk());
  EXPECT_THAT(walk.Reported, ElementsAre("ROOT/z.htm"));
}

struct TFailureCase {
  const char* Name;
  void (*Break)(TFakeFileSystem::TFakeFolder&);
  friend void PrintTo(const TFailureCase& c, std::ostream* os) { *os << c.Name; }
};

class DirWalkFailure : public ::testing::TestWithParam<TFailureCase> {};

TEST_P(DirWalkFailure, EndsTheWholeWalkKeepingWhatWasReported) {
  TFakeFileSystem fs;
  fs.AddFile("A/a1.htm");
  fs.AddFile("A/a2.htm");
  fs.AddFile("A/A1/deep.htm");
  fs.AddFile("B/b.htm");
  GetParam().Break(fs.Folder("A"));
  TWalkFixture walk(fs);
  EXPECT_FALSE(walk.Walker.Walk());
  for (const auto& path : walk.Reported) EXPECT_TRUE(path.rfind("ROOT/A/a", 0) == 0) << path;
  EXPECT_THAT(fs.ListedFolders(), ElementsAre("", "A"));
  EXPECT_FALSE(walk.Walker.IsWalking());
  EXPECT_EQ(fs.OpenListings, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, DirWalkFailure,
                         ::testing::Values(TFailureCase{"ListingCannotStart",
                                                        [](auto& f) {
                                                          f.ListStatus = {TListStatus::Failed, 2};
                                                        }},
                                           TFailureCase{"NextEntryFailsMidway",
                                                        [](auto& f) { f.FailNextAfter = 1; }},
                                           TFailureCase{"ClosingFails",
                                                        [](auto& f) {
                                                          f.CloseStatus = {TListStatus::Failed, 5};
                                                        }}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(DirWalk, SubfolderThatVanishedEndsTheWalk) {
  TFakeFileSystem fs;
  fs.AddFile("A/a.htm");
  fs.AddFile("B/b.htm");
  fs.Folder("A").OpenStatus = {TListStatus::Failed, 2};
  TWalkFixture walk(fs);
  EXPECT_FALSE(walk.Walker.Walk());
  EXPECT_THAT(walk.Reported, IsEmpty());
}

TEST(DirWalk, WalkInsideAWalkIsRefusedAndChangesNothing) {
  TFakeFileSystem fs;
  fs.AddFile("a.htm");
  fs.AddFile("b.htm");
  TWalkFixture walk(fs);
  std::vector<bool> inner;
  walk.Walker.OnFindFile = [&](TJvSearchFiles& sender, const TFoundFile& file) {
    walk.Reported.push_back(file.Path);
    inner.push_back(sender.Walk());
  };
  EXPECT_TRUE(walk.Walker.Walk());
  EXPECT_THAT(inner, ElementsAre(false, false));
  EXPECT_THAT(walk.Walker.FoundFiles, ElementsAre("ROOT/a.htm", "ROOT/b.htm"));
  EXPECT_TRUE(walk.Walker.Walk()) << "a finished walk leaves the walker idle";
}

TEST(DirWalk, ErrorFromTheHandlerEndsTheWalkAndReachesTheCaller) {
  TFakeFileSystem fs;
  fs.AddFile("a.htm");
  fs.AddFile("b.htm");
  TWalkFixture walk(fs);
  walk.Walker.OnFindFile = [](TJvSearchFiles&, const TFoundFile&) {
    throw std::runtime_error("handler failed");
  };
  EXPECT_THROW(walk.Walker.Walk(), std::runtime_error);
  EXPECT_FALSE(walk.Walker.IsWalking());
  EXPECT_THAT(walk.Walker.FoundFiles, ElementsAre("ROOT/a.htm"));
  EXPECT_EQ(fs.OpenListings, 0);
}

TEST(DirWalk, MasksChangedDuringTheWalkApplyToTheFilesAfter) {
  TFakeFileSystem fs;
  fs.AddFile("a.htm");
  fs.AddFile("b.gif");
  TWalkFixture walk(fs, {"*.htm"});
  walk.Walker.OnFindFile = [&](TJvSearchFiles& sender, const TFoundFile& file) {
    walk.Reported.push_back(file.Path);
    sender.FileParams.SetFileMasks({"*.GIF"});
  };
  walk.Walker.Walk();
  EXPECT_THAT(walk.Reported, ElementsAre("ROOT/a.htm", "ROOT/b.gif"));
}

TEST(DirWalk, LinkBackToAFolderOnTheDescentPathIsNotEntered) {
  TFakeFileSystem fs;
  fs.AddFile("A/a.htm");
  fs.AddFile("B/b.htm");
  fs.AddLink("A", "up", "");        // back to the root
  fs.AddLink("A", "self", "A");     // to itself
  fs.AddLink("A", "sibling", "B");  // not on the path: walked
  TWalkFixture walk(fs);
  EXPECT_TRUE(walk.Walker.Walk());
  EXPECT_THAT(walk.Reported, ElementsAre("ROOT/A/a.htm", "ROOT/A/sibling/b.htm", "ROOT/B/b.htm"));
}

TEST(DirWalk, RecurseDepthLimitsTheLevelsBelowTheRoot) {
  TFakeFileSystem fs;
  fs.AddFile("r.htm");
  fs.AddFile("A/a.htm");
  fs.AddFile("A/B/b.htm");
  TWalkFixture walk(fs);
  walk.Walker.RecurseDepth = 1;
  EXPECT_TRUE(walk.Walker.Walk());
  EXPECT_THAT(walk.Reported, ElementsAre("ROOT/r.htm", "ROOT/A/a.htm"));
}

TEST(DirWalk, VeryDeepTreeDoesNotExhaustTheStack) {
  TFakeFileSystem fs;
  std::string path;
  for (int i = 0; i < 100000; ++i) path += "d/";
  fs.AddFile(path + "deep.htm");
  TWalkFixture walk(fs);
  EXPECT_TRUE(walk.Walker.Walk());
  ASSERT_EQ(walk.Reported.size(), 1u);
  EXPECT_EQ(walk.Reported[0], "ROOT/" + path + "deep.htm");
}

TEST(DirWalk, DeepTreeKeepsFewFoldersOpenAndWalksInTheSameOrder) {
  // A chain of 100 levels with a file on each, a second folder after the
  // chain at level 50, and at level 70 a link to a chain of 40 levels with
  // a second folder at its level 10. Coming back up, the walk needs levels
  // it closed meanwhile, one of them reached through the link (whose ".."
  // is not the folder the walk came from).
  const auto repeat = [](const char* piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
  };
  TFakeFileSystem fs;
  fs.AddFolder("d");
  for (int level = 0; level < 40; ++level) fs.AddFile("B/" + repeat("b/", level) + "g.htm");
  fs.AddFile("B/" + repeat("b/", 10) + "c/c.htm");
  for (int level = 0; level < 100; ++level) fs.AddFile(repeat("d/", level) + "f.htm");
  fs.AddFile(repeat("d/", 50) + "e/e.htm");
  fs.AddLink(repeat("d/", 70), "x", "B");

  const auto walkOfB = [&](const std::string& prefix, std::vector<std::string>& paths) {
    for (int level = 0; level < 40; ++level)
      paths.push_back(prefix + repeat("b/", level) + "g.htm");
    paths.push_back(prefix + repeat("b/", 10) + "c/c.htm");
  };
  std::vector<std::string> expected;
  for (int level = 0; level < 100; ++level)
    expected.push_back("ROOT/" + repeat("d/", level) + "f.htm");
  walkOfB("ROOT/" + repeat("d/", 70) + "x/", expected);
  expected.push_back("ROOT/" + repeat("d/", 50) + "e/e.htm");
  walkOfB("ROOT/B/", expected);

  TWalkFixture walk(fs);
  EXPECT_TRUE(walk.Walker.Walk());
  EXPECT_EQ(walk.Reported, expected);
  EXPECT_LE(fs.MaxOpenFolders, 40);
  EXPECT_EQ(fs.OpenFolders, 0);
}

// The same walk on the machine's own file system.

TEST(DirWalkOnDisk, ReportsFullPathsOfNestedFilesOnceEachFollowingLinksWithoutLooping) {
  test::TTempDir dir;
  dir.WriteFile("a.htm");
  dir.WriteFile("news/page.htm");
  dir.WriteFile("news/old/x.html");
  dir.WriteFile("news/pic.gif");
  test::TTempDir outside;
  outside.WriteFile("ext.htm");
  ASSERT_EQ(symlink("..", (dir / "news/up").c_str()), 0);
  ASSERT_EQ(symlink(outside.Path().c_str(), (dir / "linked").c_str()), 0);
  ASSERT_EQ(symlink("missing.htm", (dir / "dangling.htm").c_str()), 0);

  TJvSearchFiles walker;
  walker.RootDirectory = dir.Path();
  walker.FileParams.SearchTypes = TJvSearchParams::stFileMask;
  walker.FileParams.SetFileMasks({"*.htm", "*.html"});
  std::vector<std::string> reported;
  walker.OnFindFile = [&](TJvSearchFiles&, const TFoundFile& file) {
    reported.push_back(file.Path);
  };
  EXPECT_TRUE(walker.Walk());
  EXPECT_THAT(reported,
              UnorderedElementsAre(dir / "a.htm", dir / "dangling.htm", dir / "news/page.htm",
                                   dir / "news/old/x.html", dir / "linked/ext.htm"));
  // Depth first: the files of news come before those of news/old.
  const auto page = std::find(reported.begin(), reported.end(), dir / "news/page.htm");
  const auto old = std::find(reported.begin(), reported.end(), dir / "news/old/x.html");
  EXPECT_LT(page, old);
}

TEST(DirWalkOnDisk, MissingRootFails) {
  test::TTempDir dir;
  TJvSearchFiles walker;
  walker.RootDirectory = dir / "missing/";
  EXPECT_FALSE(walker.Walk());
  walker.RootDirectory = dir.WriteFile("file");
  EXPECT_FALSE(walker.Walk());
}

}  // namespace
}  // namespace qorv
