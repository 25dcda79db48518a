#include "platform/appfolders.h"

#include <gtest/gtest.h>

#include "platform/installfolders.h"
#include "tests/support/casename.h"

namespace qorv {
namespace {

struct FolderCase {
  const char* what;
  const char* executableFolder;
  const char* installedBinFolder;
  bool writable;
  bool usesOwnFolder;
  friend void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.what; }
};

class UsesOwnFolder : public ::testing::TestWithParam<FolderCase> {};

TEST_P(UsesOwnFolder, OnlyAWritableFolderOtherThanTheInstalledBinFolder) {
  const FolderCase& c = GetParam();
  EXPECT_EQ(usesOwnFolder(c.executableFolder, c.installedBinFolder, c.writable), c.usesOwnFolder);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsesOwnFolder,
    ::testing::Values(
        FolderCase{"build tree", "/home/ana/quorvex/build/dev/ui/", "/usr/bin", true, true},
        FolderCase{"read-only build tree", "/home/ana/quorvex/build/dev/ui/", "/usr/bin", false,
                   false},
        FolderCase{"unpacked folder", "/home/ana/Quorvex/", "/usr/local/bin", true, true},
        FolderCase{"installed, run by root", "/usr/bin/", "/usr/bin", true, false},
        FolderCase{"installed, run by a user", "/usr/bin/", "/usr/bin", false, false},
        FolderCase{"installed, slashes differ", "/usr/local/bin", "/usr/local/bin/", true, false},
        FolderCase{"installed in the home folder", "/home/ana/.local/bin/", "/home/ana/.local/bin",
                   true, false},
        FolderCase{"sibling with a longer name", "/usr/bin2/", "/usr/bin", true, true},
        FolderCase{"sub-folder of bin", "/usr/bin/quorvex/", "/usr/bin", true, true},
        FolderCase{"parent of bin", "/usr/", "/usr/bin", true, true},
        FolderCase{"no installed folder", "/usr/bin/", "", true, true},
        FolderCase{"installed into the root folder", "/", "/", true, false}),
    test::CaseName());

// The comparison is of absolute paths: a relative folder would match
// nothing the executable's path can be.
TEST(InstalledBinFolder, IsAbsolute) {
  const std::string folder = kInstalledBinFolder;
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.front(), '/');
}

}  // namespace
}  // namespace qorv
