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
#include <fstream>

#include <cerrno>
#include <string>
#include <vector>

#include "core/pagelist.h"
#include "core/parallelwalker.h"
#include "tests/reliability/reliability.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

std::string url(const std::string& relative) {
  return std::string(test::kSiteUrl) + "/" + relative;
}

std::string repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

class HostileTree : public ::testing::Test {
 protected:
  // Trees deeper than PATH_MAX are beyond what the temporary folder's own
  // clean-up can remove.
  ~HostileTree() override { test::removeTree(dir.path()); }

  std::string link(const std::string& target, const std::string& name) const {
    std::string path = dir / name;
    EXPECT_EQ(symlink(target.c_str(), path.c_str()), 0) << name;
    return path;
  }

  /// The scan ended without an error and its sitemap holds `urls` url
  /// elements (the root row's included) and parses as XML.
  static void expectSitemap(const test::ScanOutcome& outcome, std::size_t urls) {
    EXPECT_EQ(outcome.error, "");
    EXPECT_TRUE(outcome.check.wellFormed) << outcome.check.error;
    EXPECT_EQ(outcome.check.urlCount, urls);
    EXPECT_EQ(outcome.result.urlCount, urls);
  }

  test::TempDir dir;
};

TEST_F(HostileTree, LinkCyclesEnd) {
  dir.writeFile("a/f.htm");
  dir.writeFile("b/g.htm");
  link("..", "a/up");
  link(".", "a/self");
  link("../b", "a/to_b");
  link("../a", "b/to_a");
  const test::ScanOutcome outcome = test::scanAndWrite(dir.path(), "*.htm");
  // Each folder is entered once per way in that does not lead back into
  // the descent: b through a's link, a through b's.
  EXPECT_THAT(outcome.fileUrls(), UnorderedElementsAre(url("a/f.htm"), url("a/to_b/g.htm"),
                                                       url("b/g.htm"), url("b/to_a/f.htm")));
  expectSitemap(outcome, 5);
}

TEST_F(HostileTree, LinksOutOfTheTreeAreFollowedAndDanglingOnesSkipped) {
  test::TempDir outside;
  outside.writeFile("ext.htm");
  outside.writeFile("deeper/x.htm");
  ASSERT_EQ(symlink(dir.path().c_str(), (outside / "back").c_str()), 0);
  dir.writeFile("a.htm");
  link(outside.path(), "linked");
  link(outside / "ext.htm", "file-link.htm");
  link("missing.htm", "dangling.htm");
  link("missing-folder/", "dangling-folder");
  const test::ScanOutcome outcome = test::scanAndWrite(dir.path(), "*.htm");
  // linked/back leads to the root, which the walk is inside.
  EXPECT_THAT(outcome.fileUrls(),
              UnorderedElementsAre(url("a.htm"), url("file-link.htm"), url("linked/ext.htm"),
                                   url("linked/deeper/x.htm")));
  expectSitemap(outcome, 5);
}

TEST_F(HostileTree, FolderThreeHundredLevelsDeep) {
  std::vector<std::string> expected;
  for (int level = 0; level <= 300; level += 50) {
    const std::string path = repeat("d/", level) + "f" + std::to_string(level) + ".htm";
    dir.writeFile(path);
    expected.push_back(url(path));
  }
  const test::ScanOutcome outcome = test::scanAndWrite(dir.path(), "*.htm");
  EXPECT_EQ(outcome.fileUrls(), expected) << "depth first, one file per level";
  expectSitemap(outcome, expected.size() + 1);
}

