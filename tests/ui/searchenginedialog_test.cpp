// The dialog of the options for search engines: its controls are the live
// settings, and Enter presses OK.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "core/generatorsettings.h"
#include "tests/ui/uitestsupport.h"
#include "ui/searchenginedialog.h"

using namespace qorv;
using test::whileModal;

class SearchEngineDialogTest : public QObject {
  Q_OBJECT

 private:
  GeneratorSettings m_settings;
  std::unique_ptr<SearchEngineDialog> m_dialog;

  template <class Part>
  Part* part(const char* name) const {
    return test::part<Part>(m_dialog.get(), name);
  }

 private slots:
  void init() {
    m_settings = GeneratorSettings{};
    m_dialog = std::make_unique<SearchEngineDialog>(m_settings, nullptr);
  }

  void cleanup() { m_dialog.reset(); }

  void showsTheDefaultsWithItsCaptions() {
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Pre vyhľadávače"));
    QCOMPARE(part<QLabel>("m_schemaLabel")->text(), QStringLiteral("Schéma:"));
    auto* schema = part<QComboBox>("m_schemaBox");
    QVERIFY(!schema->isEditable());
    QCOMPARE(schema->count(), 2);
    QCOMPARE(schema->itemText(0), QStringLiteral("0.84"));
    QCOMPARE(schema->itemText(1), QStringLiteral("0.9 (sitemaps.org)"));
    QCOMPARE(schema->currentIndex(), 0);
    const QStringList captions{QStringLiteral("Kódovať písmená mimo ASCII (%XX)"),
                               QStringLiteral("Nad limit rozdeliť do viacerých súborov s indexom"),
                               QStringLiteral("Zapísať aj komprimované kópie (.gz)"),
                               QStringLiteral("Doplniť riadok Sitemap do robots.txt")};
    int top = -1;
    const char* boxes[] = {"m_encodeNonAsciiCheckBox", "m_splitIndexCheckBox", "m_gzipCheckBox",
                           "m_robotsTxtCheckBox"};
    for (int i = 0; i < 4; ++i) {
      auto* box = part<QCheckBox>(boxes[i]);
      QCOMPARE(box->text(), captions[i]);
      QVERIFY(!box->isChecked());
      QVERIFY2(box->y() > top, "one under the other");
      top = box->y();
      // Each caption shows in full at the interface font.
      QVERIFY(box->sizeHint().width() <= box->width());
    }
    auto* group = part<QGroupBox>("m_leaveOutGroup");
    QCOMPARE(group->title(), QStringLiteral("Vynechať zo sitemapy"));
    QVERIFY2(group->y() > part<QGroupBox>("m_addressGroup")->geometry().bottom(),
             "under the addresses");
    auto* obey = part<QCheckBox>("m_obeyRobotsCheckBox");
    QCOMPARE(obey->text(), QStringLiteral("Dodržať robots.txt"));
    QVERIFY(!obey->isChecked());
    QVERIFY(obey->sizeHint().width() <= obey->width());
    auto* agentLabel = part<QLabel>("m_robotsAgentLabel");
    auto* agent = part<QLineEdit>("m_robotsAgentEdit");
    QCOMPARE(agentLabel->text(), QStringLiteral("Robot:"));
    QCOMPARE(agentLabel->buddy(), agent);
    QCOMPARE(agent->text(), QStringLiteral("*"));
    QVERIFY2(!agent->isEnabled(), "the robot's name counts only while robots.txt is obeyed");
    QVERIFY2(agent->x() > obey->geometry().right() && std::abs(agent->y() - obey->y()) < 10,
             "beside the check box");
    auto* excludeLabel = part<QLabel>("m_excludeLabel");
    auto* exclude = part<QLineEdit>("m_excludeEdit");
    QCOMPARE(excludeLabel->text(), QStringLiteral("Vylúčiť cesty:"));
    QCOMPARE(excludeLabel->buddy(), exclude);
    QVERIFY(exclude->text().isEmpty());
    QVERIFY(exclude->toolTip().contains(QStringLiteral("404.html;drafts/;tags/;**/print-*.html")));
    QVERIFY(exclude->toolTip().contains(QStringLiteral("**")));
    for (const QLabel* label : {agentLabel, excludeLabel})
      QVERIFY2(label->x() + label->sizeHint().width() < label->buddy()->x(),
               "a label ends before its box");
    for (const QWidget* inside : {static_cast<QWidget*>(obey), static_cast<QWidget*>(agent),
                                  static_cast<QWidget*>(exclude)})
      QVERIFY(group->rect().contains(inside->geometry()));
    auto* ok = part<QPushButton>("m_okButton");
    QVERIFY(ok->y() > group->geometry().bottom());
    QVERIFY(ok->isDefault());
    QCOMPARE(ok->geometry().bottomRight() + QPoint(1, 1),
             QPoint(m_dialog->width() - 12, m_dialog->height() - 19));
  }

