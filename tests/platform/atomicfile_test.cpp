#include "platform/atomicfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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
