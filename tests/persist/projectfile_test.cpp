#include "persist/projectfile.h"

#include <gtest/gtest.h>

#include "tests/support/tempdir.h"

namespace qorv {
namespace {

/// The main window's side of a project: its two texts and its rows.
struct TWindow final : TProjectWindow {
  std::string Folder = "/site";
  std::string Url = "http://example.com/";
  int Rows = 3;
  std::string LocalFolder() const override { return Folder; }
  void SetLocalFolder(const std::string& folder) override { Folder = folder; }
  std::string SiteUrl() const override { return Url; }
  void SetSiteUrl(const std::string& url) override { Url = url; }
  void ClearPages() override { Rows = 0; }
};

constexpr const char* kDefaultProject =
    "[Project]\r\n"
    "LocalFolder=/\r\n"
    "FileMask=*.htm;*.html\r\n"
    "IndexFile=index.htm\r\n"
    "URL=http://\r\n"
    "SetChangefreq1=3\r\n"
    "SetPriority1=6\r\n"
    "SetChangefreq2=0\r\n"
    "SetPriority2=0\r\n"
    "SetTimeShort=1\r\n"
    "SetTimezone=13\r\n"
    "TagIndent=0\r\n";

class ProjectFile : public ::testing::Test {
 protected:
  std::string Path() const { return Dir / "site.prj"; }
  test::TTempDir Dir;
  TGeneratorSettings Settings;
  TWindow Window;
  TProjectFile Project{Settings, Window};
};

TEST_F(ProjectFile, NewProjectSavedHoldsTheElevenEntriesInOrder) {
  Project.New();
  Project.Save(Path());
  EXPECT_EQ(test::ReadFile(Path()), kDefaultProject);
}

TEST_F(ProjectFile, SaveThenOpenRestoresEverySetting) {
  Settings.FileMask = "*.php;*.asp";
  Settings.IndexFile = "default.asp";
  Settings.RootChangefreq.SetIndex(1);
  Settings.RootPriority.SetIndex(11);
  Settings.OtherChangefreq.SetIndex(7);
  Settings.OtherPriority.SetIndex(1);
  Settings.TimeShort = false;
  Settings.TimeZone.SetIndex(0);
  Settings.Compact = true;
  Window.Folder = "/home/me/my site";
  Window.Url = "https://example.com/a&b";
  const TGeneratorSettings saved = Settings;
  Project.Save(Path());

  TGeneratorSettings opened;
  TWindow other;
  TProjectFile(opened, other).Open(Path());
  EXPECT_EQ(opened, saved);
  EXPECT_EQ(other.Folder, "/home/me/my site");
  EXPECT_EQ(other.Url, "https://example.com/a&b");
  EXPECT_EQ(other.Rows, 3) << "opening leaves the page list alone";
}

TEST_F(ProjectFile, OpeningAFileWithoutTheSectionGivesTheDefaults) {
  Dir.WriteFile("site.prj", "[Other]\r\nLocalFolder=/x\r\n");
  Settings.Compact = true;
  Settings.FileMask = "*.php";
  Settings.OtherPriority.SetIndex(4);
  Project.Open(Path());
  EXPECT_EQ(Settings, TGeneratorSettings{});
  EXPECT_EQ(Window.Folder, "/");
  EXPECT_EQ(Window.Url, "http://");
}

TEST_F(ProjectFile, FlagsAreReadFromTheirKeys) {
  Dir.WriteFile("site.prj", "[Project]\r\nTagIndent=1\r\nSetTimeShort=0\r\n");
  Project.Open(Path());
  EXPECT_TRUE(Settings.Compact);
  EXPECT_FALSE(Settings.TimeShort);
}

TEST_F(ProjectFile, IndexesOutsideTheVocabularyGiveAnEmptyText) {
  Dir.WriteFile("site.prj",
                "[Project]\r\nSetChangefreq1=12\r\nSetPriority2=-1\r\nSetTimezone=x\r\n");
  Project.Open(Path());
  EXPECT_EQ(Settings.RootChangefreq.Index(), -1);
  EXPECT_EQ(Settings.RootChangefreq.Text(), "");
  EXPECT_EQ(Settings.OtherPriority.Text(), "");
  EXPECT_EQ(Settings.TimeZone.Text(), "+01:00") << "not an integer: the default";
}

TEST_F(ProjectFile, TypedTextIsSavedAsMinusOneAndSurvivesOnlyWhileInForce) {
  Settings.OtherChangefreq.SetTyped("sometimes", -1);
  Project.Save(Path());
  EXPECT_NE(test::ReadFile(Path()).find("SetChangefreq2=-1\r\n"), std::string::npos);
  Project.Open(Path());
  EXPECT_EQ(Settings.OtherChangefreq.Text(), "sometimes");
  Project.New();
  Project.Open(Path());
  EXPECT_EQ(Settings.OtherChangefreq.Text(), "");
}

TEST_F(ProjectFile, LineBreaksInTheMasksAreSavedAsSemicolons) {
  Settings.FileMask = "*.htm\r*.html\n*.php\r\n*.asp";
  Project.Save(Path());
  EXPECT_NE(test::ReadFile(Path()).find("FileMask=*.htm;*.html;*.php;;*.asp\r\n"),
            std::string::npos);
}

TEST_F(ProjectFile, NewKeepsMasksIndexFileAndLayoutAndEmptiesTheList) {
  Settings.FileMask = "*.php";
  Settings.IndexFile = "main.php";
  Settings.Compact = true;
  Settings.TimeShort = false;
  Settings.TimeZone.SetIndex(2);
  Project.New();
  EXPECT_EQ(Window.Folder, "/");
  EXPECT_EQ(Window.Url, "http://");
  EXPECT_EQ(Window.Rows, 0);
  TGeneratorSettings expected;
  expected.FileMask = "*.php";
  expected.IndexFile = "main.php";
  expected.Compact = true;
  EXPECT_EQ(Settings, expected);
}

TEST_F(ProjectFile, SavingOverAFileKeepsItsOtherSectionsAndKeys) {
  Dir.WriteFile("site.prj", "[Notes]\r\nWho=me\r\n[Project]\r\nURL=old\r\nExtra=kept\r\n");
  Project.Save(Path());
  const std::string saved = test::ReadFile(Path());
  EXPECT_EQ(
      saved.rfind("[Notes]\r\nWho=me\r\n[Project]\r\nURL=http://example.com/\r\nExtra=kept\r\n"
                  "LocalFolder=/site\r\n",
                  0),
      0u);
}

/// A store whose writes fail from the `FailAt`-th on, like a disk filling up.
class TFailingStore final : public TCustomIniFile {
 public:
  TFailingStore(const std::string& path, int failAt)
      : TCustomIniFile(path), m_inner(path), m_failAt(failAt) {}
  std::string ReadString(std::string_view s, std::string_view k,
                         std::string_view d) const override {
    return m_inner.ReadString(s, k, d);
  }
  void WriteString(std::string_view s, std::string_view k, std::string_view v) override {
    if (++m_writes >= m_failAt) throw EIniFileException("Unable to write to " + FileName());
    m_inner.WriteString(s, k, v);
  }
  void UpdateFile() override {}

 private:
  TIniFile m_inner;
  int m_failAt;
  int m_writes = 0;
};

TEST_F(ProjectFile, FailedSaveKeepsTheEntriesWrittenBeforeIt) {
  TFailingStore store(Path(), 5);
  EXPECT_THROW(Project.Save(store), EIniFileException);
  EXPECT_EQ(test::ReadFile(Path()),
            "[Project]\r\nLocalFolder=/site\r\nFileMask=*.htm;*.html\r\nIndexFile=index.htm\r\n"
            "URL=http://example.com/\r\n");
}

}  // namespace
}  // namespace qorv