  void addressGroupStandsBetweenTheCheckBoxesAndOk() {
    auto* group = part<QGroupBox>("m_addressGroup");
    QCOMPARE(group->title(), QStringLiteral("Adresy"));
    QCOMPARE(part<QLabel>("m_stylesheetLabel")->text(), QStringLiteral("Štýl (XSL):"));
    auto* edit = part<QLineEdit>("m_stylesheetEdit");
    QCOMPARE(part<QLabel>("m_stylesheetLabel")->buddy(), edit);
    QVERIFY(edit->text().isEmpty());
    auto* write = part<QCheckBox>("m_writeStylesheetCheckBox");
    QCOMPARE(write->text(), QStringLiteral("Zapísať aj sitemap.xsl"));
    QVERIFY(!write->isChecked());
    QVERIFY(write->sizeHint().width() <= write->width());
    auto* hreflang = part<QCheckBox>("m_hreflangCheckBox");
    QCOMPARE(hreflang->text(), QStringLiteral("Jazykové verzie (hreflang)"));
    QVERIFY(!hreflang->isChecked());
    QVERIFY(hreflang->sizeHint().width() <= hreflang->width());
    for (QWidget* control : {static_cast<QWidget*>(hreflang), static_cast<QWidget*>(edit),
                             static_cast<QWidget*>(write)}) {
      QCOMPARE(control->parentWidget(), group);
      QVERIFY2(group->contentsRect().contains(control->geometry()), "inside the group's frame");
    }
    QVERIFY(hreflang->geometry().bottom() < edit->y());
    QVERIFY(edit->y() < write->y());
    const QRect frame = group->geometry();
    QVERIFY2(frame.top() > part<QCheckBox>("m_robotsTxtCheckBox")->geometry().bottom(),
             "below the check boxes");
    QVERIFY2(frame.bottom() < part<QPushButton>("m_okButton")->y(), "above OK");
    QVERIFY(frame.right() < m_dialog->width());
  }

  void headRuleAndExtensionBoxesAreTheLiveSettingsInTheirGroups() {
    struct Box {
      const char* name;
      const char* group;
      QString caption;
      bool GeneratorSettings::*setting;
    };
    const Box boxes[] = {
        {"m_dropExtensionCheckBox", "m_addressGroup", QStringLiteral("Bez prípony .html"),
         &GeneratorSettings::dropExtension},
        {"m_skipNoindexCheckBox", "m_leaveOutGroup", QStringLiteral("Stránky s noindex"),
         &GeneratorSettings::skipNoindex},
        {"m_skipRedirectsCheckBox", "m_leaveOutGroup",
         QStringLiteral("Presmerovania (meta refresh)"), &GeneratorSettings::skipRedirects},
        {"m_useCanonicalCheckBox", "m_leaveOutGroup",
         QStringLiteral("Použiť kanonickú adresu stránky"), &GeneratorSettings::useCanonical},
    };
    for (const Box& expected : boxes) {
      auto* box = part<QCheckBox>(expected.name);
      auto* group = part<QGroupBox>(expected.group);
      QCOMPARE(box->text(), expected.caption);
      QCOMPARE(box->parentWidget(), group);
      QVERIFY2(group->contentsRect().contains(box->geometry()), expected.name);
      QVERIFY(box->sizeHint().width() <= box->width());
      QVERIFY(!box->isChecked());
      box->click();
      QVERIFY(m_settings.*expected.setting);
      m_settings.*expected.setting = false;
      m_dialog->showSettings();
      QVERIFY(!box->isChecked());
      QVERIFY(!(m_settings.*expected.setting));
    }
    QVERIFY2(
        part<QCheckBox>("m_dropExtensionCheckBox")->y() < part<QLineEdit>("m_stylesheetEdit")->y(),
        "first of the addresses");
    QVERIFY2(part<QCheckBox>("m_skipNoindexCheckBox")->y() > part<QLineEdit>("m_excludeEdit")->y(),
             "after the exclude patterns");
  }

  void stylesheetControlsAreTheLiveSettings() {
    part<QLineEdit>("m_stylesheetEdit")->insert(QStringLiteral("štýly/mapa.xsl"));
    part<QCheckBox>("m_writeStylesheetCheckBox")->click();
    QCOMPARE(m_settings.stylesheet, std::string("\xC5\xA1t\xC3\xBDly/mapa.xsl"));
    QVERIFY(m_settings.writeStylesheet);

    m_settings.stylesheet = "https://s/x.xsl";
    m_settings.writeStylesheet = false;
    m_dialog->showSettings();
    QCOMPARE(part<QLineEdit>("m_stylesheetEdit")->text(), QStringLiteral("https://s/x.xsl"));
    QVERIFY(!part<QCheckBox>("m_writeStylesheetCheckBox")->isChecked());
    QCOMPARE(m_settings.stylesheet, std::string("https://s/x.xsl"));
  }

