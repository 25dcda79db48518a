// Folder trees built to break a walk: link cycles, links out of the tree or
// to nothing, great depth, paths past PATH_MAX, huge folders, names no one
// would choose, and files and folders that vanish while the walk runs. Each
// ends as documented, and the sitemap written is well-formed UTF-8 XML.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "core/pagelist.h"
#include "tests/reliability/reliability.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

std::string Url(const std::string& relative) {
  return std::string(test::kSiteUrl) + "/" + relative;
}

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

class HostileTree : public ::testing::Test {
 protected:
  // Trees deeper than PATH_MAX are beyond what the temporary folder's own
  // clean-up can remove.
  ~HostileTree() override { test::RemoveTree(Dir.Path()); }

  std::string Link(const std::string& target, const std::string& name) const {
    const std::string path = Dir / name;
    EXPECT_EQ(symlink(target.c_str(), path.c_str()), 0) << name;
    return path;
  }

  /// The scan ended without an error and its sitemap holds `urls` url
  /// elements (the root row's included) and parses as XML.
  static void ExpectSitemap(const test::TScanOutcome& outcome, std::size_t urls) {
    EXPECT_EQ(outcome.Error, "");
    EXPECT_TRUE(outcome.Check.WellFormed) << outcome.Check.Error;
    EXPECT_EQ(outcome.Check.UrlCount, urls);
    EXPECT_EQ(outcome.Result.UrlCount, urls);
  }

  test::TTempDir Dir;
};

TEST_F(HostileTree, LinkCyclesEnd) {
  Dir.WriteFile("a/f.htm");
  Dir.WriteFile("b/g.htm");
  Link("..", "a/up");
  Link(".", "a/self");
  Link("../b", "a/to_b");
  Link("../a", "b/to_a");
  const test::TScanOutcome outcome = test::ScanAndWrite(Dir.Path(), "*.htm");
  // Each folder is entered once per way in that does not lead back into
  // the descent: b through a's link, a through b's.
  EXPECT_THAT(outcome.FileUrls(), UnorderedElementsAre(Url("a/f.htm"), Url("a/to_b/g.htm"),
                                                       Url("b/g.htm"), Url("b/to_a/f.htm")));
  ExpectSitemap(outcome, 5);
}

TEST_F(HostileTree, LinksOutOfTheTreeAreFollowedAndDanglingOnesSkipped) {
  test::TTempDir outside;
  outside.WriteFile("ext.htm");
  outside.WriteFile("deeper/x.htm");
  ASSERT_EQ(symlink(Dir.Path().c_str(), (outside / "back").c_str()), 0);
  Dir.WriteFile("a.htm");
  Link(outside.Path(), "linked");
  Link(outside / "ext.htm", "file-link.htm");
  Link("missing.htm", "dangling.htm");
  Link("missing-folder/", "dangling-folder");
  const test::TScanOutcome outcome = test::ScanAndWrite(Dir.Path(), "*.htm");
  // linked/back leads to the root, which the walk is inside.
  EXPECT_THAT(outcome.FileUrls(),
              UnorderedElementsAre(Url("a.htm"), Url("file-link.htm"), Url("linked/ext.htm"),
                                   Url("linked/deeper/x.htm")));
  ExpectSitemap(outcome, 5);
}

TEST_F(HostileTree, FolderThreeHundredLevelsDeep) {
  std::vector<std::string> expected;
  for (int level = 0; level <= 300; level += 50) {
    const std::string path = Repeat("d/", level) + "f" + std::to_string(level) + ".htm";
    Dir.WriteFile(path);
    expected.push_back(Url(path));
  }
  const test::TScanOutcome outcome = test::ScanAndWrite(Dir.Path(), "*.htm");
  EXPECT_EQ(outcome.FileUrls(), expected) << "depth first, one file per level";
  ExpectSitemap(outcome, expected.size() + 1);
}

TEST_F(HostileTree, PathLongerThanPathMaxIsWalkedThroughDescriptors) {
  const std::vector<std::string> folders(20, std::string(250, 'x'));
  ASSERT_TRUE(test::MakePathAt(Dir.Path(), {folders.begin(), folders.begin() + 4}, "near.htm"));
  ASSERT_TRUE(test::MakePathAt(Dir.Path(), folders, "deep.htm"));
  std::string deep;
  for (const std::string& folder : folders) deep += folder + "/";
  ASSERT_GT((Dir.Path() + deep).size(), 4096u);

  const test::TScanOutcome outcome = test::ScanAndWrite(Dir.Path(), "*.htm");
  // The deep file's row exists, so its time was read; its URL is too long
  // to be written.
  EXPECT_THAT(outcome.FileUrls(),
              ElementsAre(Url(Repeat(folders[0] + "/", 4) + "near.htm"), Url(deep + "deep.htm")));
  EXPECT_EQ(outcome.OverlongCount, 1);
  ExpectSitemap(outcome, 2);
}

