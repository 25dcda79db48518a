#include "platform/atomicfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/faultpoints.h"
#include "tests/support/asuser.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

TEST(AtomicFile, NewContentAppearsOnlyOnCommit) {
  test::TempDir dir;
  const std::string path = dir.writeFile("f", "old");
  AtomicFile file;
  ASSERT_EQ(file.begin(path).error(), 0);
  const std::string big(200000, 'n');  // more than the buffer holds
  ASSERT_EQ(file.write("new ").error(), 0);
  ASSERT_EQ(file.write(big).error(), 0);
  EXPECT_EQ(test::readFile(path), "old");
  ASSERT_EQ(file.commit().error(), 0);
  EXPECT_EQ(test::readFile(path), "new " + big);
  EXPECT_EQ(test::listNames(dir.path()), "f");
}

TEST(AtomicFile, AbandonedReplacementLeavesTheOldFileAndNoTrace) {
  test::TempDir dir;
  const std::string path = dir.writeFile("f", "old");
  {
    AtomicFile file;
    ASSERT_EQ(file.begin(path).error(), 0);
    ASSERT_TRUE(file.write("partial"));
  }
  EXPECT_EQ(test::readFile(path), "old");
  EXPECT_EQ(test::listNames(dir.path()), "f");
}

TEST(AtomicFile, NameLeftByACrashIsRemovedByTheNextReplacement) {
  // A crash between naming the new file and the rename leaves ".f.new".
  test::TempDir dir;
  dir.writeFile(".f.new", "stale");
  const std::string path = dir.writeFile("f", "old");
  AtomicFile file;
  ASSERT_EQ(file.begin(path).error(), 0);
  ASSERT_TRUE(file.write("new"));
  ASSERT_EQ(file.commit().error(), 0);
  EXPECT_EQ(test::readFile(path), "new");
  EXPECT_EQ(test::listNames(dir.path()), "f");
}

TEST(AtomicFile, LeftoverThatCannotBeRemovedDoesNotStopTheReplacement) {
  test::TempDir dir;
  dir.writeFile(".f.new/inside", "not ours");
  const std::string path = dir.writeFile("f", "old");
  AtomicFile file;
  ASSERT_EQ(file.begin(path).error(), 0);
  ASSERT_TRUE(file.write("new"));
  ASSERT_EQ(file.commit().error(), 0);
  EXPECT_EQ(test::readFile(path), "new");
  EXPECT_EQ(test::listNames(dir.path()), ".f.new f");
}

TEST(AtomicFile, FolderLockedByAnotherReplacementIsNotWaitedFor) {
  test::TempDir dir;
  const std::string path = dir.writeFile("f", "old");
  const int folder = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(folder, 0);
  ASSERT_EQ(flock(folder, LOCK_EX), 0);
  AtomicFile file;
  ASSERT_EQ(file.begin(path).error(), 0);
  ASSERT_TRUE(file.write("new"));
  EXPECT_EQ(file.commit().error(), 0);
  close(folder);
  EXPECT_EQ(test::readFile(path), "new");
  EXPECT_EQ(test::listNames(dir.path()), "f");
}

