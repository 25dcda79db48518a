#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/filesystem.h"
#include "tests/support/asuser.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using ::testing::UnorderedElementsAre;

std::unique_ptr<TFolder> Open(const std::string& path) {
  std::unique_ptr<TFolder> folder;
  const TListStatus status = LocalFileSystem().OpenFolder(path, folder);
  EXPECT_EQ(status.Kind, TListStatus::Ok) << path << ": " << status.Code;
  return folder;
}

/// "name/" for folders, "name" for files.
std::vector<std::string> List(TFolder& folder) {
  std::unique_ptr<TFolderListing> listing;
  EXPECT_EQ(folder.List(listing).Kind, TListStatus::Ok);
  std::vector<std::string> names;
  TListedEntry entry;
  TListStatus status;
  while ((status = listing->Next(entry)).Kind == TListStatus::Ok)
    names.push_back(std::string(entry.Name) + (entry.IsFolder ? "/" : ""));
  EXPECT_EQ(status.Kind, TListStatus::NoMoreEntries);
  EXPECT_EQ(listing->Close().Kind, TListStatus::Ok);
  return names;
}

TEST(PosixFileSystem, ListsEveryEntryTellingFoldersAndLinksToFoldersFromFiles) {
  test::TTempDir dir;
  dir.WriteFile("a.htm");
  dir.WriteFile(".hidden");
  dir.WriteFile("line\nbreak");
  dir.WriteFile("bad\xff");
  dir.MakeDir("sub");
  ASSERT_EQ(symlink("sub", (dir / "to-sub").c_str()), 0);
  ASSERT_EQ(symlink("a.htm", (dir / "to-file").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);
  auto folder = Open(dir.Path());
  EXPECT_THAT(List(*folder),
              UnorderedElementsAre("./", "../", "a.htm", ".hidden", "line\nbreak", "bad\xff",
                                   "sub/", "to-sub/", "to-file", "dangling"));
  EXPECT_THAT(List(*folder).size(), 10u) << "a second listing starts from the beginning";
}

TEST(PosixFileSystem, OpensSubfoldersAndKnowsTheirIdentity) {
  test::TTempDir dir;
  dir.WriteFile("sub/x");
  ASSERT_EQ(symlink("sub", (dir / "link").c_str()), 0);
  auto root = Open(dir.Path());
  std::unique_ptr<TFolder> sub, link, file;
  ASSERT_EQ(root->OpenSubfolder("sub", sub).Kind, TListStatus::Ok);
  ASSERT_EQ(root->OpenSubfolder("link", link).Kind, TListStatus::Ok);
  EXPECT_EQ(sub->Id(), link->Id());
  EXPECT_NE(sub->Id(), root->Id());
  const TListStatus notFolder = sub->OpenSubfolder("x", file);
  EXPECT_EQ(notFolder.Kind, TListStatus::Failed);
  EXPECT_EQ(notFolder.Code, ENOTDIR);
  const TListStatus missing = root->OpenSubfolder("missing", file);
  EXPECT_EQ(missing.Kind, TListStatus::Failed);
  EXPECT_EQ(missing.Code, ENOENT);
}

TEST(PosixFileSystem, OpeningAMissingFolderFails) {
  test::TTempDir dir;
  std::unique_ptr<TFolder> folder;
  EXPECT_EQ(LocalFileSystem().OpenFolder(dir / "missing/", folder).Kind, TListStatus::Failed);
  EXPECT_EQ(LocalFileSystem().OpenFolder(dir.WriteFile("f"), folder).Code, ENOTDIR);
}

TEST(PosixFileSystem, LastWriteTimeIsLocalAndHeldToEvenSeconds) {
  test::TTempDir dir;
  dir.WriteFile("odd");
  dir.SetLocalMTime("odd", 2005, 12, 31, 14, 3, 7);
  dir.WriteFile("even");
  dir.SetLocalMTime("even", 1999, 1, 2, 0, 0, 58);
  auto folder = Open(dir.Path());
  EXPECT_EQ(folder->LastWriteTime("odd"), (TDateTime{{2005, 12, 31}, {14, 3, 6}}));
  EXPECT_EQ(folder->LastWriteTime("even"), (TDateTime{{1999, 1, 2}, {0, 0, 58}}));
  EXPECT_EQ(folder->LastWriteTime("missing"), std::nullopt);
}

TEST(PosixFileSystem, FileSizeComesFromTheFolderEntry) {
  test::TTempDir dir;
  EXPECT_EQ(FileSize(dir.WriteFile("f", "12345")), 5u);
  EXPECT_EQ(FileSize(dir / "missing"), std::nullopt);
}

TEST(PosixFileSystem, RefusedFolderIsReportedAsAccessDenied) {
  test::TTempDir dir;
  dir.WriteFile("locked/x.htm");
  ASSERT_EQ(chmod((dir / "locked").c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
  const int result = test::RunAsNobody([&] {
    std::unique_ptr<TFolder> root, locked;
    if (LocalFileSystem().OpenFolder(dir.Path(), root).Kind != TListStatus::Ok) return 1;
    const TListStatus status = root->OpenSubfolder("locked", locked);
    if (status.Kind != TListStatus::AccessDenied || status.Code != EACCES) return 2;
    if (LocalFileSystem().OpenFolder(dir / "locked/", locked).Kind != TListStatus::AccessDenied)
      return 3;
    return 0;
  });
  EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace qorv
