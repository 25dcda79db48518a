#include "core/dirwalk.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include "core/errors.h"
#include "core/excludepatterns.h"
#include "tests/support/fakefilesystem.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using test::FakeFileSystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

/// A walker over `fs` that records what it reports.
struct WalkFixture {
  explicit WalkFixture(FileSystem& fs, std::vector<std::string> masks = {"*.htm", "*.html"})
      : walker(fs) {
    walker.rootFolder = FakeFileSystem::kRoot;
    walker.filter.setMasks(std::move(masks));
    walker.onFileFound = [this](DirectoryWalker&, const FoundFile& file) {
      reported.push_back(file.path);
    };
  }
  DirectoryWalker walker;
  std::vector<std::string> reported;
};

TEST(DirectoryWalker, ReportsFilesOfAFolderInListingOrderBeforeItsSubfolders) {
  FakeFileSystem fs;
  fs.addFile("b.html");
  fs.addFolder("sub");
  fs.addFile("sub/d.htm");
  fs.addFile("a.htm");
  fs.addFile("c.gif");
  WalkFixture walk(fs);
  EXPECT_TRUE(walk.walker.walk());
  EXPECT_THAT(walk.reported, ElementsAre("ROOT/b.html", "ROOT/a.htm", "ROOT/sub/d.htm"));
}

TEST(DirectoryWalker, WalksDepthFirstWithOneListingOpenAtATime) {
  FakeFileSystem fs;
  fs.addFile("A/A1/x.htm");
  fs.addFile("A/y.htm");
  fs.addFile("B/z.htm");
  WalkFixture walk(fs);
  EXPECT_TRUE(walk.walker.walk());
  EXPECT_THAT(walk.reported, ElementsAre("ROOT/A/y.htm", "ROOT/A/A1/x.htm", "ROOT/B/z.htm"));
  EXPECT_THAT(fs.listedFolders(), ElementsAre("", "A", "A/A1", "B"));
  EXPECT_EQ(fs.maxOpenListings, 1);
}

struct FilterCase {
  const char* name;
  std::vector<std::string> masks;
  std::vector<std::string> files;
  std::vector<std::string> reported;
  friend void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }
};

class DirectoryWalkerFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(DirectoryWalkerFilter, ReportsExactlyTheMatchingFiles) {
  FakeFileSystem fs;
  for (const auto& file : GetParam().files) fs.addFile(file);
  WalkFixture walk(fs, GetParam().masks);
  EXPECT_TRUE(walk.walker.walk());
  std::vector<std::string> expected;
  for (const auto& file : GetParam().reported) expected.push_back(std::string("ROOT/") + file);
  EXPECT_EQ(walk.reported, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DirectoryWalkerFilter,
    ::testing::Values(
        FilterCase{"CaseIgnoredNameKeptAsListed",
                   {"*.htm"},
                   {"INDEX.HTM", "index.htm"},
                   {"INDEX.HTM", "index.htm"}},
        FilterCase{"WholeNameMatch", {"*.htm"}, {"index.html", "a.htm.bak", "a.htm"}, {"a.htm"}},
        FilterCase{"OneReportPerFile", {"*.htm", "*"}, {"a.htm", "README"}, {"a.htm", "README"}},
        FilterCase{"StarDotStarNeedsAFullStop", {"*.*"}, {"README", "a.b"}, {"a.b"}},
        FilterCase{"QuestionMarkIsOneCharacter",
                   {"?.htm"},
                   {"a.htm", "ab.htm", "š.htm"},
                   {"a.htm", "š.htm"}},
        FilterCase{"EmptyListLetsEverythingThrough", {}, {"a.gif", "b"}, {"a.gif", "b"}},
        FilterCase{"FolderNamesAreNeverMatched",
                   {"*.htm"},
                   {"x.htm/page.htm", "x.htm/p.gif"},
                   {"x.htm/page.htm"}},
        FilterCase{
            "BlanksArePartOfTheMask", {"*.htm", " *.html"}, {"a.html", " b.html"}, {" b.html"}}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(DirectoryWalker, EmptyMaskEndsTheWalkAtTheFirstFileThatReachesIt) {
  FakeFileSystem fs;
  fs.addFile("a.htm");
  fs.addFile("b.HTM");
  fs.addFile("c.html");
  fs.addFile("d.htm");
  WalkFixture walk(fs, {"*.htm", "", "*.html"});
  try {
    walk.walker.walk();
    FAIL() << "no error";
  } catch (const EmptyMaskError& error) {
    EXPECT_STREQ(error.what(), "Search string cannot be blank");
  }
  EXPECT_THAT(walk.reported, ElementsAre("ROOT/a.htm", "ROOT/b.HTM"));
  EXPECT_FALSE(walk.walker.isWalking());
  EXPECT_EQ(fs.openListings, 0);
}

TEST(DirectoryWalker, NameWithALeadingFullStopIsAnOrdinaryName) {
  FakeFileSystem fs;
  fs.addFile(".dotted.htm");
  fs.addFile(".folder/inside.htm");
  WalkFixture walk(fs);
  walk.walker.walk();
  EXPECT_THAT(walk.reported, ElementsAre("ROOT/.dotted.htm", "ROOT/.folder/inside.htm"));
}

TEST(DirectoryWalker, SkipsDotAndDotDot) {
  FakeFileSystem fs;
  fs.addLink("", ".", "");
  fs.addLink("", "..", "");
  fs.addFile("a.htm");
  WalkFixture walk(fs);
  EXPECT_TRUE(walk.walker.walk());
  EXPECT_THAT(walk.reported, ElementsAre("ROOT/a.htm"));
  EXPECT_EQ(fs.listedFolders().size(), 1u);
}

TEST(DirectoryWalker, MissingRootReportsNothingAndFails) {
  FakeFileSystem fs;
  fs.addFile("a.htm");
  WalkFixture walk(fs);
  walk.walker.rootFolder = "elsewhere/";
  EXPECT_FALSE(walk.walker.walk());
  EXPECT_THAT(walk.reported, IsEmpty());
  EXPECT_EQ(walk.walker.failure().folder, "elsewhere/");
  EXPECT_EQ(walk.walker.failure().kind, FailureKind::Gone);
}

TEST(DirectoryWalker, RefusedFolderCountsAsEmptyAndTheWalkGoesOn) {
  FakeFileSystem fs;
  fs.addFile("locked/a.htm");
  fs.addFile("locked/deeper/b.htm");
  fs.addFile("open/c.htm");
  fs.folder("locked").listError = EACCES;
  WalkFixture walk(fs);
  EXPECT_TRUE(walk.walker.walk());
  EXPECT_THAT(walk.reported, ElementsAre("ROOT/open/c.htm"));
}

TEST(DirectoryWalker, FolderThatCannotBeOpenedForLackOfRightsCountsAsEmpty) {
  FakeFileSystem fs;
  fs.addFile("locked/a.htm");
  fs.addFile("z.htm");
  fs.folder("locked").openError = EACCES;
  WalkFixture walk(fs);
  EXPECT_TRUE(walk.walker.walk());
  EXPECT_THAT(walk.reported, ElementsAre("ROOT/z.htm"));
}

struct FailureCase {
  const char* name;
  void (*breakFolder)(FakeFileSystem::FakeFolder&);
  int code;  // the error number the failure carries
  friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

class DirectoryWalkerFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DirectoryWalkerFailure, EndsTheWholeWalkKeepingWhatWasReported) {
  FakeFileSystem fs;
  fs.addFile("A/a1.htm");
  fs.addFile("A/a2.htm");
  fs.addFile("A/A1/deep.htm");
  fs.addFile("B/b.htm");
  GetParam().breakFolder(fs.folder("A"));
  WalkFixture walk(fs);
  EXPECT_FALSE(walk.walker.walk());
  for (const auto& path : walk.reported) EXPECT_TRUE(path.rfind("ROOT/A/a", 0) == 0) << path;
  EXPECT_THAT(fs.listedFolders(), ElementsAre("", "A"));
  EXPECT_FALSE(walk.walker.isWalking());
  EXPECT_EQ(fs.openListings, 0);
  EXPECT_EQ(walk.walker.failure().folder, "ROOT/A/");
  EXPECT_EQ(walk.walker.failure().kind, FailureKind::Failed);
  EXPECT_EQ(walk.walker.failure().error, GetParam().code);
}

// Every listing failure that is neither a refusal nor a folder gone by the
// time it is opened: an input/output error (5), too many open files (24),
// no memory (12).
INSTANTIATE_TEST_SUITE_P(
    Cases, DirectoryWalkerFailure,
    ::testing::Values(FailureCase{"ListingCannotStart", [](auto& f) { f.listError = 12; }, 12},
                      FailureCase{"NextEntryFailsMidway", [](auto& f) { f.failNextAfter = 1; }, 5},
                      FailureCase{"ClosingFails", [](auto& f) { f.closeError = 5; }, 5}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(DirectoryWalker, SubfolderGoneBeforeItIsOpenedIsSkippedAndTheWalkGoesOn) {
  // Removed (ENOENT), or replaced by a file (ENOTDIR), after its parent's
  // listing named it.
  for (const int code : {ENOENT, ENOTDIR}) {
    FakeFileSystem fs;
    fs.addFile("A/a.htm");
    fs.addFile("B/b.htm");
    fs.folder("A").openError = code;
    WalkFixture walk(fs);
    EXPECT_TRUE(walk.walker.walk());
    EXPECT_THAT(walk.reported, ElementsAre("ROOT/B/b.htm"));
    EXPECT_EQ(walk.walker.failure().error, 0);
  }
}

TEST(DirectoryWalker, SubfolderThatCannotBeOpenedForAnotherReasonEndsTheWalk) {
  FakeFileSystem fs;
  fs.addFile("A/a.htm");
  fs.addFile("B/b.htm");
  fs.folder("A").openError = EMFILE;
  WalkFixture walk(fs);
  EXPECT_FALSE(walk.walker.walk());
  EXPECT_THAT(walk.reported, IsEmpty());
  EXPECT_EQ(walk.walker.failure().folder, "ROOT/A/");
  EXPECT_EQ(walk.walker.failure().error, EMFILE);
}

TEST(DirectoryWalker, WalkInsideAWalkIsRefusedAndChangesNothing) {
  FakeFileSystem fs;
  fs.addFile("a.htm");
  fs.addFile("b.htm");
  WalkFixture walk(fs);
  std::vector<bool> inner;
  walk.walker.onFileFound = [&](DirectoryWalker& sender, const FoundFile& file) {
    walk.reported.push_back(file.path);
    inner.push_back(sender.walk());
  };
  EXPECT_TRUE(walk.walker.walk());
  EXPECT_THAT(inner, ElementsAre(false, false));
  EXPECT_THAT(walk.reported, ElementsAre("ROOT/a.htm", "ROOT/b.htm"));
  EXPECT_TRUE(walk.walker.walk()) << "a finished walk leaves the walker idle";
}

TEST(DirectoryWalker, ErrorFromTheHandlerEndsTheWalkAndReachesTheCaller) {
  FakeFileSystem fs;
  fs.addFile("a.htm");
  fs.addFile("b.htm");
  WalkFixture walk(fs);
  walk.walker.onFileFound = [&](DirectoryWalker&, const FoundFile& file) {
    walk.reported.push_back(file.path);
    throw std::runtime_error("handler failed");
  };
  EXPECT_THROW(walk.walker.walk(), std::runtime_error);
  EXPECT_FALSE(walk.walker.isWalking());
  EXPECT_THAT(walk.reported, ElementsAre("ROOT/a.htm"));
  EXPECT_EQ(fs.openListings, 0);
}

TEST(DirectoryWalker, MasksChangedDuringTheWalkApplyToTheFilesAfter) {
  FakeFileSystem fs;
  fs.addFile("a.htm");
  fs.addFile("b.gif");
  WalkFixture walk(fs, {"*.htm"});
  walk.walker.onFileFound = [&](DirectoryWalker& sender, const FoundFile& file) {
    walk.reported.push_back(file.path);
    sender.filter.setMasks({"*.GIF"});
  };
  walk.walker.walk();
  EXPECT_THAT(walk.reported, ElementsAre("ROOT/a.htm", "ROOT/b.gif"));
}

TEST(DirectoryWalker, FolderItSkipsIsNeitherListedNorReported) {
  FakeFileSystem fs;
  fs.addFile("a.html");
  fs.addFile("drafts/b.html");
  fs.addFile("drafts/deep/c.html");
  fs.addFile("blog/tags/d.html");
  fs.addFile("blog/e.html");
  WalkFixture walk(fs);
  const ExcludePatterns patterns("drafts/;tags/");
  std::vector<std::string> asked;
  std::vector<std::string> skipped;
  walk.walker.skipFolder = [&](std::string_view folder) {
    asked.emplace_back(folder);
    const bool skip = patterns.matchFolder(folder).has_value();
    if (skip) skipped.emplace_back(folder);
    return skip;
  };
  EXPECT_TRUE(walk.walker.walk());
  EXPECT_THAT(walk.reported, ElementsAre("ROOT/a.html", "ROOT/blog/e.html"));
  EXPECT_THAT(fs.listedFolders(), ElementsAre("", "blog"));
  EXPECT_THAT(asked, ElementsAre("drafts/", "blog/", "blog/tags/"));
  EXPECT_THAT(skipped, ElementsAre("drafts/", "blog/tags/"));
}

TEST(DirectoryWalker, LinkBackToAFolderOnTheDescentPathIsNotEntered) {
  FakeFileSystem fs;
  fs.addFile("A/a.htm");
  fs.addFile("B/b.htm");
  fs.addLink("A", "up", "");        // back to the root
  fs.addLink("A", "self", "A");     // to itself
  fs.addLink("A", "sibling", "B");  // not on the path: walked
  WalkFixture walk(fs);
  EXPECT_TRUE(walk.walker.walk());
  EXPECT_THAT(walk.reported, ElementsAre("ROOT/A/a.htm", "ROOT/A/sibling/b.htm", "ROOT/B/b.htm"));
}

TEST(DirectoryWalker, VeryDeepTreeDoesNotExhaustTheStack) {
  FakeFileSystem fs;
  std::string path;
  for (int i = 0; i < 100000; ++i) path += "d/";
  fs.addFile(path + "deep.htm");
  WalkFixture walk(fs);
  EXPECT_TRUE(walk.walker.walk());
  ASSERT_EQ(walk.reported.size(), 1u);
  EXPECT_EQ(walk.reported[0], "ROOT/" + path + "deep.htm");
}

TEST(DirectoryWalker, DeepTreeKeepsFewFoldersOpenAndWalksInTheSameOrder) {
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
  FakeFileSystem fs;
  fs.addFolder("d");
  for (int level = 0; level < 40; ++level) fs.addFile("B/" + repeat("b/", level) + "g.htm");
  fs.addFile("B/" + repeat("b/", 10) + "c/c.htm");
  for (int level = 0; level < 100; ++level) fs.addFile(repeat("d/", level) + "f.htm");
  fs.addFile(repeat("d/", 50) + "e/e.htm");
  fs.addLink(repeat("d/", 70), "x", "B");

  const auto walkOfB = [&](const std::string& prefix, std::vector<std::string>& paths) {
    for (int level = 0; level < 40; ++level)
      paths.push_back(prefix + repeat("b/", level) + "g.htm");
    paths.push_back(prefix + repeat("b/", 10) + "c/c.htm");
  };
  std::vector<std::string> expected;
  expected.reserve(100 + 41 + 1 + 41);
  for (int level = 0; level < 100; ++level)
    expected.push_back("ROOT/" + repeat("d/", level) + "f.htm");
  walkOfB("ROOT/" + repeat("d/", 70) + "x/", expected);
  expected.push_back("ROOT/" + repeat("d/", 50) + "e/e.htm");
  walkOfB("ROOT/B/", expected);

  WalkFixture walk(fs);
  EXPECT_TRUE(walk.walker.walk());
  EXPECT_EQ(walk.reported, expected);
  EXPECT_LE(fs.maxOpenFolders, 40);
  EXPECT_EQ(fs.openFolders, 0);
}

/// A chain of 40 folders "d" with a file on each level, and beside level 5
/// of it a folder "e" that the walk enters only after coming back up from
/// the bottom, through levels it closed meanwhile. When the walk reaches the
/// bottom, opening level 5 fails with `error`, as if it changed right then.
struct ReopenRun {
  std::vector<std::string> reported;
  bool result = false;
  DirectoryWalker::ListingFailure failure;
};
ReopenRun walkWhileALevelChanges(int error) {
  std::string level5;
  for (int level = 0; level < 5; ++level) level5 += "d/";
  std::string chain;
  for (int level = 0; level < 40; ++level) chain += "d/";
  FakeFileSystem fs;
  fs.addFile(chain + "bottom.htm");
  fs.addFile(level5 + "e/e.htm");
  fs.addFile("top.htm");
  fs.addFolder("z");
  fs.addFile("z/z.htm");
  WalkFixture walk(fs);
  walk.walker.onFileFound = [&](DirectoryWalker&, const FoundFile& file) {
    walk.reported.push_back(file.path);
    if (file.name == "bottom.htm") fs.folder(level5).openError = error;
  };
  ReopenRun run;
  run.result = walk.walker.walk();
  run.reported = walk.reported;
  run.failure = walk.walker.failure();
  return run;
}

TEST(DirectoryWalker, LevelGoneWhenTheWalkComesBackToItIsSkippedWithTheRestOfItsFolders) {
  for (const int gone : {ENOENT, EACCES}) {
    const ReopenRun run = walkWhileALevelChanges(gone);
    EXPECT_TRUE(run.result);
    EXPECT_EQ(run.reported.front(), "ROOT/top.htm");
    EXPECT_TRUE(run.reported[1].ends_with("/bottom.htm"));
    EXPECT_EQ(run.reported.back(), "ROOT/z/z.htm") << "the walk goes on after the level";
    EXPECT_EQ(run.reported.size(), 3u) << "the level's folder e is not walked";
  }
}

TEST(DirectoryWalker, LevelThatCannotBeOpenedAgainForAnotherReasonEndsTheWalk) {
  const ReopenRun run = walkWhileALevelChanges(EIO);
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.reported.size(), 2u);
  EXPECT_EQ(run.failure.folder, "ROOT/d/d/d/d/d/");
  EXPECT_EQ(run.failure.error, EIO);
}

// The same walk on the machine's own file system.

TEST(DirectoryWalkerOnDisk, ReportsFullPathsOfNestedFilesOnceEachFollowingLinksWithoutLooping) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  dir.writeFile("news/page.htm");
  dir.writeFile("news/old/x.html");
  dir.writeFile("news/pic.gif");
  test::TempDir outside;
  outside.writeFile("ext.htm");
  ASSERT_EQ(symlink("..", (dir / "news/up").c_str()), 0);
  ASSERT_EQ(symlink(outside.path().c_str(), (dir / "linked").c_str()), 0);
  ASSERT_EQ(symlink("missing.htm", (dir / "dangling.htm").c_str()), 0);

  DirectoryWalker walker;
  walker.rootFolder = dir.path();
  walker.filter.setMasks({"*.htm", "*.html"});
  std::vector<std::string> reported;
  walker.onFileFound = [&](DirectoryWalker&, const FoundFile& file) {
    reported.push_back(file.path);
  };
  EXPECT_TRUE(walker.walk());
  EXPECT_THAT(reported,
              UnorderedElementsAre(dir / "a.htm", dir / "dangling.htm", dir / "news/page.htm",
                                   dir / "news/old/x.html", dir / "linked/ext.htm"));
  // Depth first: the files of news come before those of news/old.
  const auto page = std::find(reported.begin(), reported.end(), dir / "news/page.htm");
  const auto old = std::find(reported.begin(), reported.end(), dir / "news/old/x.html");
  EXPECT_LT(page, old);
}

TEST(DirectoryWalkerOnDisk, MissingRootFails) {
  test::TempDir dir;
  DirectoryWalker walker;
  walker.rootFolder = dir / "missing/";
  EXPECT_FALSE(walker.walk());
  walker.rootFolder = dir.writeFile("file");
  EXPECT_FALSE(walker.walk());
}

}  // namespace
}  // namespace qorv
