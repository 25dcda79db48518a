#include "persist/projectfile.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "core/projectsettings.h"
#include "core/sitescan.h"
#include "platform/faultpoints.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

/// The main window's side of a project: its two texts and its rows.
struct Window final : ProjectInputs {
  std::string folder = "/site";
  std::string url = "http://example.com/";
  int rows = 3;
  std::string localFolder() const override { return folder; }
  void setLocalFolder(const std::string& text) override { folder = text; }
  std::string siteUrl() const override { return url; }
  void setSiteUrl(const std::string& text) override { url = text; }
  void clearPages() override { rows = 0; }
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

class ProjectFileTest : public ::testing::Test {
 protected:
  std::string path() const { return dir / "site.prj"; }
  test::TempDir dir;
  GeneratorSettings settings;
  Window window;
  ProjectFile project{settings, window};
};

TEST_F(ProjectFileTest, NewProjectSavedHoldsTheElevenEntriesInOrder) {
  project.startNew();
  project.save(path());
  EXPECT_EQ(test::readFile(path()), kDefaultProject);
}

TEST_F(ProjectFileTest, SaveThenOpenRestoresEverySetting) {
  settings.fileMask = "*.php;*.asp";
  settings.indexFile = "default.asp";
  settings.rootChangefreq.setIndex(1);
  settings.rootPriority.setIndex(11);
  settings.otherChangefreq.setIndex(7);
  settings.otherPriority.setIndex(1);
  settings.dateOnlyLastmod = false;
  settings.timeZone.setIndex(0);
  settings.compact = true;
  window.folder = "/home/me/my site";
  window.url = "https://example.com/a&b";
  const GeneratorSettings saved = settings;
  project.save(path());

  GeneratorSettings opened;
  Window other;
  ProjectFile(opened, other).open(path());
  EXPECT_EQ(opened, saved);
  EXPECT_EQ(other.folder, "/home/me/my site");
  EXPECT_EQ(other.url, "https://example.com/a&b");
  EXPECT_EQ(other.rows, 3) << "opening leaves the page list alone";
}

/// Gives every value the table declares another value than its default.
void changeEveryValue(GeneratorSettings& settings, Window& window) {
  for (const ProjectSetting& setting : kProjectSettings) {
    std::visit(Overloaded{
                   [&](const WindowTextValue& text) {
                     (text.text == WindowText::Folder ? window.folder : window.url) = "/changed";
                   },
                   [&](const TextValue& text) { settings.*text.member = "changed"; },
                   [&](const FlagValue& flag) { settings.*flag.member = !(settings.*flag.member); },
                   [&](const VocabularyValue& choice) {
                     VocabularyChoice& kept = settings.*choice.member;
                     kept.setIndex((kept.index() + 1) % static_cast<int>(kept.vocabulary().size()));
                   },
                   [&](const ChoiceValue& choice) {
                     choice.set(settings,
                                (choice.get(settings) + 1) % static_cast<int>(choice.words.size()));
                   },
               },
               setting.value);
  }
}

TEST_F(ProjectFileTest, EveryDeclaredValueIsSavedUnderItsKeyAndOpensAsItWas) {
  changeEveryValue(settings, window);
  ASSERT_NE(settings, GeneratorSettings{});
  project.save(path());
  const std::string saved = test::readFile(path());
  for (const ProjectSetting& setting : kProjectSettings)
    EXPECT_NE(saved.find("\r\n" + std::string(setting.key) + "="), std::string::npos)
        << setting.key;
  GeneratorSettings opened;
  Window other;
  ProjectFile(opened, other).open(path());
  EXPECT_EQ(opened, settings);
  EXPECT_EQ(other.folder, window.folder);
  EXPECT_EQ(other.url, window.url);
}

TEST_F(ProjectFileTest, OptionsForSearchEnginesFollowTheElevenEntriesOnlyWhenSet) {
  settings.schema = SitemapSchema::V09;
  settings.encodeNonAscii = true;
  settings.splitIndex = true;
  settings.gzip = true;
  settings.robotsTxt = true;
  window.folder = "/";
  window.url = "http://";
  project.save(path());
  EXPECT_EQ(test::readFile(path()), std::string(kDefaultProject) +
                                        "Schema=1\r\nEncodeNonAscii=1\r\nSplitIndex=1\r\n"
                                        "Gzip=1\r\nRobotsTxt=1\r\n");
  GeneratorSettings opened;
  Window other;
  ProjectFile(opened, other).open(path());
  EXPECT_EQ(opened, settings);

  // Switched back off, an option the file holds is saved as off; one it
  // does not hold stays out of it.
  settings.schema = SitemapSchema::V084;
  settings.splitIndex = false;
  dir.writeFile("site.prj", std::string(kDefaultProject) + "Schema=1\r\nSplitIndex=1\r\n");
  settings.encodeNonAscii = settings.gzip = settings.robotsTxt = false;
  project.save(path());
  EXPECT_EQ(test::readFile(path()), std::string(kDefaultProject) + "Schema=0\r\nSplitIndex=0\r\n");

  project.startNew();
  settings.schema = SitemapSchema::V09;
  settings.gzip = true;
  project.startNew();
  EXPECT_EQ(settings.schema, SitemapSchema::V084) << "a new project resets them";
  EXPECT_FALSE(settings.gzip);
}

TEST_F(ProjectFileTest, WhatToLeaveOutIsSavedOnlyWhenSetAndANewProjectResetsIt) {
  window.folder = "/";
  window.url = "http://";
  project.save(path());
  EXPECT_EQ(test::readFile(path()), kDefaultProject);

  settings.excludePatterns = "404.html;drafts/;**/print-*.html";
  settings.obeyRobots = true;
  settings.robotsAgent = "ExampleBot/1.0";
  project.save(path());
  EXPECT_EQ(test::readFile(path()), std::string(kDefaultProject) +
                                        "Exclude=404.html;drafts/;**/print-*.html\r\n"
                                        "ObeyRobots=1\r\nRobotsAgent=ExampleBot/1.0\r\n");
  GeneratorSettings opened;
  Window other;
  ProjectFile(opened, other).open(path());
  EXPECT_EQ(opened, settings);

  // An empty robot's name is a name the file keeps, not the default.
  settings.robotsAgent.clear();
  project.save(path());
  ProjectFile(opened, other).open(path());
  EXPECT_EQ(opened.robotsAgent, "");

  project.startNew();
  EXPECT_EQ(settings.excludePatterns, "");
  EXPECT_FALSE(settings.obeyRobots);
  EXPECT_EQ(settings.robotsAgent, "*");
}

TEST_F(ProjectFileTest, HeadRulesAndDroppedExtensionsAreSavedOnlyWhenOnAndANewProjectResetsThem) {
  window.folder = "/";
  window.url = "http://";
  settings.skipNoindex = settings.skipRedirects = settings.useCanonical = true;
  settings.dropExtension = true;
  project.save(path());
  EXPECT_EQ(test::readFile(path()), std::string(kDefaultProject) +
                                        "DropExtension=1\r\nSkipNoindex=1\r\n"
                                        "SkipRedirects=1\r\nUseCanonical=1\r\n");
  GeneratorSettings opened;
  Window other;
  ProjectFile(opened, other).open(path());
  EXPECT_EQ(opened, settings);

  project.startNew();
  EXPECT_FALSE(settings.skipNoindex || settings.skipRedirects || settings.useCanonical ||
               settings.dropExtension);
}

TEST_F(ProjectFileTest, OptionsForSearchEnginesThatDoNotReadTakeTheirDefaults) {
  settings.schema = SitemapSchema::V09;
  settings.gzip = true;
  settings.robotsTxt = true;
  dir.writeFile("site.prj", "[Project]\r\nSchema=7\r\nGzip=x\r\nSplitIndex=$1\r\n");
  project.open(path());
  EXPECT_EQ(settings.schema, SitemapSchema::V084);
  EXPECT_FALSE(settings.gzip);
  EXPECT_TRUE(settings.splitIndex) << "read by the rules of the store: $1 is 1";
  EXPECT_FALSE(settings.robotsTxt) << "a missing key is the default";
}

TEST_F(ProjectFileTest, TheDatesSourceReadsAnUnknownNumberAsFileTimesAndTheMemoryIsItsFolders) {
  for (const auto& [stored, source] :
       {std::pair{"1", LastmodSource::Git}, std::pair{"2", LastmodSource::Content},
        std::pair{"3", LastmodSource::None}, std::pair{"4", LastmodSource::FileTime},
        std::pair{"-1", LastmodSource::FileTime}, std::pair{"x", LastmodSource::FileTime}}) {
    dir.writeFile("site.prj", std::string("[Project]\r\nLastmodSource=") + stored +
                                  "\r\nLastmodMemory=ci/site.mem\r\n");
    project.open(path());
    EXPECT_EQ(settings.lastmodSource, source) << stored;
  }
  EXPECT_EQ(settings.contentMemoryFile("/data/", "/srv/site"), dir / "ci/site.mem")
      << "relative to the project file's folder";
  project.save(dir / "new.prj");
  EXPECT_EQ(test::readFile(dir / "new.prj"),
            std::string(kDefaultProject) + "LastmodMemory=ci/site.mem\r\n")
      << "saved as it was given, and the default source not at all";
  project.startNew();
  EXPECT_EQ(settings.lastmodMemory, "");
  EXPECT_EQ(settings.lastmodSource, LastmodSource::FileTime);
  EXPECT_EQ(settings.lastmodMemoryBase.folder, "");
}

TEST_F(ProjectFileTest, StylesheetEntriesFollowOnlyWhenSetAndANewProjectResetsThem) {
  // An "=" and blanks inside a value stay; those around it a project drops.
  settings.stylesheet = "https://cdn.example.com/a b/map.xsl?v=1&x=2";
  settings.writeStylesheet = true;
  window.folder = "/";
  window.url = "http://";
  project.save(path());
  EXPECT_EQ(test::readFile(path()), std::string(kDefaultProject) +
                                        "Stylesheet=https://cdn.example.com/a b/map.xsl?v=1&x=2\r\n"
                                        "WriteStylesheet=1\r\n");
  GeneratorSettings opened;
  Window other;
  ProjectFile(opened, other).open(path());
  EXPECT_EQ(opened, settings);

  project.startNew();
  EXPECT_EQ(settings.stylesheet, "");
  EXPECT_FALSE(settings.writeStylesheet);
}

TEST_F(ProjectFileTest, OpeningAFileWithoutTheSectionGivesTheDefaults) {
  dir.writeFile("site.prj", "[Other]\r\nLocalFolder=/x\r\n");
  settings.compact = true;
  settings.fileMask = "*.php";
  settings.otherPriority.setIndex(4);
  project.open(path());
  EXPECT_EQ(settings, GeneratorSettings{});
  EXPECT_EQ(window.folder, "/");
  EXPECT_EQ(window.url, "http://");
}

TEST_F(ProjectFileTest, FlagsAreReadFromTheirKeys) {
  dir.writeFile("site.prj", "[Project]\r\nTagIndent=1\r\nSetTimeShort=0\r\n");
  project.open(path());
  EXPECT_TRUE(settings.compact);
  EXPECT_FALSE(settings.dateOnlyLastmod);
}

TEST_F(ProjectFileTest, IndexesOutsideTheVocabularyGiveAnEmptyText) {
  dir.writeFile("site.prj",
                "[Project]\r\nSetChangefreq1=12\r\nSetPriority2=-1\r\nSetTimezone=x\r\n");
  project.open(path());
  EXPECT_EQ(settings.rootChangefreq.index(), -1);
  EXPECT_EQ(settings.rootChangefreq.text(), "");
  EXPECT_EQ(settings.otherPriority.text(), "");
  EXPECT_EQ(settings.timeZone.text(), "+01:00") << "not an integer: the default";
}

TEST_F(ProjectFileTest, TypedTextIsSavedAsMinusOneAndSurvivesOnlyWhileInForce) {
  settings.otherChangefreq.setTyped("sometimes", -1);
  project.save(path());
  EXPECT_NE(test::readFile(path()).find("SetChangefreq2=-1\r\n"), std::string::npos);
  project.open(path());
  EXPECT_EQ(settings.otherChangefreq.text(), "sometimes");
  project.startNew();
  project.open(path());
  EXPECT_EQ(settings.otherChangefreq.text(), "");
}

TEST_F(ProjectFileTest, LineBreaksInTheMasksAreSavedAsSemicolons) {
  // CR LF is one line break, as the scan splits it: one ";", never ";;"
  // (which would open as an empty mask).
  settings.fileMask = "*.htm\r*.html\n*.php\r\n*.asp\n\r*.x\r\n\r\n*.y";
  project.save(path());
  EXPECT_NE(test::readFile(path()).find("FileMask=*.htm;*.html;*.php;*.asp;;*.x;;*.y\r\n"),
            std::string::npos);
  GeneratorSettings opened;
  Window other;
  ProjectFile(opened, other).open(path());
  EXPECT_EQ(splitFileMask(opened.fileMask), splitFileMask(settings.fileMask))
      << "the project opens to the same masks";
}

TEST_F(ProjectFileTest, NewKeepsMasksIndexFileAndLayoutAndEmptiesTheList) {
  settings.fileMask = "*.php";
  settings.indexFile = "main.php";
  settings.compact = true;
  settings.dateOnlyLastmod = false;
  settings.timeZone.setIndex(2);
  project.startNew();
  EXPECT_EQ(window.folder, "/");
  EXPECT_EQ(window.url, "http://");
  EXPECT_EQ(window.rows, 0);
  GeneratorSettings expected;
  expected.fileMask = "*.php";
  expected.indexFile = "main.php";
  expected.compact = true;
  EXPECT_EQ(settings, expected);
}

TEST_F(ProjectFileTest, SavingOverAFileKeepsItsOtherSectionsAndKeys) {
  dir.writeFile("site.prj", "[Notes]\r\nWho=me\r\n[Project]\r\nURL=old\r\nExtra=kept\r\n");
  project.save(path());
  const std::string saved = test::readFile(path());
  EXPECT_EQ(
      saved.rfind("[Notes]\r\nWho=me\r\n[Project]\r\nURL=http://example.com/\r\nExtra=kept\r\n"
                  "LocalFolder=/site\r\n",
                  0),
      0u);
}

/// A store whose writes fail from the `failAt`-th on, like a disk filling up.
class FailingStore final : public IniStore {
 public:
  FailingStore(const std::string& path, int failAt)
      : IniStore(path), m_inner(path), m_failAt(failAt) {}
  std::string readString(std::string_view s, std::string_view k,
                         std::string_view d) const override {
    return m_inner.readString(s, k, d);
  }
  void writeString(std::string_view s, std::string_view k, std::string_view v) override {
    if (++m_writes >= m_failAt) throw IniWriteError("Unable to write to " + fileName());
    m_inner.writeString(s, k, v);
  }

