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
struct Window final : ProjectInputs {
  std::string folder = "/old";
  std::string url = "http://old/";
  std::string localFolder() const override { return folder; }
  void setLocalFolder(const std::string& text) override { folder = text; }
  std::string siteUrl() const override { return url; }
  void setSiteUrl(const std::string& text) override { url = text; }
  void clearPages() override {}
};

/// Saves a project with these texts to `path`; the error's message, or "".
std::string saveProject(const std::string& path, const std::string& folder, const std::string& url,
                        const std::string& masks = "*.htm;*.html") {
  GeneratorSettings settings;
  settings.fileMask = masks;
  Window window;
  window.folder = folder;
  window.url = url;
  try {
    ProjectFile(settings, window).save(path);
  } catch (const IniWriteError& error) {
    return error.message();
  }
  return "";
}

/// Writes `rows` ticked rows as the sitemap of `folder`; the error's code, or 0.
int writeSitemap(const std::string& folder, int rows) {
  LocaleFormats formats;
  formats.shortDateFormat = "d/M/yyyy";
  PageList pages;
  for (int i = 0; i < rows; ++i)
    pages.add("http://example.com/page" + std::to_string(i) + ".htm", "5.3.2006", "9:05:06",
              "daily", "0.5");
  pages.includeAll();
  try {
    SitemapWriter(formats).writeSitemap(folder, pages, GeneratorSettings());
  } catch (const IoError& error) {
    return error.code;
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
    if (mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=64k,mode=0777") != 0)
      GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
    m_mounted = true;
  }
  void TearDown() override {
    if (m_mounted) umount2(dir.path().c_str(), MNT_DETACH);
  }

  test::TempDir dir;

 private:
  bool m_mounted = false;
};

TEST_F(FullDisk, SitemapThatDoesNotFitLeavesTheOldOne) {
  ASSERT_EQ(writeSitemap(dir.path(), 10), 0);
  const std::string old = test::readFile(dir / "sitemap.xml");
  EXPECT_EQ(writeSitemap(dir.path(), 2000), ENOSPC);
  EXPECT_EQ(test::readFile(dir / "sitemap.xml"), old);
  EXPECT_THAT(test::names(dir.path()), ElementsAre("sitemap.xml"));
  EXPECT_EQ(writeSitemap(dir.path(), 20), 0) << "the space is free again";
}

TEST_F(FullDisk, IniEntryThatDoesNotFitLeavesTheOldFile) {
  IniFile ini(dir / "qorv.ini");
  ini.writeInteger("Window", "Top", 154);
  const std::string old = test::readFile(dir / "qorv.ini");
  EXPECT_THROW(ini.writeString("Window", "Note", std::string(100000, 'n')), IniWriteError);
  EXPECT_EQ(test::readFile(dir / "qorv.ini"), old);
  EXPECT_THAT(test::names(dir.path()), ElementsAre("qorv.ini"));
  EXPECT_EQ(ini.readInteger("Window", "Top", 0), 154);
}

TEST_F(FullDisk, ProjectThatDoesNotFitLeavesTheOldFile) {
  ASSERT_EQ(saveProject(dir / "site.prj", "/site", "http://site/"), "");
  const std::string old = test::readFile(dir / "site.prj");
  EXPECT_EQ(saveProject(dir / "site.prj", std::string(100000, 'f'), "http://new/"),
            "Unable to write to " + dir / "site.prj");
  EXPECT_EQ(test::readFile(dir / "site.prj"), old);
  EXPECT_THAT(test::names(dir.path()), ElementsAre("site.prj"));
}

// A file size limit, which needs no rights; past it a write fails with
// EFBIG once SIGXFSZ no longer ends the process.

class FileSizeLimit : public ::testing::Test {
 protected:
  FileSizeLimit() { m_previous = std::signal(SIGXFSZ, SIG_IGN); }
  ~FileSizeLimit() override { std::signal(SIGXFSZ, m_previous); }
  test::TempDir dir;

 private:
  void (*m_previous)(int);
};

TEST_F(FileSizeLimit, ProjectSaveKeepsTheEntriesWrittenBeforeTheOneThatFails) {
  const std::string path = dir / "site.prj";
  ASSERT_EQ(saveProject(path, "/old", "http://old/", "*.old"), "");
  std::string message;
  {
    // All eleven entries at once do not fit; the first three alone do.
    const test::Limit limit(RLIMIT_FSIZE, 1000);
    ASSERT_TRUE(limit.set());
    message = saveProject(path, "/new", "http://new/" + std::string(3000, 'u'), "*.new");
  }
  EXPECT_EQ(message, "Unable to write to " + path);
  const IniFile saved(path);
  EXPECT_EQ(saved.readString("Project", "LocalFolder", ""), "/new");
  EXPECT_EQ(saved.readString("Project", "FileMask", ""), "*.new");
  EXPECT_EQ(saved.readString("Project", "URL", ""), "http://old/");
  EXPECT_THAT(test::names(dir.path()), ElementsAre("site.prj"));
}

TEST_F(FileSizeLimit, IniEntryPastTheLimitLeavesTheOldFile) {
  IniFile ini(dir / "qorv.ini");
  ini.writeInteger("Window", "Top", 154);
  const std::string old = test::readFile(dir / "qorv.ini");
  const test::Limit limit(RLIMIT_FSIZE, 4096);
  ASSERT_TRUE(limit.set());
  EXPECT_THROW(ini.writeString("Window", "Note", std::string(10000, 'n')), IniWriteError);
  EXPECT_EQ(test::readFile(dir / "qorv.ini"), old);
  EXPECT_THAT(test::names(dir.path()), ElementsAre("qorv.ini"));
}

// A device that refuses every write.

TEST(FullDevice, ReportOnStandardOutputThatCannotBeWrittenFails) {
  const std::string cli = test::cliPath();
  ASSERT_FALSE(cli.empty()) << "no qorv-cli: set QORV_CLI or build it";
  test::TempDir dir;
  dir.writeFile("a.htm");
  for (const bool list : {false, true}) {
    std::vector<std::string> args = {cli, "--quiet", dir.path(), "http://s"};
    if (list) args.insert(args.begin() + 1, "--list");
    const test::Exit exit = test::run(args, "/dev/full");
    EXPECT_EQ(exit.status, 1) << exit.err;
    EXPECT_EQ(exit.err, "qorv-cli: EInOutError: Cannot write the standard output\n");
  }
  EXPECT_THAT(test::names(dir.path()), ElementsAre("a.htm", "sitemap.xml"));
}

TEST(FullDevice, IniFileLinkedToADeviceIsNeitherWrittenNorReplaced) {
  test::TempDir dir;
  // Like /dev/full, made here rather than risking the real one.
  if (mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
    GTEST_SKIP() << "cannot make a device node here: " << std::strerror(errno);
  ASSERT_EQ(symlink("full", (dir / "qorv.ini").c_str()), 0);
  IniFile ini(dir / "qorv.ini");
  EXPECT_EQ(ini.readInteger("Window", "Top", 7), 7);
  EXPECT_THROW(ini.writeInteger("Window", "Top", 1), IniWriteError);
  EXPECT_EQ(saveProject(dir / "qorv.ini", "/f", "http://u/"),
            "Unable to write to " + dir / "qorv.ini");
  struct stat st;
  ASSERT_EQ(stat((dir / "full").c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_THAT(test::names(dir.path()), ElementsAre("full", "qorv.ini"));
}

// An ordinary user, for whom file permissions hold (root ignores them).

std::vector<std::string> asNobody(std::vector<std::string> args) {
  args.insert(args.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  return args;
}

class Permissions : public ::testing::Test {
 protected:
  void SetUp() override {
    cli = test::cliPath();
    ASSERT_FALSE(cli.empty()) << "no qorv-cli: set QORV_CLI or build it";
    dir.writeFile("site/a.htm");
    dir.writeFile("site/sitemap.xml", "old sitemap");
    dir.writeFile("site.prj", "[Project]\r\nURL=http://old/\r\n");
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  }
  std::string cli;
  test::TempDir dir;
};

TEST_F(Permissions, ReadOnlySitemapIsNotReplaced) {
  // The folder may be written, so only the file's own permission stops it.
  ASSERT_EQ(chmod((dir / "site").c_str(), 0777), 0);
  ASSERT_EQ(chmod((dir / "site/sitemap.xml").c_str(), 0444), 0);
  const test::Exit exit = test::run(asNobody({cli, "--quiet", dir / "site", "http://s"}));
  EXPECT_EQ(exit.status, 1);
  EXPECT_THAT(exit.err, HasSubstr("EInOutError: Cannot create"));
  EXPECT_EQ(test::readFile(dir / "site/sitemap.xml"), "old sitemap");
  EXPECT_THAT(test::names(dir / "site"), ElementsAre("a.htm", "sitemap.xml"));
}

TEST_F(Permissions, ReadOnlyRobotsTxtIsKeptAndTheSitemapStillWritten) {
  ASSERT_EQ(chmod((dir / "site").c_str(), 0777), 0);
  ASSERT_EQ(unlink((dir / "site/sitemap.xml").c_str()), 0);  // root's, which nobody may replace
  dir.writeFile("site/robots.txt", "User-agent: *\n");
  ASSERT_EQ(chmod((dir / "site/robots.txt").c_str(), 0444), 0);
  const test::Exit exit =
      test::run(asNobody({cli, "--quiet", "--robots", dir / "site", "http://s"}));
  EXPECT_EQ(exit.status, 1);
  EXPECT_THAT(exit.err,
              HasSubstr("EInOutError: Cannot create \"" + dir.path() + "site/robots.txt"));
  EXPECT_EQ(test::readFile(dir / "site/robots.txt"), "User-agent: *\n");
  EXPECT_THAT(test::readFile(dir / "site/sitemap.xml"), HasSubstr("<loc>http://s/a.htm</loc>"));
  EXPECT_THAT(test::names(dir / "site"), ElementsAre("a.htm", "robots.txt", "sitemap.xml"));
}

TEST_F(Permissions, FolderThatMayNotBeWrittenKeepsItsSitemap) {
  ASSERT_EQ(chmod((dir / "site").c_str(), 0755), 0);
  const test::Exit exit = test::run(asNobody({cli, "--quiet", dir / "site", "http://s"}));
  EXPECT_EQ(exit.status, 1);
  EXPECT_THAT(exit.err, HasSubstr("EInOutError: Cannot create"));
  EXPECT_EQ(test::readFile(dir / "site/sitemap.xml"), "old sitemap");
  EXPECT_THAT(test::names(dir / "site"), ElementsAre("a.htm", "sitemap.xml"));
}

TEST_F(Permissions, ProjectThatMayNotBeWrittenIsKept) {
  ASSERT_EQ(chmod((dir / "site").c_str(), 0777), 0);
  for (const mode_t folder : {mode_t{0755}, mode_t{0777}}) {
    // Read-only in a locked folder, then read-only in an open one.
    ASSERT_EQ(chmod(dir.path().c_str(), folder), 0);
    ASSERT_EQ(chmod((dir / "site.prj").c_str(), 0444), 0);
    const test::Exit exit = test::run(
        asNobody({cli, "--list", "--save-project", dir / "site.prj", dir / "site", "http://s"}));
    EXPECT_EQ(exit.status, 1);
    EXPECT_EQ(exit.err, "qorv-cli: EIniFileException: Unable to write to " + dir / "site.prj\n");
    EXPECT_EQ(test::readFile(dir / "site.prj"), "[Project]\r\nURL=http://old/\r\n");
    EXPECT_THAT(test::names(dir.path()), ElementsAre("site", "site.prj"));
  }
}

}  // namespace
}  // namespace qorv