  void hreflangBoxIsTheLiveSettingAndWaitsForSchema09() {
    auto* hreflang = part<QCheckBox>("m_hreflangCheckBox");
    auto* schema = part<QComboBox>("m_schemaBox");
    QVERIFY2(!hreflang->isEnabled(), "schema 0.84 has no room for alternates");
    schema->setCurrentIndex(1);
    QVERIFY(hreflang->isEnabled());
    hreflang->click();
    QVERIFY(m_settings.hreflang);
    // Back to 0.84 the box keeps its tick, and the setting stays for when
    // the schema changes again.
    schema->setCurrentIndex(0);
    QVERIFY(!hreflang->isEnabled());
    QVERIFY(hreflang->isChecked());
    QVERIFY(m_settings.hreflang);

    m_settings.hreflang = false;
    m_settings.schema = SitemapSchema::V09;
    m_dialog->showSettings();
    QVERIFY(!hreflang->isChecked());
    QVERIFY(hreflang->isEnabled());
    m_settings.hreflang = true;
    m_settings.schema = SitemapSchema::V084;
    m_dialog->showSettings();
    QVERIFY(hreflang->isChecked());
    QVERIFY(!hreflang->isEnabled());
    QVERIFY(m_settings.hreflang);
  }

  void controlsAreTheLiveSettingsAndAProjectShowsInThem() {
    part<QComboBox>("m_schemaBox")->setCurrentIndex(1);
    part<QCheckBox>("m_splitIndexCheckBox")->click();
    part<QCheckBox>("m_robotsTxtCheckBox")->click();
    QCOMPARE(m_settings.schema, SitemapSchema::V09);
    QVERIFY(m_settings.splitIndex);
    QVERIFY(m_settings.robotsTxt);
    QVERIFY(!m_settings.gzip);
    QVERIFY(!m_settings.encodeNonAscii);

    m_settings.schema = SitemapSchema::V084;
    m_settings.gzip = true;
    m_settings.splitIndex = false;
    m_dialog->showSettings();
    QCOMPARE(part<QComboBox>("m_schemaBox")->currentIndex(), 0);
    QVERIFY(part<QCheckBox>("m_gzipCheckBox")->isChecked());
    QVERIFY(!part<QCheckBox>("m_splitIndexCheckBox")->isChecked());
    QVERIFY2(m_settings.gzip, "showing changes no setting");
  }

  void whatToLeaveOutIsTheLiveSettingsToo() {
    auto* obey = part<QCheckBox>("m_obeyRobotsCheckBox");
    auto* agent = part<QLineEdit>("m_robotsAgentEdit");
    auto* exclude = part<QLineEdit>("m_excludeEdit");
    obey->click();
    QVERIFY(m_settings.obeyRobots);
    QVERIFY(agent->isEnabled());
    agent->setFocus();
    agent->selectAll();
    QTest::keyClicks(agent, QStringLiteral("ExampleBot"));
    QTest::keyClicks(exclude, QStringLiteral("drafts/"));
    exclude->insert(QStringLiteral(";tlač-*.html"));
    QCOMPARE(m_settings.robotsAgent, std::string("ExampleBot"));
    QCOMPARE(m_settings.excludePatterns, std::string("drafts/;tla\xC4\x8D-*.html"));

    m_settings.obeyRobots = false;
    m_settings.robotsAgent = "*";
    m_settings.excludePatterns = "404.html";
    m_dialog->showSettings();
    QVERIFY(!obey->isChecked());
    QVERIFY(!agent->isEnabled());
    QCOMPARE(agent->text(), QStringLiteral("*"));
    QCOMPARE(exclude->text(), QStringLiteral("404.html"));
    QCOMPARE(m_settings.excludePatterns, std::string("404.html"));
  }