 private:
  IniFile m_inner;
  int m_failAt;
  int m_writes = 0;
};

TEST_F(ProjectFileTest, FailedSaveKeepsTheEntriesWrittenBeforeIt) {
  FailingStore store(path(), 5);
  EXPECT_THROW(project.save(store), IniWriteError);
  EXPECT_EQ(test::readFile(path()),
            "[Project]\r\nLocalFolder=/site\r\nFileMask=*.htm;*.html\r\nIndexFile=index.htm\r\n"
            "URL=http://example.com/\r\n");
}

#ifdef QORV_FAULT_POINTS

TEST_F(ProjectFileTest, OpeningAFileThatCannotBeReadGivesTheDefaultsWithoutAnError) {
  dir.writeFile("site.prj", "[Project]\r\nURL=http://stored/\r\nFileMask=*.php\r\n");
  const FaultScope fault("read", 1, EIO, true);
  EXPECT_NO_THROW(project.open(path()));
  EXPECT_EQ(window.url, "http://");
  EXPECT_EQ(settings.fileMask, GeneratorSettings().fileMask);
}

TEST_F(ProjectFileTest, SaveOverAFileThatCannotBeReadFailsAndKeepsIt) {
  const std::string original = "[Notes]\r\nWho=me\r\n[Project]\r\nURL=old\r\n";
  dir.writeFile("site.prj", original);
  {
    const FaultScope fault("read", 1, EIO, true);
    EXPECT_THROW(project.save(path()), IniWriteError);
  }
  EXPECT_EQ(test::readFile(path()), original);
  EXPECT_EQ(test::listNames(dir.path()), "site.prj");
}

#endif

}  // namespace
}  // namespace qorv
