// The main window as a user meets it: controls, the button and layout
// rules, the tick commands, scan and generate through the buttons, and
// what happens while a scan runs.

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTimeEdit>
#include <QTreeView>
#include <filesystem>

#include "core/sitescan.h"
#include "platform/faultpoints.h"
#include "tests/ui/uitestsupport.h"
#include "ui/mainwindow.h"
#include "ui/pageeditdialog.h"
#include "ui/pagelistmodel.h"
#include "ui/settingsdialog.h"
#include "ui/vocabularybox.h"

using namespace qorv;
using test::currentEnvironment;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> m_window;
  MainWindow* m_form = nullptr;

  template <class Part>
  Part* part(const char* name) const {
    return test::part<Part>(m_form, name);
  }

  void createWindow() {
    m_window = std::make_unique<MainWindow>(currentEnvironment->app.context());
    m_form = m_window.get();
  }

  /// A site of `files` pages in two folders, under a fresh temporary folder.
  std::unique_ptr<test::TempDir> makeSite(int files) {
    auto site = std::make_unique<test::TempDir>();
    for (int i = 0; i < files; ++i)
      site->writeFile((i % 2 ? "a/" : "b/") + std::to_string(i) + ".htm");
    site->writeFile("style.css");
    return site;
  }

  void scan(const test::TempDir& site, const QString& url = QStringLiteral("http://s")) {
    part<QLineEdit>("m_folderEdit")->setText(QString::fromStdString(site.path()));
    part<QLineEdit>("m_urlEdit")->setText(url);
    QTest::mouseClick(part<QPushButton>("m_scanButton"), Qt::LeftButton);
  }

  QList<QWidget*> tabOrder() const {
    QList<QWidget*> order;
    QWidget* w = part<QLineEdit>("m_folderEdit");
    for (int i = 0; i < 5; ++i) {
      order << w;
      w = w->nextInFocusChain();
      while (w->focusPolicy() == Qt::NoFocus || !w->isVisible()) w = w->nextInFocusChain();
    }
    return order;
  }

 private slots:
  void init() {
    currentEnvironment->messages.clear();
    currentEnvironment->chooserFolders.clear();
    currentEnvironment->formats = test::dayFirstFormats();
    std::remove((currentEnvironment->settings / "qorv.ini").c_str());
    std::remove((currentEnvironment->settings / "error.log").c_str());
    createWindow();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
  }

  void cleanup() {
    m_window.reset();
    m_form = nullptr;
  }

  void startUpState() {
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Quorvex 1.0203"));
    QCOMPARE(part<QLabel>("m_folderLabel")->text(), QStringLiteral("Lokálny adresár webu"));
    QCOMPARE(part<QLabel>("m_urlLabel")->text(), QStringLiteral("Url webu"));
    QCOMPARE(part<QLabel>("m_pageListLabel")->text(), QStringLiteral("Mapa webu"));
    QCOMPARE(part<QLineEdit>("m_folderEdit")->text(), QStringLiteral("/"));
    QVERIFY(part<QLineEdit>("m_folderEdit")->hasFocus());
    QCOMPARE(part<QLineEdit>("m_urlEdit")->text(), QStringLiteral("http://"));
    QCOMPARE(part<QPushButton>("m_scanButton")->text(), QStringLiteral("Zobraziť mapu webu"));
    QCOMPARE(part<QPushButton>("m_generateButton")->text(), QStringLiteral("Generovať Tessaly"));
    QVERIFY(part<QPushButton>("m_scanButton")->isEnabled());
    QVERIFY(part<QPushButton>("m_generateButton")->isEnabled());
    QCOMPARE(part<QLineEdit>("m_folderEdit")->toolTip(),
             QStringLiteral("Určenie lokálneho adresára webu"));
    QCOMPARE(part<QLineEdit>("m_urlEdit")->toolTip(),
             QStringLiteral("URL webu, ktorou budú v mape webu nahradené lokálne zložky"));
    QCOMPARE(part<QPushButton>("m_scanButton")->toolTip(),
             QStringLiteral("Zobrazenie mapy webu, z ktorej bude generovaný SITEMAP.XML"));
    QCOMPARE(part<QPushButton>("m_generateButton")->toolTip(),
             QStringLiteral("Vygenerovanie súboru SITEMAP.XML pre službu Tessaly"));
    QVERIFY(part<QTreeView>("m_pageListView")->toolTip().isEmpty());
    QCOMPARE(part<QTreeView>("m_pageListView")->model()->rowCount(), 0);
    const QStringList headers{QStringLiteral("Url"), QStringLiteral("Dátum"), QStringLiteral("Čas"),
                              QStringLiteral("Changefreq"), QStringLiteral("Priority")};
    for (int i = 0; i < headers.size(); ++i)
      QCOMPARE(part<QTreeView>("m_pageListView")->model()->headerData(i, Qt::Horizontal).toString(),
               headers[i]);
    QCOMPARE(
        tabOrder(),
        (QList<QWidget*>{part<QLineEdit>("m_folderEdit"), part<QLineEdit>("m_urlEdit"),
                         part<QPushButton>("m_scanButton"), part<QPushButton>("m_generateButton"),
                         part<QTreeView>("m_pageListView")}));
  }

  void menusWithTheirAccessKeysAndShortcuts() {
    const QList<QAction*> menus = m_form->menuBar()->actions();
    QStringList titles;
    for (QAction* menu : menus) titles << menu->text();
    QCOMPARE(titles, (QStringList{QStringLiteral("&Projekt"), QStringLiteral("&Stránka"),
                                  QStringLiteral("&Nastavenie"), QStringLiteral("P&omoc")}));
    const auto items = [](QMenu* menu) {
      QStringList texts;
      for (QAction* action : menu->actions())
        texts << (action->isSeparator()
                      ? QStringLiteral("-")
                      : action->text() + QLatin1Char('|') + action->shortcut().toString());
      return texts;
    };
    QCOMPARE(items(part<QMenu>("m_projectMenu")),
             (QStringList{QStringLiteral("&Nový|Ctrl+N"), QStringLiteral("&Otvoriť...|Ctrl+O"),
                          QStringLiteral("-"), QStringLiteral("&Uložiť...|Ctrl+S"),
                          QStringLiteral("-"), QStringLiteral("&Koniec|Alt+F4")}));
    QCOMPARE(items(part<QMenu>("m_pageMenu")),
             (QStringList{QStringLiteral("&Vybrať všetky|"), QStringLiteral("&Invertovať výber|"),
                          QStringLiteral("&Zrušiť výber|"), QStringLiteral("-"),
                          QStringLiteral("&Editovať...|Ctrl+E"), QStringLiteral("-"),
                          QStringLiteral("&Vynechané stránky...|")}));
    QCOMPARE(
        items(part<QMenu>("m_settingsMenu")),
        (QStringList{QStringLiteral("&Nastavenie...|"), QStringLiteral("Pre &vyhľadávače...|")}));
    QCOMPARE(items(part<QMenu>("m_helpMenu")), QStringList{QStringLiteral("&O programe...|")});
    QCOMPARE(items(part<QMenu>("m_pageContextMenu")),
             (QStringList{QStringLiteral("Vybrať všetky|"), QStringLiteral("Invertovať výber|"),
                          QStringLiteral("Zrušiť výber|"), QStringLiteral("-"),
                          QStringLiteral("Editovať|Ctrl+E"), QStringLiteral("-"),
                          QStringLiteral("&Vynechané stránky...|")}));
  }

  /// Whether both commands of the left-out list are offered, checked to agree.
  bool leftOutOffered() const {
    const bool menu = part<QAction>("m_leftOutAction")->isEnabled();
    if (menu != part<QAction>("m_contextLeftOutAction")->isEnabled())
      QTest::qFail("the menu and the context menu disagree", __FILE__, __LINE__);
    return menu;
  }

  void leftOutPagesAreListedReportedAndForgottenByANewProject() {
    GeneratorSettings& settings = currentEnvironment->app.context().settings;
    const struct Defaults {
      GeneratorSettings& settings;
      ~Defaults() { settings = GeneratorSettings{}; }
    } defaults{settings};
    test::TempDir site;
    site.writeFile("index.htm");
    site.writeFile("drafts/a.htm");
    site.writeFile("blog/b.htm");
    site.writeFile("robots.txt", "User-agent: *\nDisallow: /blog/\n");
    QVERIFY(!leftOutOffered());

    settings.excludePatterns = "drafts/";
    settings.obeyRobots = true;
    bool offeredDuringTheScan = true;
    std::function<void()> letEventsRun = m_form->scanner().onFileDone;
    m_form->scanner().onFileDone = [&] {
      offeredDuringTheScan &= leftOutOffered();
      letEventsRun();
    };
    scan(site, QStringLiteral("http://s/"));
    m_form->scanner().onFileDone = letEventsRun;
    QVERIFY(!offeredDuringTheScan);
    QVERIFY(leftOutOffered());
    QCOMPARE(m_form->pages().size(), 1u);

    QString total;
    QStringList rows;
    bool readOnly = true;
    test::whileModal([this] { part<QAction>("m_contextLeftOutAction")->trigger(); },
                     [&](QDialog* dialog) {
                       QCOMPARE(dialog->objectName(), QStringLiteral("leftOutDialog"));
                       QCOMPARE(dialog->windowTitle(), QStringLiteral("Vynechané stránky"));
                       total = test::part<QLabel>(dialog, "m_totalLabel")->text();
                       const QAbstractItemModel* model =
                           test::part<QTreeView>(dialog, "m_leftOutView")->model();
                       rows << model->headerData(0, Qt::Horizontal).toString() + QLatin1Char('|') +
                                   model->headerData(1, Qt::Horizontal).toString();
                       for (int row = 0; row < model->rowCount(); ++row) {
                         rows << model->index(row, 0).data().toString() + QLatin1Char('|') +
                                     model->index(row, 1).data().toString();
                         readOnly &= !(model->flags(model->index(row, 0)) & Qt::ItemIsEditable);
                       }
                       test::part<QPushButton>(dialog, "m_okButton")->click();
                       QVERIFY(!dialog->isVisible());
                     });
    QCOMPARE(total, QStringLiteral("Spolu: 2 (vylúčené vzorom 1, zakázané v robots.txt 1)"));
    rows.sort();
    QCOMPARE(rows, (QStringList{QStringLiteral("Cesta|Dôvod"),
                                QStringLiteral("blog/b.htm|zakázané v robots.txt"),
                                QStringLiteral("drafts/|vylúčené vzorom")}));
    QVERIFY(readOnly);
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
      bool closed = false;
      test::whileModal([this] { part<QAction>("m_leftOutAction")->trigger(); },
                       [&](QDialog* dialog) {
                         QTest::keyClick(dialog, key);
                         closed = !dialog->isVisible();
                       });
      QVERIFY2(closed, "Esc and Enter close the list, which only shows");
    }

    QTest::mouseClick(part<QPushButton>("m_generateButton"), Qt::LeftButton);
    QVERIFY2(currentEnvironment->messages.last().endsWith(QStringLiteral(
                 "\n\nPočet Url: 0\n\nVynechané stránky: 2 (vylúčené vzorom 1, zakázané v "
                 "robots.txt 1)")),
             qPrintable(currentEnvironment->messages.last()));

    settings.obeyRobots = false;
    settings.excludePatterns.clear();
    scan(site, QStringLiteral("http://s/"));
    QVERIFY2(!leftOutOffered(), "a scan that leaves nothing out");
    settings.excludePatterns = "*.htm";
    scan(site, QStringLiteral("http://s/"));
    QVERIFY(leftOutOffered());
    part<QAction>("m_newProjectAction")->trigger();
    QVERIFY(!leftOutOffered());
    QVERIFY(m_form->scanner().leftOut().empty());
    QVERIFY2(settings.excludePatterns.empty(), "a new project resets the patterns");
  }

  void versionsWithoutReturnLinksAreListedAfterTheWriteUntilTheNextScan() {
    GeneratorSettings& settings = currentEnvironment->app.context().settings;
    const struct Defaults {
      GeneratorSettings& settings;
      ~Defaults() { settings = GeneratorSettings{}; }
    } defaults{settings};
    test::TempDir site;
    // The English page names the Slovak one, which names only itself.
    site.writeFile("en&.htm", R"(<link rel="alternate" hreflang="en" href="en&amp;.htm">)"
                              R"(<link rel="alternate" hreflang="sk" href="sk.htm">)");
    site.writeFile("sk.htm", R"(<link rel="alternate" hreflang="sk" href="sk.htm">)");
    settings.schema = SitemapSchema::V09;
    settings.hreflang = true;
    scan(site, QStringLiteral("http://s/"));
    QVERIFY2(!leftOutOffered(), "nothing left out, nothing written yet");
    part<QAction>("m_includeAllAction")->trigger();
    QTest::mouseClick(part<QPushButton>("m_generateButton"), Qt::LeftButton);
    QVERIFY2(currentEnvironment->messages.last().endsWith(
                 QStringLiteral("\n\nJazykové verzie bez spätného odkazu: 1")),
             qPrintable(currentEnvironment->messages.last()));
    QVERIFY(leftOutOffered());

    QString label;
    QStringList urls;
    test::whileModal([this] { part<QAction>("m_leftOutAction")->trigger(); },
                     [&](QDialog* dialog) {
                       auto* shown = test::part<QLabel>(dialog, "m_returnLinksLabel");
                       label = shown->isVisible() ? shown->text() : QString();
                       const QAbstractItemModel* model =
                           test::part<QListView>(dialog, "m_returnLinksView")->model();
                       for (int row = 0; row < model->rowCount(); ++row)
                         urls << model->index(row, 0).data().toString();
                       test::part<QPushButton>(dialog, "m_okButton")->click();
                     });
    QCOMPARE(label, QStringLiteral("Jazykové verzie bez spätného odkazu: 1"));
    QCOMPARE(urls, QStringList{QStringLiteral("http://s/en&.htm")});

    scan(site, QStringLiteral("http://s/"));
    QVERIFY2(!leftOutOffered(), "a scan forgets the last write's list");
  }

  void scanEndedByAnUnreadableRobotsTxtOffersNoList() {
    GeneratorSettings& settings = currentEnvironment->app.context().settings;
    const struct Defaults {
      GeneratorSettings& settings;
      ~Defaults() { settings = GeneratorSettings{}; }
    } defaults{settings};
    test::TempDir site;
    site.writeFile("a.htm");
    site.makeDir("robots.txt");
    settings.excludePatterns = "a.htm";
    scan(site);
    QVERIFY(leftOutOffered());
    settings.obeyRobots = true;
    scan(site);
    QCOMPARE(currentEnvironment->messages.last(),
             QStringLiteral("V programe došlo k nečakanej chybe."));
    const std::string log = test::readFile(currentEnvironment->settings / "error.log");
    QVERIFY2(log.find(" : EInOutError - Cannot read \"" + site.path() +
                      "robots.txt\": Is a directory\r\n") != std::string::npos,
             log.c_str());
    QVERIFY(!leftOutOffered());
    QCOMPARE(m_form->pages().size(), 1u);
  }

  void designedLayoutAtTheMinimumSize() {
    QCOMPARE(m_form->size(), QSize(630, 460));
    QCOMPARE(m_form->minimumSize(), QSize(630, 460));
    QCOMPARE(part<QTreeView>("m_pageListView")->geometry(), QRect(7, 126, 610, 281));
    QCOMPARE(part<QPushButton>("m_scanButton")->geometry(), QRect(301, 73, 148, 25));
    QCOMPARE(part<QPushButton>("m_generateButton")->geometry(), QRect(462, 73, 148, 25));
    QCOMPARE(part<QLineEdit>("m_folderEdit")->geometry(), QRect(7, 35, 274, 21));
    QCOMPARE(part<QLineEdit>("m_urlEdit")->geometry(), QRect(7, 77, 274, 21));
    QCOMPARE(part<QFrame>("m_topLine")->geometry(), QRect(0, 0, 630, 2));
    QHeaderView* header = part<QTreeView>("m_pageListView")->header();
    for (int column = 1; column < 5; ++column) QCOMPARE(header->sectionSize(column), 80);
    QCOMPARE(header->sectionSize(0),
             part<QTreeView>("m_pageListView")->viewport()->width() - 4 * 80);
  }

  void layoutFollowsTheWindowAndStopsAtTheMinimum() {
    m_form->resize(800, 600);
    QTRY_COMPARE(m_form->size(), QSize(800, 600));
    QCOMPARE(part<QTreeView>("m_pageListView")->size(), QSize(780, 421));
    QCOMPARE(part<QPushButton>("m_generateButton")->x(), 780 - 148);
    QCOMPARE(part<QFrame>("m_topLine")->width(), 800);
    QCOMPARE(part<QTreeView>("m_pageListView")->header()->sectionSize(0),
             part<QTreeView>("m_pageListView")->viewport()->width() - 4 * 80);
    m_form->resize(500, 300);
    QTRY_COMPARE(m_form->size(), QSize(630, 460));
    QCOMPARE(part<QTreeView>("m_pageListView")->size(), QSize(610, 281));
  }

  void buttonsFollowTheFolderText() {
    QSignalSpy changes(part<QLineEdit>("m_folderEdit"), &QLineEdit::textChanged);
    part<QLineEdit>("m_folderEdit")->setText(QStringLiteral("/"));
    QCOMPARE(changes.count(), 0);
    part<QLineEdit>("m_folderEdit")->setFocus();
    QTest::keyClick(part<QLineEdit>("m_folderEdit"), Qt::Key_End);
    QTest::keyClick(part<QLineEdit>("m_folderEdit"), Qt::Key_Backspace);
    QVERIFY(!part<QPushButton>("m_scanButton")->isEnabled());
    QVERIFY(!part<QPushButton>("m_generateButton")->isEnabled());
    QTest::keyClick(part<QLineEdit>("m_folderEdit"), Qt::Key_Q);
    QVERIFY(part<QPushButton>("m_scanButton")->isEnabled());
    QVERIFY(part<QPushButton>("m_generateButton")->isEnabled());
    part<QLineEdit>("m_urlEdit")->clear();
    QVERIFY(part<QPushButton>("m_scanButton")->isEnabled());
  }

  void browseButtonPutsTheChosenFolderInTheBox() {
    currentEnvironment->chosenFolder = QStringLiteral("/srv/www");
    part<QAction>("m_browseAction")->trigger();
    QCOMPARE(part<QLineEdit>("m_folderEdit")->text(), QStringLiteral("/srv/www"));
    currentEnvironment->chosenFolder.clear();
    part<QAction>("m_browseAction")->trigger();
    QCOMPARE(part<QLineEdit>("m_folderEdit")->text(), QStringLiteral("/srv/www"));
  }

  void folderChooserOpensAtHomeWhateverTheBoxHolds() {
    for (const QString& folder : {QStringLiteral("/srv/www"), QStringLiteral("/")}) {
      part<QLineEdit>("m_folderEdit")->setText(folder);
      part<QAction>("m_browseAction")->trigger();
    }
    QCOMPARE(currentEnvironment->chooserFolders, QStringList(2, QDir::homePath()));
  }

  void scanThenTickThenGenerate() {
    auto site = makeSite(4);
    scan(*site);
    QAbstractItemModel* model = part<QTreeView>("m_pageListView")->model();
    QCOMPARE(model->rowCount(), 5);
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("http://s/"));
    QCOMPARE(model->index(0, 3).data().toString(), QStringLiteral("daily"));
    for (int row = 0; row < 5; ++row) {
      QCOMPARE(model->index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(),
               Qt::Unchecked);
      QCOMPARE(model->index(row, 2).data(Qt::ForegroundRole).value<QBrush>().color(),
               QColor(0, 0, 0));
    }
    QVERIFY(currentEnvironment->messages.isEmpty());

    part<QAction>("m_includeAllAction")->trigger();
    QCOMPARE(model->index(3, 1).data(Qt::ForegroundRole).value<QBrush>().color(),
             QColor(255, 0, 0));
    QTest::mouseClick(part<QPushButton>("m_generateButton"), Qt::LeftButton);
    const std::string written = test::readFile(*site / "sitemap.xml");
    // The root row carries changefreq and priority, the file rows neither.
    QCOMPARE(std::count(written.begin(), written.end(), '\n'), 3 + 6 + 4 * 4);
    QCOMPARE(currentEnvironment->messages.size(), 1);
    QCOMPARE(
        currentEnvironment->messages[0],
        QStringLiteral(
            "Tessaly vytvorená do súboru:\n%1sitemap.xml\n\nVeľkosť súboru: %2 B\n\nPočet Url: 5")
            .arg(QString::fromStdString(site->path()))
            .arg(written.size()));
  }

  void ticksAndColours() {
    for (const char* url : {"a", "b", "c", "d"})
      m_form->pages().add(url, "1.1.2006", "1:00:00", "none", "none");
    QAbstractItemModel* model = part<QTreeView>("m_pageListView")->model();
    QTRY_COMPARE(model->rowCount(), 4);
    QVERIFY(model->setData(model->index(0, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(model->setData(model->index(2, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(m_form->pages().at(0).included);
    QCOMPARE(model->index(0, 4).data(Qt::ForegroundRole).value<QBrush>().color(),
             QColor(255, 0, 0));
    part<QAction>("m_contextInvertIncludedAction")->trigger();
    QCOMPARE(model->index(1, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QCOMPARE(model->index(0, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    part<QAction>("m_invertIncludedAction")->trigger();
    QVERIFY(m_form->pages().at(0).included);
    QVERIFY(!m_form->pages().at(1).included);
    part<QAction>("m_contextExcludeAllAction")->trigger();
    for (const PageEntry& row : m_form->pages()) QVERIFY(!row.included);
    QCOMPARE(model->index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 0, 0));
  }

  void tickCommandsOnAnEmptyListDoNothing() {
    part<QAction>("m_contextIncludeAllAction")->trigger();
    part<QAction>("m_invertIncludedAction")->trigger();
    QCOMPARE(m_form->pages().size(), 0u);
    QVERIFY(currentEnvironment->messages.isEmpty());
  }

  void overlongUrlsAreReportedAfterTheScan() {
    auto site = makeSite(2);
    scan(*site, QStringLiteral("http://s/") + QString(2100, QLatin1Char('u')));
    QCOMPARE(currentEnvironment->messages,
             QStringList{QStringLiteral("2 Url presiahlo max. povolenú dĺžku 2048 znakov.")});
  }

  void secondScanGenerateAndNewProjectAreRefusedWhileAScanRuns() {
    auto site = makeSite(6);
    std::function<void()> letEventsRun = m_form->scanner().onFileDone;
    bool tried = false;
    bool busy = false;
    m_form->scanner().onFileDone = [&] {
      if (!tried) {
        tried = true;
        busy = QGuiApplication::overrideCursor() &&
               QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        part<QPushButton>("m_scanButton")->click();
        part<QPushButton>("m_generateButton")->click();
        part<QAction>("m_newProjectAction")->trigger();
      }
      letEventsRun();
    };
    scan(*site);
    QVERIFY(tried);
    QVERIFY(busy);
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(m_form->pages().size(), 7u);
    QVERIFY(!test::fileExists(*site / "sitemap.xml"));
    QCOMPARE(part<QLineEdit>("m_folderEdit")->text(), QString::fromStdString(site->path()));
  }

  void listGrowsWhileAScanRuns() {
    auto site = makeSite(40);
    std::function<void()> letEventsRun = m_form->scanner().onFileDone;
    bool shownMidway = false;
    m_form->scanner().onFileDone = [&] {
      QTest::qSleep(10);  // a slow disk
      letEventsRun();
      const int shown = part<QTreeView>("m_pageListView")->model()->rowCount();
      shownMidway |= shown > 1 && shown < 41;
    };
    scan(*site);
    QVERIFY(shownMidway);
    QCOMPARE(part<QTreeView>("m_pageListView")->model()->rowCount(), 41);
  }

  void closingDuringAScanStopsItAndSavesThePlacement() {
    auto site = makeSite(20);
    std::function<void()> letEventsRun = m_form->scanner().onFileDone;
    m_form->scanner().onFileDone = [&] {
      if (m_form->isVisible()) m_form->close();
      letEventsRun();
    };
    scan(*site);
    QCOMPARE(m_form->pages().size(), 2u);
    QVERIFY(!m_form->scanner().isRunning());
    QVERIFY(test::fileExists(currentEnvironment->settings / "qorv.ini"));
  }

  void unexpectedErrorsAreLoggedAndShownAndTheProgramGoesOn() {
    auto site = makeSite(2);
    currentEnvironment->app.context().settings.fileMask = ";*.htm";
    scan(*site);
    currentEnvironment->app.context().settings.fileMask = "*.htm;*.html";
    QCOMPARE(currentEnvironment->messages,
             QStringList{QStringLiteral("V programe došlo k nečakanej chybe.")});
    const std::string log = test::readFile(currentEnvironment->settings / "error.log");
    QVERIFY2(log.find(" : EWildcardError - Search string cannot be blank\r\n") != std::string::npos,
             log.c_str());
    QCOMPARE(std::count(log.begin(), log.end(), '\n'), 1);
    QCOMPARE(m_form->pages().size(), 1u);

    scan(*site);
    QCOMPARE(m_form->pages().size(), 3u);
    QCOMPARE(currentEnvironment->messages.size(), 1);
  }

#ifdef QORV_FAULT_POINTS
  void aFolderThatCannotBeListedEndsTheScanKeepingItsRows() {
    test::TempDir site;
    site.writeFile("top.htm");
    site.writeFile("sub/inner.htm");
    {
      // The sub-folder's listing fails, whichever thread lists it.
      const FaultScope fault("fdopendir", site.path() + "sub", EIO);
      scan(site);
    }
    QCOMPARE(currentEnvironment->messages,
             QStringList{QStringLiteral("V programe došlo k nečakanej chybe.")});
    const std::string log = test::readFile(currentEnvironment->settings / "error.log");
    const std::string expected = " : EInOutError - Cannot list the folder \"" + site.path() +
                                 "sub/\": Input/output error\r\n";
    QVERIFY2(log.find(expected) != std::string::npos, log.c_str());
    QCOMPARE(m_form->pages().size(), 2u);
    QCOMPARE(QString::fromStdString(m_form->pages().at(1).url), QStringLiteral("http://s/top.htm"));
    QVERIFY(!m_form->scanner().isRunning());
  }
#endif

  void editCommandWithoutASelectedRowSaysSo() {
    part<QTreeView>("m_pageListView")->setFocus();
    QTest::keyClick(m_form, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(currentEnvironment->messages, QStringList{QStringLiteral("Nie je vybraná stránka.")});
  }

  void smallStoredSizeIsCentredAtTheSizeTheWindowTakes() {
    cleanup();
    currentEnvironment->settings.writeFile("qorv.ini", "[Window]\r\nWidth=100\r\nHeight=90\r\n");
    createWindow();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(m_form->size(), QSize(630, 460));
    QCOMPARE(m_form->pos(), QPoint((screen.width() - 630) / 2, (screen.height() - 460) / 2));
  }

  void placementIsRestoredAndSaved() {
    cleanup();
    test::TempDir& settings = currentEnvironment->settings;
    settings.writeFile("qorv.ini", "[Window]\r\nWidth=800\r\nLeft=10\r\nTop=20\r\n");
    createWindow();
    QCOMPARE(m_form->size(), QSize(800, 460));
    QCOMPARE(m_form->pos(), QPoint(10, 20));
    m_form->show();
    m_form->resize(700, 500);
    part<QAction>("m_exitAction")->trigger();
    QVERIFY(!m_form->isVisible());
    QCOMPARE(test::readFile(settings / "qorv.ini"),
             std::string("[Window]\r\nWidth=700\r\nLeft=") + std::to_string(m_form->x()) +
                 "\r\nTop=" + std::to_string(m_form->y()) + "\r\nMaximized=0\r\nHeight=500\r\n");
  }

  void closingStillWorksWhenThePlacementCannotBeSaved() {
    test::TempDir& settings = currentEnvironment->settings;
    settings.makeDir("qorv.ini");
    m_form->close();
    QVERIFY(!m_form->isVisible());
    QCOMPARE(currentEnvironment->messages,
             QStringList{QStringLiteral("V programe došlo k nečakanej chybe.")});
    QVERIFY(test::readFile(settings / "error.log").find("EIniFileException - Unable to write to") !=
            std::string::npos);
    std::filesystem::remove(settings / "qorv.ini");
  }

  void newRowsFollowALocaleChange() {
    auto site = makeSite(1);
    scan(*site);
    QVERIFY(m_form->pages().at(0).dateText.find('.') != std::string::npos);
    currentEnvironment->formats.shortDateFormat = "yyyy/MM/dd";
    currentEnvironment->formats.dateSeparator = "-";
    QEvent change(QEvent::LocaleChange);
    QCoreApplication::sendEvent(m_form, &change);
    scan(*site);
    QCOMPARE(m_form->pages().at(0).dateText.size(), 10u);
    QCOMPARE(m_form->pages().at(0).dateText[4], '-');
  }

  void projectCommands() {
    currentEnvironment->chosenFile =
        QString::fromStdString(currentEnvironment->settings / "site.prj");
    part<QLineEdit>("m_folderEdit")->setText(QStringLiteral("/srv/site"));
    part<QLineEdit>("m_urlEdit")->setText(QStringLiteral("https://example.com/"));
    part<QAction>("m_saveProjectAction")->trigger();
    QCOMPARE(currentEnvironment->dialogFolders.last(),
             QString::fromStdString(currentEnvironment->settings.path()));
    m_form->pages().add("x", "1.1.2006", "1:00:00", "none", "none");
    part<QAction>("m_newProjectAction")->trigger();
    QCOMPARE(part<QLineEdit>("m_folderEdit")->text(), QStringLiteral("/"));
    QCOMPARE(part<QLineEdit>("m_urlEdit")->text(), QStringLiteral("http://"));
    QCOMPARE(m_form->pages().size(), 0u);
    QCOMPARE(part<QTreeView>("m_pageListView")->model()->rowCount(), 0);
    m_form->pages().add("kept", "1.1.2006", "1:00:00", "none", "none");
    part<QAction>("m_openProjectAction")->trigger();
    QCOMPARE(part<QLineEdit>("m_folderEdit")->text(), QStringLiteral("/srv/site"));
    QCOMPARE(part<QLineEdit>("m_urlEdit")->text(), QStringLiteral("https://example.com/"));
    QCOMPARE(m_form->pages().size(), 1u);
    currentEnvironment->chosenFile.clear();
    part<QLineEdit>("m_folderEdit")->setText(QStringLiteral("/other"));
    part<QAction>("m_openProjectAction")->trigger();
    QCOMPARE(part<QLineEdit>("m_folderEdit")->text(), QStringLiteral("/other"));
  }

  void projectValuesShowInTheSettingsDialogAtOnce() {
    test::TempDir dir;
    dir.writeFile("p.prj",
                  "[Project]\r\nFileMask=*.php\r\nSetChangefreq1=12\r\nSetPriority2=9\r\n"
                  "SetTimeShort=0\r\nTagIndent=1\r\n");
    currentEnvironment->chosenFile = QString::fromStdString(dir / "p.prj");
    auto* settingsDialog = m_form->findChild<SettingsDialog*>();
    QVERIFY(settingsDialog);
    part<QAction>("m_openProjectAction")->trigger();
    QCOMPARE(test::part<QLineEdit>(settingsDialog, "m_fileMaskEdit")->text(),
             QStringLiteral("*.php"));
    auto* rootChangefreq = test::part<VocabularyBox>(settingsDialog, "m_rootChangefreqBox");
    QCOMPARE(rootChangefreq->currentText(), QString());
    QCOMPARE(rootChangefreq->currentIndex(), -1);
    QCOMPARE(test::part<VocabularyBox>(settingsDialog, "m_otherPriorityBox")->currentText(),
             QStringLiteral("0.8"));
    QVERIFY(test::part<QRadioButton>(settingsDialog, "m_longLastmodRadio")->isChecked());
    QVERIFY(test::part<QCheckBox>(settingsDialog, "m_compactCheckBox")->isChecked());
    part<QAction>("m_newProjectAction")->trigger();
    QCOMPARE(rootChangefreq->currentText(), QStringLiteral("daily"));
    QVERIFY(test::part<QRadioButton>(settingsDialog, "m_shortLastmodRadio")->isChecked());
    QVERIFY(test::part<QCheckBox>(settingsDialog, "m_compactCheckBox")->isChecked());
    currentEnvironment->app.context().settings = GeneratorSettings{};
    currentEnvironment->chosenFile.clear();
  }

  void typedZoneReachesTheLongLastmod() {
    test::TempDir site;
    site.writeFile("a.htm");
    auto* settingsDialog = m_form->findChild<SettingsDialog*>();
    QVERIFY(settingsDialog);
    auto* zone = test::part<VocabularyBox>(settingsDialog, "m_timeZoneBox");
    zone->setFocus();
    zone->lineEdit()->clear();
    QTest::keyClicks(zone->lineEdit(), QStringLiteral("+05:30"));
    test::part<QRadioButton>(settingsDialog, "m_longLastmodRadio")->click();
    scan(site);
    part<QAction>("m_contextIncludeAllAction")->trigger();
    part<QPushButton>("m_generateButton")->click();
    const std::string written = test::readFile(site / "sitemap.xml");
    currentEnvironment->app.context().settings = GeneratorSettings{};
    QVERIFY2(written.find("+05:30</lastmod>") != std::string::npos, written.c_str());
  }

  void ctrlEEditsTheSelectedRow() {
    m_form->pages().add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    auto* model = qobject_cast<PageListModel*>(part<QTreeView>("m_pageListView")->model());
    model->flush();
    part<QTreeView>("m_pageListView")->setCurrentIndex(model->index(0, 0));
    QString editedUrl;
    test::whileModal([this] { QTest::keyClick(m_form, Qt::Key_E, Qt::ControlModifier); },
                     [&](QDialog* dialog) {
                       editedUrl = test::part<QLineEdit>(dialog, "m_urlEdit")->text();
                       test::part<QTimeEdit>(dialog, "m_timeEdit")->setTime(QTime(23, 4, 5));
                       QTest::keyClick(dialog, Qt::Key_Return);
                     });
    QCOMPARE(editedUrl, QStringLiteral("http://s/"));
    QCOMPARE(m_form->pages().at(0).timeText, std::string("23:04:05"));
    QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("23:04:05"));
  }

  void doubleClickOnTheList_data() {
    QTest::addColumn<int>("selectedRow");  // -1: none
    QTest::addColumn<bool>("onARow");
    QTest::addColumn<QString>("editedUrl");  // empty: the message, no dialog
    QTest::newRow("on a row") << -1 << true << "http://s/b.htm";
    QTest::newRow("below the rows, none selected") << -1 << false << "";
    QTest::newRow("below the rows, one selected") << 0 << false << "http://s/";
  }

  void doubleClickOnTheList() {
    QFETCH(int, selectedRow);
    QFETCH(bool, onARow);
    QFETCH(QString, editedUrl);
    m_form->pages().add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    m_form->pages().add("http://s/b.htm", "5.3.2006", "9:05:06", "none", "none");
    auto* view = part<QTreeView>("m_pageListView");
    auto* model = qobject_cast<PageListModel*>(view->model());
    model->flush();
    if (selectedRow >= 0) view->setCurrentIndex(model->index(selectedRow, 0));
    const QPoint at = onARow
                          ? view->visualRect(model->index(1, 1)).center()
                          : QPoint(view->viewport()->width() / 2, view->viewport()->height() - 5);
    QVERIFY(!view->indexAt(at).isValid() || onARow);
    QString shownUrl;
    // Through the window, as the window system delivers it: press, release,
    // press and double click, release.
    test::whileModal(
        [&] {
          QTest::mouseDClick(m_form->windowHandle(), Qt::LeftButton, {},
                             view->viewport()->mapTo(m_form, at));
        },
        [&](QDialog* dialog) { shownUrl = test::part<QLineEdit>(dialog, "m_urlEdit")->text(); });
    QCoreApplication::processEvents();  // the modal check's timer, when no dialog opened
    QCOMPARE(shownUrl, editedUrl);
    QCOMPARE(currentEnvironment->messages,
             editedUrl.isEmpty() ? QStringList{QStringLiteral("Nie je vybraná stránka.")}
                                 : QStringList());
  }

  void ctrlEEditsFromEveryPartOfTheWindow_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("rowSelected");
    for (const char* focus :
         {"m_folderEdit", "m_urlEdit", "m_scanButton", "m_generateButton", "m_pageListView"}) {
      QTest::addRow("%s, a row selected", focus) << QString::fromLatin1(focus) << true;
      QTest::addRow("%s, none selected", focus) << QString::fromLatin1(focus) << false;
    }
  }

  void ctrlEEditsFromEveryPartOfTheWindow() {
    QFETCH(QString, focus);
    QFETCH(bool, rowSelected);
    m_form->pages().add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    auto* view = part<QTreeView>("m_pageListView");
    qobject_cast<PageListModel*>(view->model())->flush();
    if (rowSelected) view->setCurrentIndex(view->model()->index(0, 0));
    auto* control = part<QWidget>(qPrintable(focus));
    QVERIFY(test::focusInActiveWindow(control));
    const QString textBefore =
        qobject_cast<QLineEdit*>(control) ? qobject_cast<QLineEdit*>(control)->text() : QString();
    QString shownUrl;
    test::whileModal(
        [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::ControlModifier); },
        [&](QDialog* dialog) { shownUrl = test::part<QLineEdit>(dialog, "m_urlEdit")->text(); });
    QCoreApplication::processEvents();  // the modal check's timer, when no dialog opened
    QCOMPARE(shownUrl, rowSelected ? QStringLiteral("http://s/") : QString());
    QCOMPARE(currentEnvironment->messages,
             rowSelected ? QStringList() : QStringList{QStringLiteral("Nie je vybraná stránka.")});
    if (auto* edit = qobject_cast<QLineEdit*>(control)) QCOMPARE(edit->text(), textBefore);
  }

  void menuShortcutsWinInTheTextBoxes() {
    for (const char* box : {"m_folderEdit", "m_urlEdit"}) {
      for (const char* name : {"m_newProjectAction", "m_openProjectAction", "m_saveProjectAction",
                               "m_editPageAction"}) {
        auto* action = part<QAction>(name);
        QSignalSpy triggered(action, &QAction::triggered);
        QVERIFY(test::focusInActiveWindow(part<QLineEdit>(box)));
        QTest::keySequence(QApplication::focusWidget(), action->shortcut());
        QVERIFY2(triggered.count() == 1, name);
      }
    }
    currentEnvironment->messages.clear();
    currentEnvironment->dialogFolders.clear();
  }

  void rowWhoseTextsDoNotReadBackIsNotEdited() {
    m_form->pages().add("http://s/", "2006-03-05", "9:05:06", "daily", "0.5");
    auto* model = qobject_cast<PageListModel*>(part<QTreeView>("m_pageListView")->model());
    model->flush();
    part<QTreeView>("m_pageListView")->setCurrentIndex(model->index(0, 0));
    QVERIFY(m_form->selectedRow());
    part<QAction>("m_editPageAction")->trigger();
    QCOMPARE(currentEnvironment->messages, QStringList{QStringLiteral("Nie je vybraná stránka.")});
    QVERIFY(!m_form->findChild<PageEditDialog*>()->isVisible());
  }
};

QORV_UI_TEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