  void lastmodSourceIsALiveDropDownUnderWhatIsLeftOut() {
    auto* group = part<QGroupBox>("m_lastmodGroup");
    QCOMPARE(group->title(), QStringLiteral("Dátum zmeny"));
    QVERIFY(group->y() > part<QGroupBox>("m_leaveOutGroup")->geometry().bottom());
    QVERIFY(part<QPushButton>("m_okButton")->y() > group->geometry().bottom());
    auto* box = part<QComboBox>("m_lastmodSourceBox");
    QVERIFY(!box->isEditable());
    QVERIFY(group->rect().contains(box->geometry()));
    const QStringList items{QStringLiteral("Čas súboru"), QStringLiteral("Posledný commit (git)"),
                            QStringLiteral("Pamäť obsahu"), QStringLiteral("Bez dátumu")};
    QCOMPARE(box->count(), items.size());
    for (int i = 0; i < box->count(); ++i) {
      QCOMPARE(box->itemText(i), items[i]);
      // Each entry shows in full in the closed box.
      QVERIFY(box->fontMetrics().horizontalAdvance(items[i]) + 40 <= box->width());
    }
    QCOMPARE(box->currentIndex(), 0);
    const LastmodSource sources[] = {LastmodSource::FileTime, LastmodSource::Git,
                                     LastmodSource::Content, LastmodSource::None};
    for (int i : {2, 1, 3, 0}) {
      box->setCurrentIndex(i);
      QCOMPARE(m_settings.lastmodSource, sources[i]);
    }
    m_settings.lastmodSource = LastmodSource::Content;
    m_dialog->showSettings();
    QCOMPARE(box->currentIndex(), 2);
  }

  void enterPressesOkAndEscDoesNothing() {
    bool openAfterEsc = false;
    bool closedByEnter = false;
    whileModal([this] { m_dialog->exec(); },
               [&](QDialog* shown) {
                 QTest::keyClick(shown, Qt::Key_Escape);
                 openAfterEsc = shown->isVisible();
                 part<QCheckBox>("m_gzipCheckBox")->setFocus();
                 QTest::keyClick(part<QCheckBox>("m_gzipCheckBox"), Qt::Key_Space);
                 QTest::keyClick(shown, Qt::Key_Return);
                 closedByEnter = !shown->isVisible();
               });
    QVERIFY(openAfterEsc);
    QVERIFY(closedByEnter);
    QVERIFY(m_settings.gzip);
  }

  void tabVisitsTheControlsInTheirOrder() {
    QList<QWidget*> order;
    whileModal(
        [this] { m_dialog->exec(); },
        [&](QDialog* shown) { order = test::tabOrder(shown, part<QComboBox>("m_schemaBox"), 15); });
    QCOMPARE(
        order,
        (QList<QWidget*>{
            part<QComboBox>("m_schemaBox"), part<QCheckBox>("m_encodeNonAsciiCheckBox"),
            part<QCheckBox>("m_splitIndexCheckBox"), part<QCheckBox>("m_gzipCheckBox"),
            part<QCheckBox>("m_robotsTxtCheckBox"), part<QCheckBox>("m_dropExtensionCheckBox"),
            part<QLineEdit>("m_stylesheetEdit"), part<QCheckBox>("m_writeStylesheetCheckBox"),
            part<QCheckBox>("m_obeyRobotsCheckBox"), part<QLineEdit>("m_excludeEdit"),
            part<QCheckBox>("m_skipNoindexCheckBox"), part<QCheckBox>("m_skipRedirectsCheckBox"),
            part<QCheckBox>("m_useCanonicalCheckBox"), part<QComboBox>("m_lastmodSourceBox"),
            part<QPushButton>("m_okButton")}));
    // The robot's box joins the order once robots.txt is obeyed.
    part<QCheckBox>("m_obeyRobotsCheckBox")->click();
    whileModal([this] { m_dialog->exec(); },
               [&](QDialog* shown) {
                 order = test::tabOrder(shown, part<QCheckBox>("m_obeyRobotsCheckBox"), 5);
               });
    QCOMPARE(order,
             (QList<QWidget*>{
                 part<QCheckBox>("m_obeyRobotsCheckBox"), part<QLineEdit>("m_robotsAgentEdit"),
                 part<QLineEdit>("m_excludeEdit"), part<QCheckBox>("m_skipNoindexCheckBox"),
                 part<QCheckBox>("m_skipRedirectsCheckBox")}));
    // And the language box once the schema has room for alternates.
    part<QComboBox>("m_schemaBox")->setCurrentIndex(1);
    whileModal([this] { m_dialog->exec(); },
               [&](QDialog* shown) {
                 order = test::tabOrder(shown, part<QCheckBox>("m_robotsTxtCheckBox"), 4);
               });
    QCOMPARE(order,
             (QList<QWidget*>{
                 part<QCheckBox>("m_robotsTxtCheckBox"), part<QCheckBox>("m_dropExtensionCheckBox"),
                 part<QCheckBox>("m_hreflangCheckBox"), part<QLineEdit>("m_stylesheetEdit")}));
  }
};

QORV_UI_TEST_MAIN(SearchEngineDialogTest)
#include "searchenginedialog_test.moc"
