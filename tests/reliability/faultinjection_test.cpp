// Faults of real file systems: a full disk (a tiny tmpfs), a file size
// limit, a device that refuses every write, and an ordinary user's missing
// rights. The old file stays intact, no temporary file is left, and the
// error reaches the caller.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/sitemapwriter.h"
#include "persist/inifile.h"
#include "persist/projectfile.h"
#include "tests/reliability/reliability.h"
#include "tests/support/asuser.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

/// A project's window side: the folder and URL texts.
struct TWindow final : TProjectWindow {
  std::string Folder = "/old";
  std::string Url = "http://old/";
  std::string LocalFolder() const override { return Folder; }
  void SetLocalFolder(const std::string& folder) override { Folder = folder; }
  std::string SiteUrl() const override { return Url; }
  void SetSiteUrl(const std::string& url) override { Url = url; }
  void ClearPages() override {}
};

/// Saves a project with these texts to `path`; the error's message, or "".
std::string SaveProject(const std::string& path, const std::string& folder, const std::string& url,
                        const std::string& masks = "*.htm;*.html") {
  TGeneratorSettings settings;
  settings.FileMask = masks;
  TWindow window;
  window.Folder = folder;
  window.Url = url;
  try {
    TProjectFile(settings, window).Save(path);
  } catch (const EIniFileException& error) {
    return error.Message();
  }
  return "";
}

/// Writes `rows` ticked rows as the sitemap of `folder`; the error's code, or 0.
int WriteSitemap(const std::string& folder, int rows) {
  TLocaleFormats formats;
  formats.ShortDateFormat = "d/M/yyyy";
  TPageList pages;
  for (int i = 0; i < rows; ++i)
    pages.Add("http://example.com/page" + std::to_string(i) + ".htm", "5.3.2006", "9:05:06",
              "daily", "0.5");
  pages.SelectAll();
  try {
    TSitemapWriter(formats).WriteSitemap(folder, pages, TGeneratorSettings());
  } catch (const EInOutError& error) {
    return error.Code;
  }
  return 0;
}

// A full disk: a tmpfs of 64 KiB mounted over a temporary folder.

class FullDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    // The mount lives in a mount namespace of this test process alone, so it
    // is neither seen outside nor left behind should the process die.
    static int isolation = -1;
    if (isolation < 0) {
      isolation = unshare(CLONE_NEWNS) == 0 &&
                          mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                      ? 0
                      : errno;
    }
    if (isolation != 0)
      GTEST_SKIP() << "mounting a tmpfs is not permitted here (needs CAP_SYS_ADMIN): "
                   << std::strerror(isolation);
    if (mount("tmpfs", Dir.Path().c_str(), "tmpfs", 0, "size=64k,mode=0777") != 0)
      GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
    m_mounted = true;
  }
  void TearDown() override {
    if (m_mounted) umount2(Dir.Path().c_str(), MNT_DETACH);
  }

  test::TTempDir Dir;

 private:
  bool m_mounted = false;
};

TEST_F(FullDisk, SitemapThatDoesNotFitLeavesTheOldOne) {
  ASSERT_EQ(WriteSitemap(Dir.Path(), 10), 0);
  const std::string old = test::ReadFile(Dir / "sitemap.xml");
  EXPECT_EQ(WriteSitemap(Dir.Path(), 2000), ENOSPC);
  EXPECT_EQ(test::ReadFile(Dir / "sitemap.xml"), old);
  EXPECT_THAT(test::Names(Dir.Path()), ElementsAre("sitemap.xml"));
  EXPECT_EQ(WriteSitemap(Dir.Path(), 20), 0) << "the space is free again";
}

TEST_F(FullDisk, IniEntryThatDoesNotFitLeavesTheOldFile) {
  TIniFile ini(Dir / "qorv.ini");
  ini.WriteInteger("Window", "Top", 154);
  const std::string old = test::ReadFile(Dir / "qorv.ini");
  EXPECT_THROW(ini.WriteString("Window", "Note", std::string(100000, 'n')), EIniFileException);
  EXPECT_EQ(test::ReadFile(Dir / "qorv.ini"), old);
  EXPECT_THAT(test::Names(Dir.Path()), ElementsAre("qorv.ini"));
  EXPECT_EQ(ini.ReadInteger("Window", "Top", 0), 154);
}

