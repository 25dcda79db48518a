#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <utility>

#include "platform/faultpoints.h"
#include "platform/filesystem.h"
#include "tests/support/asuser.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using ::testing::UnorderedElementsAre;

std::unique_ptr<Folder> openFolderAt(const std::string& path) {
  Result<std::unique_ptr<Folder>> folder = localFileSystem().openFolder(path);
  EXPECT_TRUE(folder) << path << ": " << folder.error();
  return folder ? std::move(*folder) : nullptr;
}

/// "name/" for folders, "name" for files.
std::vector<std::string> entryNames(Folder& folder) {
  Result<std::unique_ptr<FolderListing>> listing = folder.list();
  EXPECT_TRUE(listing);
  if (!listing) return {};
  std::vector<std::string> names;
  for (;;) {
    const Result<std::optional<ListedEntry>> entry = (*listing)->next();
    EXPECT_TRUE(entry) << entry.error();
    if (!entry || !*entry) break;
    names.push_back(std::string((*entry)->name) + ((*entry)->isFolder ? "/" : ""));
  }
  EXPECT_TRUE((*listing)->close());
  return names;
}

TEST(PosixFileSystem, ListsEveryEntryTellingFoldersAndLinksToFoldersFromFiles) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  dir.writeFile(".hidden");
  dir.writeFile("line\nbreak");
  dir.writeFile("bad\xff");
  dir.makeDir("sub");
  ASSERT_EQ(symlink("sub", (dir / "to-sub").c_str()), 0);
  ASSERT_EQ(symlink("a.htm", (dir / "to-file").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);
  auto folder = openFolderAt(dir.path());
  EXPECT_THAT(entryNames(*folder),
              UnorderedElementsAre("./", "../", "a.htm", ".hidden", "line\nbreak", "bad\xff",
                                   "sub/", "to-sub/", "to-file", "dangling"));
  EXPECT_THAT(entryNames(*folder).size(), 10u) << "a second listing starts from the beginning";
}

TEST(PosixFileSystem, OpensSubfoldersAndKnowsTheirIdentity) {
  test::TempDir dir;
  dir.writeFile("sub/x");
  ASSERT_EQ(symlink("sub", (dir / "link").c_str()), 0);
  auto root = openFolderAt(dir.path());
  Result<std::unique_ptr<Folder>> sub = root->openSubfolder("sub");
  Result<std::unique_ptr<Folder>> link = root->openSubfolder("link");
  ASSERT_TRUE(sub);
  ASSERT_TRUE(link);
  EXPECT_EQ((*sub)->id(), (*link)->id());
  EXPECT_NE((*sub)->id(), root->id());
  // Gone, which a walk skips, rather than failed, which would end it.
  const Result<std::unique_ptr<Folder>> notFolder = (*sub)->openSubfolder("x");
  EXPECT_EQ(failureKind(notFolder.error()), FailureKind::Gone);
  EXPECT_EQ(notFolder.error(), ENOTDIR);
  const Result<std::unique_ptr<Folder>> missing = root->openSubfolder("missing");
  EXPECT_EQ(failureKind(missing.error()), FailureKind::Gone);
  EXPECT_EQ(missing.error(), ENOENT);
}

TEST(PosixFileSystem, AMissingFolderOrAFileIsGone) {
  test::TempDir dir;
  EXPECT_EQ(failureKind(localFileSystem().openFolder(dir / "missing/").error()), FailureKind::Gone);
  const Result<std::unique_ptr<Folder>> file = localFileSystem().openFolder(dir.writeFile("f"));
  EXPECT_EQ(failureKind(file.error()), FailureKind::Gone);
  EXPECT_EQ(file.error(), ENOTDIR);
}

/// The time `folder` reads for `name`, and how a failure to read it counts
/// (nothing when it was read).
std::pair<std::optional<DateTime>, std::optional<FailureKind>> timeOf(Folder& folder,
                                                                      const char* name) {
  const Result<std::optional<DateTime>> time = folder.lastWriteTime(name);
  if (!time) return {std::nullopt, failureKind(time.error())};
  return {*time, std::nullopt};
}

TEST(PosixFileSystem, LastWriteTimeIsLocalAndHeldToEvenSeconds) {
  test::TempDir dir;
  dir.writeFile("odd");
  dir.setLocalMTime("odd", 2005, 12, 31, 14, 3, 7);
  dir.writeFile("even");
  dir.setLocalMTime("even", 1999, 1, 2, 0, 0, 58);
  auto folder = openFolderAt(dir.path());
  EXPECT_EQ(timeOf(*folder, "odd"),
            std::make_pair(std::optional(DateTime{{2005, 12, 31}, {14, 3, 6}}),
                           std::optional<FailureKind>()));
  EXPECT_EQ(timeOf(*folder, "even"),
            std::make_pair(std::optional(DateTime{{1999, 1, 2}, {0, 0, 58}}),
                           std::optional<FailureKind>()));
}

TEST(PosixFileSystem, TimeOfAnEntryThatLeadsNowhereIsGone) {
  test::TempDir dir;
  ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);
  ASSERT_EQ(symlink("loop", (dir / "loop").c_str()), 0);
  dir.writeFile("file");
  auto folder = openFolderAt(dir.path());
  for (const char* name : {"missing", "dangling", "loop", "file/inside"})
    EXPECT_EQ(timeOf(*folder, name),
              std::make_pair(std::optional<DateTime>(), std::optional(FailureKind::Gone)))
        << name;
}

TEST(PosixFileSystem, LinkThatLeadsRoundInACircleIsListedAsAFile) {
  test::TempDir dir;
  ASSERT_EQ(symlink("loop", (dir / "loop").c_str()), 0);
  auto folder = openFolderAt(dir.path());
  EXPECT_THAT(entryNames(*folder), UnorderedElementsAre("./", "../", "loop"));
}

TEST(PosixFileSystem, RefusedFolderIsReportedAsAccessDenied) {
  test::TempDir dir;
  dir.writeFile("locked/x.htm");
  ASSERT_EQ(chmod((dir / "locked").c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const int result = test::runAsNobody([&] {
    Result<std::unique_ptr<Folder>> root = localFileSystem().openFolder(dir.path());
    if (!root) return 1;
    const Result<std::unique_ptr<Folder>> locked = (*root)->openSubfolder("locked");
    if (failureKind(locked.error()) != FailureKind::AccessDenied || locked.error() != EACCES)
      return 2;
    if (failureKind(localFileSystem().openFolder(dir / "locked/").error()) !=
        FailureKind::AccessDenied)
      return 3;
    return 0;
  });
  EXPECT_EQ(result, 0);
}

#ifdef QORV_FAULT_POINTS
TEST(PosixFileSystem, AFailedReadOfTheEntriesSaysWhetherItWasARefusal) {
  test::TempDir dir;
  dir.writeFile("a.htm");
  const struct {
    int error;
    FailureKind kind;
  } cases[] = {{EACCES, FailureKind::AccessDenied},
               {EPERM, FailureKind::AccessDenied},
               {ENOENT, FailureKind::Gone},
               {EIO, FailureKind::Failed}};
  for (const auto& c : cases) {
    auto folder = openFolderAt(dir.path());
    Result<std::unique_ptr<FolderListing>> listing = folder->list();
    ASSERT_TRUE(listing);
    const FaultScope fault("readdir", 1, c.error);
    const Result<std::optional<ListedEntry>> entry = (*listing)->next();
    EXPECT_EQ(failureKind(entry.error()), c.kind) << c.error;
    EXPECT_EQ(entry.error(), c.error);
  }
}
#endif

}  // namespace
}  // namespace qorv
