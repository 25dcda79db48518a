#include "platform/atomicfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "tests/support/asuser.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

TEST(AtomicFile, NewContentAppearsOnlyOnCommit) {
  test::TTempDir dir;
  const std::string path = dir.WriteFile("f", "old");
  TAtomicFile file;
  ASSERT_EQ(file.Begin(path), 0);
  const std::string big(200000, 'n');  // more than the buffer holds
  ASSERT_EQ(file.Write("new "), 0);
  ASSERT_EQ(file.Write(big), 0);
  EXPECT_EQ(test::ReadFile(path), "old");
  ASSERT_EQ(file.Commit(), 0);
  EXPECT_EQ(test::ReadFile(path), "new " + big);
  EXPECT_EQ(test::ListNames(dir.Path()), "f");
}

TEST(AtomicFile, AbandonedReplacementLeavesTheOldFileAndNoTrace) {
  test::TTempDir dir;
  const std::string path = dir.WriteFile("f", "old");
  {
    TAtomicFile file;
    ASSERT_EQ(file.Begin(path), 0);
    file.Write("partial");
  }
  EXPECT_EQ(test::ReadFile(path), "old");
  EXPECT_EQ(test::ListNames(dir.Path()), "f");
}

TEST(AtomicFile, NameLeftByACrashIsRemovedByTheNextReplacement) {
  // A crash between naming the new file and the rename leaves ".f.new".
  test::TTempDir dir;
  dir.WriteFile(".f.new", "stale");
  const std::string path = dir.WriteFile("f", "old");
  TAtomicFile file;
  ASSERT_EQ(file.Begin(path), 0);
  file.Write("new");
  ASSERT_EQ(file.Commit(), 0);
  EXPECT_EQ(test::ReadFile(path), "new");
  EXPECT_EQ(test::ListNames(dir.Path()), "f");
}

TEST(AtomicFile, LeftoverThatCannotBeRemovedDoesNotStopTheReplacement) {
  test::TTempDir dir;
  dir.WriteFile(".f.new/inside", "not ours");
  const std::string path = dir.WriteFile("f", "old");
  TAtomicFile file;
  ASSERT_EQ(file.Begin(path), 0);
  file.Write("new");
  ASSERT_EQ(file.Commit(), 0);
  EXPECT_EQ(test::ReadFile(path), "new");
  EXPECT_EQ(test::ListNames(dir.Path()), ".f.new f");
}

TEST(AtomicFile, FolderLockedByAnotherReplacementIsNotWaitedFor) {
  test::TTempDir dir;
  const std::string path = dir.WriteFile("f", "old");
  const int folder = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(folder, 0);
  ASSERT_EQ(flock(folder, LOCK_EX), 0);
  TAtomicFile file;
  ASSERT_EQ(file.Begin(path), 0);
  file.Write("new");
  EXPECT_EQ(file.Commit(), 0);
  close(folder);
  EXPECT_EQ(test::ReadFile(path), "new");
  EXPECT_EQ(test::ListNames(dir.Path()), "f");
}

TEST(AtomicFile, CreatesANewFileWithTheUsualPermissions) {
  test::TTempDir dir;
  const mode_t previous = umask(022);
  TAtomicFile file;
  ASSERT_EQ(file.Begin(dir / "new"), 0);
  ASSERT_EQ(file.Commit(), 0);
  umask(previous);
  struct stat st;
  ASSERT_EQ(stat((dir / "new").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  EXPECT_EQ(st.st_size, 0);
}

TEST(AtomicFile, ReplacingThroughALinkKeepsTheLink) {
  test::TTempDir dir;
  dir.WriteFile("real", "old");
  ASSERT_EQ(symlink("real", (dir / "link").c_str()), 0);
  TAtomicFile file;
  ASSERT_EQ(file.Begin(dir / "link"), 0);
  file.Write("new");
  ASSERT_EQ(file.Commit(), 0);
  struct stat st;
  ASSERT_EQ(lstat((dir / "link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(test::ReadFile(dir / "real"), "new");
}

TEST(AtomicFile, FailuresAreReportedWithTheirCode) {
  test::TTempDir dir;
  TAtomicFile file;
  EXPECT_EQ(file.Begin(dir / "missing/f"), ENOENT);
  EXPECT_EQ(file.Write("x"), ENOENT) << "the first error sticks";
  EXPECT_EQ(file.Commit(), ENOENT);
  dir.MakeDir("folder");
  ASSERT_EQ(file.Begin(dir / "folder"), 0);
  EXPECT_NE(file.Commit(), 0) << "a folder cannot be replaced by a file";
  EXPECT_EQ(test::ListNames(dir.Path()), "folder");
}

TEST(AtomicFile, NeverReplacesAPipeOrADeviceNotEvenThroughALink) {
  test::TTempDir dir;
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0666), 0);
  ASSERT_EQ(symlink("pipe", (dir / "link").c_str()), 0);
  // A node like /dev/null, made here rather than risking the real one.
  const bool device = mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  for (const char* name : {"pipe", "link", "null"}) {
    if (std::string_view(name) == "null" && !device) continue;
    TAtomicFile file;
    EXPECT_EQ(file.Begin(dir / name), EPERM) << name;
    file.Write("x");
    EXPECT_EQ(file.Commit(), EPERM) << name;
  }
  struct stat st;
  ASSERT_EQ(lstat((dir / "pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  if (device) {
    ASSERT_EQ(lstat((dir / "null").c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
  }
  EXPECT_EQ(test::ListNames(dir.Path()), device ? "link null pipe" : "link pipe");
}

TEST(AtomicFile, ReadOnlyFileIsNotReplacedByWhoMayNotWriteIt) {
  // The folder is writable, so a rename would succeed: only the check stops it.
  test::TTempDir dir;
  const std::string path = dir.WriteFile("f", "old");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  ASSERT_EQ(chmod(dir.Path().c_str(), 0777), 0);
  const int result = test::RunAsNobody([&] {
    TAtomicFile file;
    if (file.Begin(path) != EACCES) return 1;
    file.Write("new");
    return file.Commit() == EACCES ? 0 : 2;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(test::ReadFile(path), "old");
  EXPECT_EQ(test::ListNames(dir.Path()), "f");
}

TEST(AtomicFile, RelativePathsResolveInTheWorkingFolder) {
  test::TTempDir dir;
  char previous[4096];
  ASSERT_TRUE(getcwd(previous, sizeof previous));
  ASSERT_EQ(chdir(dir.Path().c_str()), 0);
  TAtomicFile file;
  const int begun = file.Begin("plain");
  file.Write("x");
  const int committed = file.Commit();
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(begun, 0);
  EXPECT_EQ(committed, 0);
  EXPECT_EQ(test::ReadFile(dir / "plain"), "x");
}

}  // namespace
}  // namespace qorv