TEST_F(HostileTree, PathLongerThanPathMaxIsWalkedThroughDescriptors) {
  const std::vector<std::string> folders(20, std::string(250, 'x'));
  ASSERT_TRUE(test::makePathAt(dir.path(), {folders.begin(), folders.begin() + 4}, "near.htm"));
  ASSERT_TRUE(test::makePathAt(dir.path(), folders, "deep.htm"));
  std::string deep;
  for (const std::string& folder : folders) deep += folder + "/";
  ASSERT_GT((dir.path() + deep).size(), 4096u);

  const test::ScanOutcome outcome = test::scanAndWrite(dir.path(), "*.htm");
  // The deep file's row exists, so its time was read; its URL is too long
  // to be written.
  EXPECT_THAT(outcome.fileUrls(),
              ElementsAre(url(repeat(folders[0] + "/", 4) + "near.htm"), url(deep + "deep.htm")));
  EXPECT_EQ(outcome.overlongCount, 1);
  expectSitemap(outcome, 2);
}

TEST_F(HostileTree, TreeDeeperThanTheDescriptorLimit) {
  // Each level of the descent used to hold its folder open, so 300 levels
  // needed 300 descriptors and the walk ended where they ran out.
  std::vector<std::string> expected;
  for (int level = 0; level < 300; ++level) {
    const std::string path = repeat("d/", level) + "f.htm";
    dir.writeFile(path);
    expected.push_back(url(path));
  }
  // Files beside the chain are reached only by going back up through it.
  for (const int level : {250, 100, 1}) {
    const std::string path = repeat("d/", level) + "side/s.htm";
    dir.writeFile(path);
    expected.push_back(url(path));
  }
  const test::Limit limit(RLIMIT_NOFILE, 64);
  ASSERT_TRUE(limit.set());
  const test::ScanOutcome outcome = test::scanAndWrite(dir.path(), "*.htm");
  EXPECT_THAT(outcome.fileUrls(), UnorderedElementsAreArray(expected));
  expectSitemap(outcome, expected.size() + 1);
}

/// The files a walk on `threads` threads reports under `root`, in order,
/// each with "!" appended when its time could not be read.
std::vector<std::string> walkedFiles(const std::string& root, unsigned threads) {
  ParallelWalker<Result<std::int64_t>> walker(
      localFileSystem(), [](Folder& folder, std::string_view, std::string_view name) {
        return folder.writeTime(name);
      });
  walker.rootFolder = root;
  walker.threads = threads;
  walker.filter.setMasks({"*.htm"});
  std::vector<std::string> files;
  walker.onFileFound = [&](const ParallelWalker<Result<std::int64_t>>::File& file) {
    files.push_back(file.path + (file.value ? "" : "!"));
  };
  EXPECT_TRUE(walker.walk()) << walker.failure().folder << ": " << walker.failure().error;
  return files;
}

TEST_F(HostileTree, TreeDeeperThanTheDescriptorLimitOnThreads) {
  // The walk on threads holds one budget of descriptors for all its workers,
  // however far ahead they read, and still comes back up through the chain.
  std::vector<std::string> expected;
  expected.reserve(303);
  for (int level = 0; level < 300; ++level)
    expected.push_back(dir.writeFile(repeat("d/", level) + "f.htm"));
  for (const int level : {250, 100, 1})
    expected.push_back(dir.writeFile(repeat("d/", level) + "side/s.htm"));
  const test::Limit limit(RLIMIT_NOFILE, 64);
  ASSERT_TRUE(limit.set());
  const std::vector<std::string> oneThread = walkedFiles(dir.path(), 1);
  EXPECT_THAT(oneThread, UnorderedElementsAreArray(expected));
  EXPECT_EQ(walkedFiles(dir.path(), 4), oneThread);
}