TEST_F(FullDisk, ProjectThatDoesNotFitLeavesTheOldFile) {
  ASSERT_EQ(SaveProject(Dir / "site.prj", "/site", "http://site/"), "");
  const std::string old = test::ReadFile(Dir / "site.prj");
  EXPECT_EQ(SaveProject(Dir / "site.prj", std::string(100000, 'f'), "http://new/"),
            "Unable to write to " + Dir / "site.prj");
  EXPECT_EQ(test::ReadFile(Dir / "site.prj"), old);
  EXPECT_THAT(test::Names(Dir.Path()), ElementsAre("site.prj"));
}

// A file size limit, which needs no rights; past it a write fails with
// EFBIG once SIGXFSZ no longer ends the process.

class FileSizeLimit : public ::testing::Test {
 protected:
  FileSizeLimit() { m_previous = std::signal(SIGXFSZ, SIG_IGN); }
  ~FileSizeLimit() override { std::signal(SIGXFSZ, m_previous); }
  test::TTempDir Dir;

 private:
  void (*m_previous)(int);
};

TEST_F(FileSizeLimit, ProjectSaveKeepsTheEntriesWrittenBeforeTheOneThatFails) {
  const std::string path = Dir / "site.prj";
  ASSERT_EQ(SaveProject(path, "/old", "http://old/", "*.old"), "");
  std::string message;
  {
    // All eleven entries at once do not fit; the first three alone do.
    const test::TLimit limit(RLIMIT_FSIZE, 1000);
    ASSERT_TRUE(limit.Set());
    message = SaveProject(path, "/new", "http://new/" + std::string(3000, 'u'), "*.new");
  }
  EXPECT_EQ(message, "Unable to write to " + path);
  const TIniFile saved(path);
  EXPECT_EQ(saved.ReadString("Project", "LocalFolder", ""), "/new");
  EXPECT_EQ(saved.ReadString("Project", "FileMask", ""), "*.new");
  EXPECT_EQ(saved.ReadString("Project", "URL", ""), "http://old/");
  EXPECT_THAT(test::Names(Dir.Path()), ElementsAre("site.prj"));
}

TEST_F(FileSizeLimit, IniEntryPastTheLimitLeavesTheOldFile) {
  TIniFile ini(Dir / "qorv.ini");
  ini.WriteInteger("Window", "Top", 154);
  const std::string old = test::ReadFile(Dir / "qorv.ini");
  const test::TLimit limit(RLIMIT_FSIZE, 4096);
  ASSERT_TRUE(limit.Set());
  EXPECT_THROW(ini.WriteString("Window", "Note", std::string(10000, 'n')), EIniFileException);
  EXPECT_EQ(test::ReadFile(Dir / "qorv.ini"), old);
  EXPECT_THAT(test::Names(Dir.Path()), ElementsAre("qorv.ini"));
}

// A device that refuses every write.

TEST(FullDevice, ReportOnStandardOutputThatCannotBeWrittenFails) {
  const std::string cli = test::CliPath();
  ASSERT_FALSE(cli.empty()) << "QORV_CLI names the qorv-cli to test; ctest sets it";
  test::TTempDir dir;
  dir.WriteFile("a.htm");
  for (const bool list : {false, true}) {
    std::vector<std::string> args = {cli, "--quiet", dir.Path(), "http://s"};
    if (list) args.insert(args.begin() + 1, "--list");
    const test::TExit exit = test::Run(args, "/dev/full");
    EXPECT_EQ(exit.Status, 1) << exit.Err;
    EXPECT_EQ(exit.Err, "qorv-cli: EInOutError: Cannot write the standard output\n");
  }
  EXPECT_THAT(test::Names(dir.Path()), ElementsAre("a.htm", "sitemap.xml"));
}

