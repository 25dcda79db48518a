#include "platform/datafolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tests/support/scopedvariable.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

TEST(DataFolder, FollowsXdgDataHomeWhenAbsoluteAndTheHomeFolderOtherwise) {
  const test::ScopedVariable home("HOME", "/home/someone");
  {
    const test::ScopedVariable data("XDG_DATA_HOME", "/data/someone");
    EXPECT_EQ(userDataFolder(), "/data/someone/Quorvex/");
  }
  {
    const test::ScopedVariable data("XDG_DATA_HOME", "/data/someone/");
    EXPECT_EQ(userDataFolder(), "/data/someone/Quorvex/");
  }
  {
    const test::ScopedVariable data("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(userDataFolder(), "/home/someone/.local/share/Quorvex/");
  }
  {
    const test::ScopedVariable data("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(userDataFolder(), "/home/someone/.local/share/Quorvex/");
  }
}

TEST(DataFolder, MakesMissingFoldersForTheUserAlone) {
  test::TempDir dir;
  const std::string deep = dir / "a/b/c";
  ASSERT_TRUE(makeFolders(deep));
  ASSERT_TRUE(makeFolders(deep + "/")) << "an existing folder is made already";
  for (const char* made : {"a", "a/b", "a/b/c"}) {
    struct stat st;
    ASSERT_EQ(stat((dir / made).c_str(), &st), 0) << made;
    EXPECT_EQ(st.st_mode & 0777, 0700u) << made;
  }
  dir.writeFile("file", "x");
  EXPECT_EQ(makeFolders(dir / "file").error(), ENOTDIR);
  EXPECT_EQ(makeFolders(dir / "file/below").error(), ENOTDIR);
}

TEST(DataFolder, RealPathsResolveLinks) {
  test::TempDir dir;
  dir.makeDir("site/public");
  ASSERT_EQ(symlink("site/public", (dir / "www").c_str()), 0);
  const Result<std::string> real = realPathOf(dir / "www");
  const Result<std::string> expected = realPathOf(dir / "site/public/");
  ASSERT_TRUE(real && expected);
  EXPECT_EQ(*real, *expected);
  EXPECT_EQ(real->back(), 'c');
  EXPECT_EQ(realPathOf(dir / "none").error(), ENOENT);
}

}  // namespace
}  // namespace qorv