TEST_F(HostileTree, HundredThousandFilesInOneFolder) {
  const int folder = open(dir.makeDir("many").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(folder, 0);
  for (int i = 0; i < 100000; ++i) {
    const std::string name = "page" + std::to_string(i) + ".htm";
    const int fd = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << name;
    close(fd);
  }
  close(folder);
  const test::ScanOutcome outcome = test::scanAndWrite(dir.path(), "*.htm");
  EXPECT_EQ(outcome.fileUrls().size(), 100000u);
  expectSitemap(outcome, 100001);
  EXPECT_TRUE(outcome.result.exceedsLimits()) << "more than 50000 URLs";
}

struct NameCase {
  const char* name;
  std::string fileName;
  std::string url;  // after the site URL and its "/"
  friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
};

class HostileName : public HostileTree, public ::testing::WithParamInterface<NameCase> {};

TEST_P(HostileName, GivesAWellFormedUrlThatReadsBack) {
  const NameCase& c = GetParam();
  dir.writeFile(c.fileName);
  const test::ScanOutcome outcome = test::scanAndWrite(dir.path(), "*.htm");
  EXPECT_THAT(outcome.fileUrls(), ElementsAre(url(c.url)));
  expectSitemap(outcome, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileName,
    ::testing::Values(NameCase{"LineBreaks", "new\nline\r.htm", "new%0Aline%0D.htm"},
                      NameCase{"Tab", "tab\t.htm", "tab%09.htm"},
                      NameCase{"XmlSpecials", "&<>\"'.htm", "&amp;%3C%3E%22&apos;.htm"},
                      NameCase{"LooksLikeAnEntity", "&amp;.htm", "&amp;amp;.htm"},
                      NameCase{"InvalidUtf8", "bad\xff\xfe\xc3.htm", "bad%FF%FE%C3.htm"},
                      NameCase{"NonCharacter", "\xef\xbf\xbe.htm", "%EF%BF%BE.htm"},
                      NameCase{"Delete", "del\x7f.htm", "del%7F.htm"},
                      NameCase{"LeadingDash", "-rf.htm", "-rf.htm"},
                      NameCase{"Backslash", "a\\b.htm", "a%5Cb.htm"},
                      NameCase{"BlanksAround", " a b .htm", "%20a%20b%20.htm"},
                      NameCase{"LongestName", std::string(251, 'n') + ".htm",
                               std::string(251, 'n') + ".htm"},
                      NameCase{"LongestNameOfTwoByteLetters", repeat("\xc3\xa9", 125) + ".htm",
                               repeat("\xc3\xa9", 125) + ".htm"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(HostileTree, FilesRemovedDuringTheWalkAreSkipped) {
  for (int i = 0; i < 50; ++i) dir.writeFile("f" + std::to_string(i) + ".htm");
  bool removed = false;
  const test::ScanOutcome outcome = test::scanAndWrite(dir.path(), "*.htm", [&] {
    if (removed) return;
    removed = true;
    for (int i = 0; i < 50; ++i) unlink((dir / ("f" + std::to_string(i) + ".htm")).c_str());
  });
  // The listing may still name the others; their times cannot be read.
  EXPECT_EQ(outcome.fileUrls().size(), 1u);
  expectSitemap(outcome, 2);
}

struct VanishCase {
  const char* name;
  /// Changes "s" in `dir`; `outside` holds y.htm.
  void (*change)(const test::TempDir& dir, const std::string& outside);
  std::vector<std::string> after;  // files reported after a.htm
  friend void PrintTo(const VanishCase& c, std::ostream* os) { *os << c.name; }
};

class FolderChangedBeforeItIsEntered : public HostileTree,
                                       public ::testing::WithParamInterface<VanishCase> {};

TEST_P(FolderChangedBeforeItIsEntered, EndsAsDocumented) {
  // The root's own files are reported before any of its folders is entered.
  dir.writeFile("a.htm");
  dir.writeFile("s/x.htm");
  const test::TempDir outside;
  outside.writeFile("y.htm");
  bool changed = false;
  const test::ScanOutcome outcome = test::scanAndWrite(dir.path(), "*.htm", [&] {
    if (!changed) GetParam().change(dir, outside.path());
    changed = true;
  });
  std::vector<std::string> expected = {url("a.htm")};
  for (const std::string& path : GetParam().after) expected.push_back(url(path));
  EXPECT_EQ(outcome.fileUrls(), expected);
  expectSitemap(outcome, expected.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, FolderChangedBeforeItIsEntered,
                         ::testing::Values(
                             // Gone by the time it is opened: skipped, and the
                             // walk goes on.
                             VanishCase{"Removed",
                                        [](const test::TempDir& dir, const std::string&) {
                                          test::removeTree(dir / "s");
                                        },
                                        {}},
                             VanishCase{"ReplacedByAFile",
                                        [](const test::TempDir& dir, const std::string&) {
                                          test::removeTree(dir / "s");
                                          dir.writeFile("s");
                                        },
                                        {}},
                             // A pipe is refused at once, never waited on.
                             VanishCase{"ReplacedByAPipe",
                                        [](const test::TempDir& dir, const std::string&) {
                                          test::removeTree(dir / "s");
                                          mkfifo((dir / "s").c_str(), 0666);
                                        },
                                        {}},
                             // Still a folder by that name: walked as it is now.
                             VanishCase{"ReplacedByALink",
                                        [](const test::TempDir& dir, const std::string& outside) {
                                          test::removeTree(dir / "s");
                                          symlink(outside.c_str(), (dir / "s").c_str());
                                        },
                                        {"s/y.htm"}}),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(HostileTree, FolderRemovedWhileItIsListed) {
  for (int i = 0; i < 1000; ++i) dir.writeFile("big/f" + std::to_string(i) + ".htm");
  dir.writeFile("big/inner/y.htm");
  bool removed = false;
  const test::ScanOutcome outcome = test::scanAndWrite(dir.path(), "*.htm", [&] {
    if (!removed) test::removeTree(dir / "big");
    removed = true;
  });
  EXPECT_EQ(outcome.fileUrls().size(), 1u);
  expectSitemap(outcome, 2);
}

struct TargetCase {
  const char* name;
  bool (*make)(const std::string& path);
  bool written;  // whether a sitemap.xml file takes the place
  friend void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.name; }
};

class SitemapPathHolds : public HostileTree, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(SitemapPathHolds, SomethingThatIsNoFile) {
  const TargetCase& c = GetParam();
  dir.writeFile("a.htm");
  if (!c.make(dir / "sitemap.xml")) GTEST_SKIP() << "cannot make that node here";
  struct stat before;
  ASSERT_EQ(lstat((dir / "sitemap.xml").c_str(), &before), 0);
  const std::vector<std::string> names = test::names(dir.path());

  const test::ScanOutcome outcome = test::scanAndWrite(dir.path(), "*.htm");
  struct stat after;
  ASSERT_EQ(lstat((dir / "sitemap.xml").c_str(), &after), 0);
  if (c.written) {
    expectSitemap(outcome, 2);
    EXPECT_TRUE(S_ISREG(after.st_mode));
  } else {
    EXPECT_THAT(outcome.error, HasSubstr("EInOutError"));
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_ino, before.st_ino);
  }
  EXPECT_EQ(test::names(dir.path()), names) << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SitemapPathHolds,
    ::testing::Values(
        TargetCase{"Folder", [](const std::string& p) { return mkdir(p.c_str(), 0755) == 0; },
                   false},
        TargetCase{"Pipe", [](const std::string& p) { return mkfifo(p.c_str(), 0666) == 0; },
                   false},
        TargetCase{"LinkToADevice",
                   [](const std::string& p) {
                     const std::string device = p + "-null";
                     return mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 &&
                            symlink(device.c_str(), p.c_str()) == 0;
                   },
                   false},
        // A link is never written through, wherever it leads: in a folder
        // others can write to, it would make the program destroy a file
        // elsewhere.
        TargetCase{"DanglingLink",
                   [](const std::string& p) { return symlink("nowhere.xml", p.c_str()) == 0; },
                   false},
        TargetCase{"LinkToAFileElsewhere",
                   [](const std::string& p) {
                     const std::string mine = p + "-mine.txt";
                     std::ofstream(mine) << "mine";
                     return symlink(mine.c_str(), p.c_str()) == 0;
                   },
                   false}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

}  // namespace
}  // namespace qorv
