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
  std::unique_ptr<Folder> folder;
  const ListStatus status = localFileSystem().openFolder(path, folder);
  EXPECT_EQ(status.kind, ListStatus::Ok) << path << ": " << status.code;
  return folder;
}

/// "name/" for folders, "name" for files.
std::vector<std::string> entryNames(Folder& folder) {
  std::unique_ptr<FolderListing> listing;
  EXPECT_EQ(folder.list(listing).kind, ListStatus::Ok);
  std::vector<std::string> names;
  ListedEntry entry;
  ListStatus status;
  while ((status = listing->next(entry)).kind == ListStatus::Ok)
    names.push_back(std::string(entry.name) + (entry.isFolder ? "/" : ""));
  EXPECT_EQ(status.kind, ListStatus::NoMoreEntries);
  EXPECT_EQ(listing->close().kind, ListStatus::Ok);
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
  std::unique_ptr<Folder> sub, link, file;
  ASSERT_EQ(root->openSubfolder("sub", sub).kind, ListStatus::Ok);
  ASSERT_EQ(root->openSubfolder("link", link).kind, ListStatus::Ok);
  EXPECT_EQ(sub->id(), link->id());
  EXPECT_NE(sub->id(), root->id());
  // Gone, which a walk skips, rather than failed, which would end it.
  const ListStatus notFolder = sub->openSubfolder("x", file);
  EXPECT_EQ(notFolder.kind, ListStatus::Gone);
  EXPECT_EQ(notFolder.code, ENOTDIR);
  const ListStatus missing = root->openSubfolder("missing", file);
  EXPECT_EQ(missing.kind, ListStatus::Gone);
  EXPECT_EQ(missing.code, ENOENT);
}

TEST(PosixFileSystem, AMissingFolderOrAFileIsGone) {
  test::TempDir dir;
  std::unique_ptr<Folder> folder;
  EXPECT_EQ(localFileSystem().openFolder(dir / "missing/", folder).kind, ListStatus::Gone);
  const ListStatus file = localFileSystem().openFolder(dir.writeFile("f"), folder);
  EXPECT_EQ(file.kind, ListStatus::Gone);
  EXPECT_EQ(file.code, ENOTDIR);
}

/// The time `folder` reads for `name`, and what reading it gave.
std::pair<std::optional<DateTime>, ListStatus::Kind> timeOf(Folder& folder, const char* name) {
  std::optional<DateTime> time = DateTime{};
  const ListStatus status = folder.lastWriteTime(name, time);
  return {time, status.kind};
}

TEST(PosixFileSystem, LastWriteTimeIsLocalAndHeldToEvenSeconds) {
  test::TempDir dir;
  dir.writeFile("odd");
  dir.setLocalMTime("odd", 2005, 12, 31, 14, 3, 7);
  dir.writeFile("even");
  dir.setLocalMTime("even", 1999, 1, 2, 0, 0, 58);
  auto folder = openFolderAt(dir.path());
  EXPECT_EQ(timeOf(*folder, "odd"),
            std::make_pair(std::optional(DateTime{{2005, 12, 31}, {14, 3, 6}}), ListStatus::Ok));
  EXPECT_EQ(timeOf(*folder, "even"),
            std::make_pair(std::optional(DateTime{{1999, 1, 2}, {0, 0, 58}}), ListStatus::Ok));
}

TEST(PosixFileSystem, TimeOfAnEntryThatLeadsNowhereIsGone) {
  test::TempDir dir;
  ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);
  ASSERT_EQ(symlink("loop", (dir / "loop").c_str()), 0);
  dir.writeFile("file");
  auto folder = openFolderAt(dir.path());
  for (const char* name : {"missing", "dangling", "loop", "file/inside"})
    EXPECT_EQ(timeOf(*folder, name), std::make_pair(std::optional<DateTime>(), ListStatus::Gone))
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
    std::unique_ptr<Folder> root, locked;
    if (localFileSystem().openFolder(dir.path(), root).kind != ListStatus::Ok) return 1;
    const ListStatus status = root->openSubfolder("locked", locked);
    if (status.kind != ListStatus::AccessDenied || status.code != EACCES) return 2;
    if (localFileSystem().openFolder(dir / "locked/", locked).kind != ListStatus::AccessDenied)
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
    ListStatus::Kind kind;
  } cases[] = {{EACCES, ListStatus::AccessDenied},
               {EPERM, ListStatus::AccessDenied},
               {ENOENT, ListStatus::Gone},
               {EIO, ListStatus::Failed}};
  for (const auto& c : cases) {
    auto folder = openFolderAt(dir.path());
    std::unique_ptr<FolderListing> listing;
    ASSERT_EQ(folder->list(listing).kind, ListStatus::Ok);
    const FaultScope fault("readdir", 1, c.error);
    ListedEntry entry;
    const ListStatus status = listing->next(entry);
    EXPECT_EQ(status.kind, c.kind) << c.error;
    EXPECT_EQ(status.code, c.error);
  }
}
#endif

}  // namespace
}  // namespace qorv