TEST(AtomicFile, CreatesANewFileWithTheUsualPermissions) {
  test::TempDir dir;
  const mode_t previous = umask(022);
  AtomicFile file;
  ASSERT_EQ(file.begin(dir / "new").error(), 0);
  ASSERT_EQ(file.commit().error(), 0);
  umask(previous);
  struct stat st;
  ASSERT_EQ(stat((dir / "new").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  EXPECT_EQ(st.st_size, 0);
}

TEST(AtomicFile, ReplacingThroughALinkKeepsTheLink) {
  test::TempDir dir;
  dir.writeFile("real", "old");
  ASSERT_EQ(symlink("real", (dir / "link").c_str()), 0);
  AtomicFile file;
  ASSERT_EQ(file.begin(dir / "link").error(), 0);
  ASSERT_TRUE(file.write("new"));
  ASSERT_EQ(file.commit().error(), 0);
  struct stat st;
  ASSERT_EQ(lstat((dir / "link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(test::readFile(dir / "real"), "new");
}

TEST(AtomicFile, RefusedLinkChangesNothingAnywhere) {
  test::TempDir dir;
  test::TempDir elsewhere;
  const std::string target = elsewhere.writeFile("mine.txt", "the user's own file");
  ASSERT_EQ(symlink(target.c_str(), (dir / "sitemap.xml").c_str()), 0);
  AtomicFile file;
  EXPECT_EQ(file.begin(dir / "sitemap.xml", LinkPolicy::Refuse).error(), ELOOP);
  EXPECT_EQ(file.commit().error(), ELOOP);
  EXPECT_EQ(test::readFile(target), "the user's own file");
  EXPECT_EQ(test::listNames(dir.path()), "sitemap.xml");
  char link[256] = {};
  ASSERT_GT(readlink((dir / "sitemap.xml").c_str(), link, sizeof link - 1), 0);
  EXPECT_EQ(std::string(link), target);
}

TEST(AtomicFile, FilesOfOneWriteAppearOnlyWhenPublishedUnderTheirFixedNames) {
  test::TempDir dir;
  dir.writeFile("index", "old index");
  const Result<std::shared_ptr<ReplacementFolder>> folder = ReplacementFolder::open(dir.path());
  ASSERT_TRUE(folder);
  AtomicFile part;
  AtomicFile index;
  ASSERT_EQ(part.begin(dir / "index", LinkPolicy::Refuse, *folder).error(), 0);
  ASSERT_EQ(part.write("first part").error(), 0);
  // The first file turns out to be one of several: it takes another name.
  ASSERT_EQ(part.retarget("part-1").error(), 0);
  EXPECT_EQ(part.path(), dir / "part-1");
  ASSERT_EQ(index.begin(dir / "index", LinkPolicy::Refuse, *folder).error(), 0);
  ASSERT_EQ(index.write("new index").error(), 0);
  ASSERT_EQ(part.prepare().error(), 0);
  ASSERT_EQ(index.prepare().error(), 0);
  // Both carry the fixed names a crash could leave, which the next write removes.
  EXPECT_EQ(test::listNames(dir.path()), ".index.new .part-1.new index");
  EXPECT_EQ(test::readFile(dir / "index"), "old index");
  ASSERT_EQ(part.publish().error(), 0);
  ASSERT_EQ(index.publish().error(), 0);
  EXPECT_EQ(test::readFile(dir / "part-1"), "first part");
  EXPECT_EQ(test::readFile(dir / "index"), "new index");
  EXPECT_EQ(test::listNames(dir.path()), "index part-1");
}

TEST(AtomicFile, RetargetingOntoAFolderOrALinkIsRefused) {
  test::TempDir dir;
  dir.makeDir("taken");
  ASSERT_EQ(symlink("elsewhere", (dir / "link").c_str()), 0);
  AtomicFile file;
  ASSERT_EQ(file.begin(dir / "f", LinkPolicy::Refuse).error(), 0);
  EXPECT_EQ(file.retarget("taken").error(), EISDIR);
  EXPECT_EQ(file.commit().error(), EISDIR);
  ASSERT_EQ(file.begin(dir / "f", LinkPolicy::Refuse).error(), 0);
  EXPECT_EQ(file.retarget("link").error(), ELOOP);
  file.discard();
  EXPECT_EQ(test::listNames(dir.path()), "link taken");
}

TEST(AtomicFile, FailuresAreReportedWithTheirCode) {
  test::TempDir dir;
  AtomicFile file;
  EXPECT_EQ(file.begin(dir / "missing/f").error(), ENOENT);
  EXPECT_EQ(file.write("x").error(), ENOENT) << "the first error sticks";
  EXPECT_EQ(file.commit().error(), ENOENT);
  dir.makeDir("folder");
  EXPECT_EQ(file.begin(dir / "folder").error(), EISDIR) << "refused before anything is written";
  EXPECT_NE(file.commit().error(), 0) << "a folder cannot be replaced by a file";
  EXPECT_EQ(test::listNames(dir.path()), "folder");
}

TEST(AtomicFile, NeverReplacesAPipeOrADeviceNotEvenThroughALink) {
  test::TempDir dir;
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0666), 0);
  ASSERT_EQ(symlink("pipe", (dir / "link").c_str()), 0);
  // A node like /dev/null, made here rather than risking the real one.
  const bool device = mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  for (const char* name : {"pipe", "link", "null"}) {
    if (std::string_view(name) == "null" && !device) continue;
    AtomicFile file;
    EXPECT_EQ(file.begin(dir / name).error(), EPERM) << name;
    EXPECT_EQ(file.write("x").error(), EPERM) << name;
    EXPECT_EQ(file.commit().error(), EPERM) << name;
  }
  struct stat st;
  ASSERT_EQ(lstat((dir / "pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  if (device) {
    ASSERT_EQ(lstat((dir / "null").c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
  }
  EXPECT_EQ(test::listNames(dir.path()), device ? "link null pipe" : "link pipe");
}

TEST(AtomicFile, ReadOnlyFileIsNotReplacedByWhoMayNotWriteIt) {
  // The folder is writable, so a rename would succeed: only the check stops it.
  test::TempDir dir;
  const std::string path = dir.writeFile("f", "old");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
  const int result = test::runAsNobody([&] {
    AtomicFile file;
    if (file.begin(path).error() != EACCES) return 1;
    if (file.write("new").error() != EACCES) return 3;
    return file.commit().error() == EACCES ? 0 : 2;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(test::readFile(path), "old");
  EXPECT_EQ(test::listNames(dir.path()), "f");
}

TEST(AtomicFile, RelativePathsResolveInTheWorkingFolder) {
  test::TempDir dir;
  char previous[4096];
  ASSERT_TRUE(getcwd(previous, sizeof previous));
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  AtomicFile file;
  const int begun = file.begin("plain").error();
  const int written = file.write("x").error();
  const int committed = file.commit().error();
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(begun, 0);
  EXPECT_EQ(written, 0);
  EXPECT_EQ(committed, 0);
  EXPECT_EQ(test::readFile(dir / "plain"), "x");
}

#ifdef QORV_FAULT_POINTS

// A call that fails where it cannot be told what is there, or what the new
// file must look like, fails the replacement: going on would replace a link
// that is to stay, write through one that is refused, or give a private
// file the permissions of a public one.

struct BeginFault {
  const char* name;
  LinkPolicy links;
  bool link;         // whether the target is a link to a file beside it
  const char* call;  // the call that fails
  long at;           // which of the calls of that name
  friend void PrintTo(const BeginFault& c, std::ostream* os) { *os << c.name; }
};

class AtomicFileBegin : public ::testing::TestWithParam<BeginFault> {};

TEST_P(AtomicFileBegin, FailsWhenItCannotTellWhatIsThereAndChangesNothing) {
  const BeginFault& c = GetParam();
  test::TempDir dir;
  const std::string real = dir.writeFile("real", "old");
  ASSERT_EQ(chmod(real.c_str(), 0600), 0);
  std::string path = real;
  if (c.link) {
    path = dir / "f";
    ASSERT_EQ(symlink("real", path.c_str()), 0);
  }
  AtomicFile file;
  {
    const FaultScope fault(c.call, c.at, EIO);
    EXPECT_EQ(file.begin(path, c.links).error(), EIO);
  }
  EXPECT_EQ(file.write("new").error(), EIO) << "the first error sticks";
  EXPECT_EQ(file.commit().error(), EIO);
  EXPECT_EQ(test::readFile(real), "old");
  struct stat st;
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_EQ(S_ISLNK(st.st_mode), c.link);
  EXPECT_EQ(test::listNames(dir.path()), c.link ? "f real" : "real");
}

INSTANTIATE_TEST_SUITE_P(
    Calls, AtomicFileBegin,
    ::testing::Values(
        BeginFault{"WhetherItIsALinkToFollow", LinkPolicy::ReplaceTarget, true, "lstat", 1},
        BeginFault{"WhereTheLinkLeads", LinkPolicy::ReplaceTarget, true, "realpath", 1},
        BeginFault{"WhetherItIsALinkToRefuse", LinkPolicy::Refuse, false, "fstatat", 1},
        BeginFault{"WhatItIs", LinkPolicy::Refuse, false, "fstatat", 2},
        BeginFault{"WhetherItMayBeWritten", LinkPolicy::Refuse, false, "faccessat", 1},
        BeginFault{"ItsPermissions", LinkPolicy::Refuse, false, "fstatat", 3},
        BeginFault{"SettingItsPermissions", LinkPolicy::ReplaceTarget, false, "fchmod", 1}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

struct CommitFault {
  const char* name;
  const char* call;  // the call that fails
  long at;           // which of the calls of that name
  int error;
  int result;           // what the commit gives
  const char* content;  // what the file then holds
  friend void PrintTo(const CommitFault& c, std::ostream* os) { *os << c.name; }
};

class AtomicFileCommit : public ::testing::TestWithParam<CommitFault> {};

TEST_P(AtomicFileCommit, ReportsTheFailureAndLeavesNoTemporaryFile) {
  const CommitFault& c = GetParam();
  test::TempDir dir;
  const std::string path = dir.writeFile("f", "old");
  AtomicFile file;
  ASSERT_EQ(file.begin(path).error(), 0);
  ASSERT_TRUE(file.write("new"));
  {
    const FaultScope fault(c.call, c.at, c.error);
    EXPECT_EQ(file.commit().error(), c.result);
  }
  EXPECT_EQ(test::readFile(path), c.content);
  EXPECT_EQ(test::listNames(dir.path()), "f");
}

// The file's own sync comes first, the folder's second.
INSTANTIATE_TEST_SUITE_P(
    Calls, AtomicFileCommit,
    ::testing::Values(
        CommitFault{"FolderThatCannotBeSyncedWithTheNewFileInPlace", "fsync", 2, EIO, EIO, "new"},
        CommitFault{"FolderThatCannotBeSyncedByItsFileSystemIsNoError", "fsync", 2, EINVAL, 0,
                    "new"},
        CommitFault{"FailureToNameTheNewFileOtherThanATakenName", "linkat", 1, EIO, EIO, "old"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(AtomicFile, NamelessFileFallsBackToANamedOneOnlyWhereTheFileSystemHasNone) {
  // EOPNOTSUPP from a file system without nameless files, EISDIR from a
  // kernel that predates them: the named fallback. An input/output error
  // is the write's.
  for (const int error : {EOPNOTSUPP, EISDIR, EIO}) {
    test::TempDir dir;
    const std::string path = dir.writeFile("f", "old");
    AtomicFile file;
    {
      const FaultScope fault("openat", 1, error);
      EXPECT_EQ(file.begin(path).error(), error == EIO ? EIO : 0) << error;
    }
    EXPECT_EQ(file.write("new").error(), error == EIO ? EIO : 0) << error;
    EXPECT_EQ(file.commit().error(), error == EIO ? EIO : 0) << error;
    EXPECT_EQ(test::readFile(path), error == EIO ? "old" : "new") << error;
    EXPECT_EQ(test::listNames(dir.path()), "f") << error;
  }
}

TEST(AtomicFile, PermissionsAFileSystemCannotKeepAreNoError) {
  for (const int error : {EPERM, EOPNOTSUPP}) {
    test::TempDir dir;
    const std::string path = dir.writeFile("f", "old");
    AtomicFile file;
    {
      const FaultScope fault("fchmod", 1, error);
      ASSERT_EQ(file.begin(path).error(), 0);
    }
    ASSERT_TRUE(file.write("new"));
    EXPECT_EQ(file.commit().error(), 0);
    EXPECT_EQ(test::readFile(path), "new");
  }
}

#endif

}  // namespace
}  // namespace qorv