TEST(FullDevice, IniFileLinkedToADeviceIsNeitherWrittenNorReplaced) {
  test::TTempDir dir;
  // Like /dev/full, made here rather than risking the real one.
  if (mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
    GTEST_SKIP() << "cannot make a device node here: " << std::strerror(errno);
  ASSERT_EQ(symlink("full", (dir / "qorv.ini").c_str()), 0);
  TIniFile ini(dir / "qorv.ini");
  EXPECT_EQ(ini.ReadInteger("Window", "Top", 7), 7);
  EXPECT_THROW(ini.WriteInteger("Window", "Top", 1), EIniFileException);
  EXPECT_EQ(SaveProject(dir / "qorv.ini", "/f", "http://u/"),
            "Unable to write to " + dir / "qorv.ini");
  struct stat st;
  ASSERT_EQ(stat((dir / "full").c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_THAT(test::Names(dir.Path()), ElementsAre("full", "qorv.ini"));
}

// An ordinary user, for whom file permissions hold (root ignores them).

std::vector<std::string> AsNobody(std::vector<std::string> args) {
  args.insert(args.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  return args;
}

class Permissions : public ::testing::Test {
 protected:
  void SetUp() override {
    Cli = test::CliPath();
    ASSERT_FALSE(Cli.empty()) << "QORV_CLI names the qorv-cli to test; ctest sets it";
    Dir.WriteFile("site/a.htm");
    Dir.WriteFile("site/sitemap.xml", "old sitemap");
    Dir.WriteFile("site.prj", "[Project]\r\nURL=http://old/\r\n");
    ASSERT_EQ(chmod(Dir.Path().c_str(), 0755), 0);
  }
  std::string Cli;
  test::TTempDir Dir;
};

TEST_F(Permissions, ReadOnlySitemapIsNotReplaced) {
  // The folder may be written, so only the file's own permission stops it.
  ASSERT_EQ(chmod((Dir / "site").c_str(), 0777), 0);
  ASSERT_EQ(chmod((Dir / "site/sitemap.xml").c_str(), 0444), 0);
  const test::TExit exit = test::Run(AsNobody({Cli, "--quiet", Dir / "site", "http://s"}));
  EXPECT_EQ(exit.Status, 1);
  EXPECT_THAT(exit.Err, HasSubstr("EInOutError: Cannot create"));
  EXPECT_EQ(test::ReadFile(Dir / "site/sitemap.xml"), "old sitemap");
  EXPECT_THAT(test::Names(Dir / "site"), ElementsAre("a.htm", "sitemap.xml"));
}

TEST_F(Permissions, FolderThatMayNotBeWrittenKeepsItsSitemap) {
  ASSERT_EQ(chmod((Dir / "site").c_str(), 0755), 0);
  const test::TExit exit = test::Run(AsNobody({Cli, "--quiet", Dir / "site", "http://s"}));
  EXPECT_EQ(exit.Status, 1);
  EXPECT_THAT(exit.Err, HasSubstr("EInOutError: Cannot create"));
  EXPECT_EQ(test::ReadFile(Dir / "site/sitemap.xml"), "old sitemap");
  EXPECT_THAT(test::Names(Dir / "site"), ElementsAre("a.htm", "sitemap.xml"));
}

TEST_F(Permissions, ProjectThatMayNotBeWrittenIsKept) {
  ASSERT_EQ(chmod((Dir / "site").c_str(), 0777), 0);
  for (const mode_t folder : {0755, 0777}) {
    // Read-only in a locked folder, then read-only in an open one.
    ASSERT_EQ(chmod(Dir.Path().c_str(), folder), 0);
    ASSERT_EQ(chmod((Dir / "site.prj").c_str(), 0444), 0);
    const test::TExit exit = test::Run(
        AsNobody({Cli, "--list", "--save-project", Dir / "site.prj", Dir / "site", "http://s"}));
    EXPECT_EQ(exit.Status, 1);
    EXPECT_EQ(exit.Err, "qorv-cli: EIniFileException: Unable to write to " + Dir / "site.prj\n");
    EXPECT_EQ(test::ReadFile(Dir / "site.prj"), "[Project]\r\nURL=http://old/\r\n");
    EXPECT_THAT(test::Names(Dir.Path()), ElementsAre("site", "site.prj"));
  }
}

}  // namespace
}  // namespace qorv