TEST_F(HostileTree, TreeDeeperThanTheDescriptorLimit) {
  // Each level of the descent used to hold its folder open, so 300 levels
  // needed 300 descriptors and the walk ended where they ran out.
  std::vector<std::string> expected;
  for (int level = 0; level < 300; ++level) {
    const std::string path = Repeat("d/", level) + "f.htm";
    Dir.WriteFile(path);
    expected.push_back(Url(path));
  }
  // Files beside the chain are reached only by going back up through it.
  for (const int level : {250, 100, 1}) {
    const std::string path = Repeat("d/", level) + "side/s.htm";
    Dir.WriteFile(path);
    expected.push_back(Url(path));
  }
  const test::TLimit limit(RLIMIT_NOFILE, 64);
  ASSERT_TRUE(limit.Set());
  const test::TScanOutcome outcome = test::ScanAndWrite(Dir.Path(), "*.htm");
  EXPECT_THAT(outcome.FileUrls(), UnorderedElementsAreArray(expected));
  ExpectSitemap(outcome, expected.size() + 1);
}

TEST_F(HostileTree, HundredThousandFilesInOneFolder) {
  const int folder = open(Dir.MakeDir("many").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(folder, 0);
  for (int i = 0; i < 100000; ++i) {
    const std::string name = "page" + std::to_string(i) + ".htm";
    const int fd = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << name;
    close(fd);
  }
  close(folder);
  const test::TScanOutcome outcome = test::ScanAndWrite(Dir.Path(), "*.htm");
  EXPECT_EQ(outcome.FileUrls().size(), 100000u);
  ExpectSitemap(outcome, 100001);
  EXPECT_TRUE(outcome.Result.ExceedsLimits()) << "more than 50000 URLs";
}

struct TNameCase {
  const char* Name;
  std::string FileName;
  std::string Url;  // after the site URL and its "/"
  friend void PrintTo(const TNameCase& c, std::ostream* os) { *os << c.Name; }
};

class HostileName : public HostileTree, public ::testing::WithParamInterface<TNameCase> {};

TEST_P(HostileName, GivesAWellFormedUrlThatReadsBack) {
  const TNameCase& c = GetParam();
  Dir.WriteFile(c.FileName);
  const test::TScanOutcome outcome = test::ScanAndWrite(Dir.Path(), "*.htm");
  EXPECT_THAT(outcome.FileUrls(), ElementsAre(Url(c.Url)));
  ExpectSitemap(outcome, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileName,
    ::testing::Values(TNameCase{"LineBreaks", "new\nline\r.htm", "new%0Aline%0D.htm"},
                      TNameCase{"Tab", "tab\t.htm", "tab%09.htm"},
                      TNameCase{"XmlSpecials", "&<>\"'.htm", "&amp;&lt;&gt;&quot;&apos;.htm"},
                      TNameCase{"LooksLikeAnEntity", "&amp;.htm", "&amp;amp;.htm"},
                      TNameCase{"InvalidUtf8", "bad\xff\xfe\xc3.htm", "bad%FF%FE%C3.htm"},
                      TNameCase{"NonCharacter", "\xef\xbf\xbe.htm", "%EF%BF%BE.htm"},
                      TNameCase{"Delete", "del\x7f.htm", "del%7F.htm"},
                      TNameCase{"LeadingDash", "-rf.htm", "-rf.htm"},
                      TNameCase{"Backslash", "a\\b.htm", "a/b.htm"},
                      TNameCase{"BlanksAround", " a b .htm", " a b .htm"},
                      TNameCase{"LongestName", std::string(251, 'n') + ".htm",
                                std::string(251, 'n') + ".htm"},
                      TNameCase{"LongestNameOfTwoByteLetters", Repeat("\xc3\xa9", 125) + ".htm",
                                Repeat("\xc3\xa9", 125) + ".htm"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(HostileTree, FilesRemovedDuringTheWalkAreSkipped) {
  for (int i = 0; i < 50; ++i) Dir.WriteFile("f" + std::to_string(i) + ".htm");
  bool removed = false;
  const test::TScanOutcome outcome = test::ScanAndWrite(Dir.Path(), "*.htm", [&] {
    if (removed) return;
    removed = true;
    for (int i = 0; i < 50; ++i) unlink((Dir / ("f" + std::to_string(i) + ".htm")).c_str());
  });
  // The listing may still name the others; their times cannot be read.
  EXPECT_EQ(outcome.FileUrls().size(), 1u);
  ExpectSitemap(outcome, 2);
}

struct TVanishCase {
  const char* Name;
  /// Changes "s" in `dir`; `outside` holds y.htm.
  void (*Change)(const test::TTempDir& dir, const std::string& outside);
  std::vector<std::string> After;  // files reported after a.htm
  friend void PrintTo(const TVanishCase& c, std::ostream* os) { *os << c.Name; }
};

class FolderChangedBeforeItIsEntered : public HostileTree,
                                       public ::testing::WithParamInterface<TVanishCase> {};

TEST_P(FolderChangedBeforeItIsEntered, EndsAsDocumented) {
  // The root's own files are reported before any of its folders is entered.
  Dir.WriteFile("a.htm");
  Dir.WriteFile("s/x.htm");
  const test::TTempDir outside;
  outside.WriteFile("y.htm");
  bool changed = false;
  const test::TScanOutcome outcome = test::ScanAndWrite(Dir.Path(), "*.htm", [&] {
    if (!changed) GetParam().Change(Dir, outside.Path());
    changed = true;
  });
  std::vector<std::string> expected = {Url("a.htm")};
  for (const std::string& path : GetParam().After) expected.push_back(Url(path));
  EXPECT_EQ(outcome.FileUrls(), expected);
  ExpectSitemap(outcome, expected.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, FolderChangedBeforeItIsEntered,
                         ::testing::Values(
                             // A listing failure, which ends the walk silently.
                             TVanishCase{"Removed",
                                         [](const test::TTempDir& dir, const std::string&) {
                                           test::RemoveTree(dir / "s");
                                         },
                                         {}},
                             TVanishCase{"ReplacedByAFile",
                                         [](const test::TTempDir& dir, const std::string&) {
                                           test::RemoveTree(dir / "s");
                                           dir.WriteFile("s");
                                         },
                                         {}},
                             // A pipe is refused at once, never waited on.
                             TVanishCase{"ReplacedByAPipe",
                                         [](const test::TTempDir& dir, const std::string&) {
                                           test::RemoveTree(dir / "s");
                                           mkfifo((dir / "s").c_str(), 0666);
                                         },
                                         {}},
                             // Still a folder by that name: walked as it is now.
                             TVanishCase{"ReplacedByALink",
                                         [](const test::TTempDir& dir, const std::string& outside) {
                                           test::RemoveTree(dir / "s");
                                           symlink(outside.c_str(), (dir / "s").c_str());
                                         },
                                         {"s/y.htm"}}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(HostileTree, FolderRemovedWhileItIsListed) {
  for (int i = 0; i < 1000; ++i) Dir.WriteFile("big/f" + std::to_string(i) + ".htm");
  Dir.WriteFile("big/inner/y.htm");
  bool removed = false;
  const test::TScanOutcome outcome = test::ScanAndWrite(Dir.Path(), "*.htm", [&] {
    if (!removed) test::RemoveTree(Dir / "big");
    removed = true;
  });
  EXPECT_EQ(outcome.FileUrls().size(), 1u);
  ExpectSitemap(outcome, 2);
}

struct TTargetCase {
  const char* Name;
  bool (*Make)(const std::string& path);
  bool Written;  // whether a sitemap.xml file takes the place
  friend void PrintTo(const TTargetCase& c, std::ostream* os) { *os << c.Name; }
};

class SitemapPathHolds : public HostileTree, public ::testing::WithParamInterface<TTargetCase> {};

TEST_P(SitemapPathHolds, SomethingThatIsNoFile) {
  const TTargetCase& c = GetParam();
  Dir.WriteFile("a.htm");
  if (!c.Make(Dir / "sitemap.xml")) GTEST_SKIP() << "cannot make that node here";
  struct stat before;
  ASSERT_EQ(lstat((Dir / "sitemap.xml").c_str(), &before), 0);
  const std::vector<std::string> names = test::Names(Dir.Path());

  const test::TScanOutcome outcome = test::ScanAndWrite(Dir.Path(), "*.htm");
  struct stat after;
  ASSERT_EQ(lstat((Dir / "sitemap.xml").c_str(), &after), 0);
  if (c.Written) {
    ExpectSitemap(outcome, 2);
    EXPECT_TRUE(S_ISREG(after.st_mode));
  } else {
    EXPECT_THAT(outcome.Error, HasSubstr("EInOutError"));
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_ino, before.st_ino);
  }
  EXPECT_EQ(test::Names(Dir.Path()), names) << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SitemapPathHolds,
    ::testing::Values(
        TTargetCase{"Folder", [](const std::string& p) { return mkdir(p.c_str(), 0755) == 0; },
                    false},
        TTargetCase{"Pipe", [](const std::string& p) { return mkfifo(p.c_str(), 0666) == 0; },
                    false},
        TTargetCase{"LinkToADevice",
                    [](const std::string& p) {
                      const std::string device = p + "-null";
                      return mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 &&
                             symlink(device.c_str(), p.c_str()) == 0;
                    },
                    false},
        // A link to nothing is replaced, as a missing file would be created.
        TTargetCase{"DanglingLink",
                    [](const std::string& p) { return symlink("nowhere.xml", p.c_str()) == 0; },
                    true}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace qorv
