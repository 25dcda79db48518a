// The main window as a user meets it: controls, the button and layout
// rules, the tick commands, scan and generate through the buttons, and
// what happens while a scan runs.

#include <QAction>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeView>
#include <filesystem>

#include "core/sitescan.h"
#include "tests/ui/uitestsupport.h"
#include "ui/Unit1.h"
#include "ui/pagelistmodel.h"
#include "ui/qorvshell.h"

using namespace qorv;
using test::currentEnvironment;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  MainWindow* form = nullptr;

  /// A site of `files` pages in two folders, under a fresh temporary folder.
  std::unique_ptr<test::TempDir> makeSite(int files) {
    auto site = std::make_unique<test::TempDir>();
    for (int i = 0; i < files; ++i)
      site->writeFile((i % 2 ? "a/" : "b/") + std::to_string(i) + ".htm");
    site->writeFile("style.css");
    return site;
  }

  void scan(const test::TempDir& site, const QString& url = QStringLiteral("http://s")) {
    form->m_folderEdit->setText(QString::fromStdString(site.path()));
    form->m_urlEdit->setText(url);
    QTest::mouseClick(form->m_scanButton, Qt::LeftButton);
  }

  QList<QWidget*> tabOrder() const {
    QList<QWidget*> order;
    QWidget* w = form->m_folderEdit;
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
    currentEnvironment->formats = test::dayFirstFormats();
    std::remove((currentEnvironment->settings / "qorv.ini").c_str());
    std::remove((currentEnvironment->settings / "error.log").c_str());
    createWindows(currentEnvironment->app);
    form = Form1;
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
  }

  void cleanup() {
    form->hide();
    destroyWindows();
    form = nullptr;
  }

  void startUpState() {
    QCOMPARE(form->windowTitle(), QStringLiteral("Quorvex 1.0203"));
    QCOMPARE(form->m_folderLabel->text(), QStringLiteral("Lokálny adresár webu"));
    QCOMPARE(form->m_urlLabel->text(), QStringLiteral("Url webu"));
    QCOMPARE(form->m_pageListLabel->text(), QStringLiteral("Mapa webu"));
    QCOMPARE(form->m_folderEdit->text(), QStringLiteral("/"));
    QVERIFY(form->m_folderEdit->hasFocus());
    QCOMPARE(form->m_urlEdit->text(), QStringLiteral("http://"));
    QCOMPARE(form->m_scanButton->text(), QStringLiteral("Zobraziť mapu webu"));
    QCOMPARE(form->m_generateButton->text(), QStringLiteral("Generovať Tessaly"));
    QVERIFY(form->m_scanButton->isEnabled());
    QVERIFY(form->m_generateButton->isEnabled());
    QCOMPARE(form->m_folderEdit->toolTip(), QStringLiteral("Určenie lokálneho adresára webu"));
    QCOMPARE(form->m_urlEdit->toolTip(),
             QStringLiteral("URL webu, ktorou budú v mape webu nahradené lokálne zložky"));
    QCOMPARE(form->m_scanButton->toolTip(),
             QStringLiteral("Zobrazenie mapy webu, z ktorej bude generovaný SITEMAP.XML"));
    QCOMPARE(form->m_generateButton->toolTip(),
             QStringLiteral("Vygenerovanie súboru SITEMAP.XML pre službu Tessaly"));
    QVERIFY(form->m_pageListView->toolTip().isEmpty());
    QCOMPARE(form->m_pageListView->model()->rowCount(), 0);
    const QStringList headers{QStringLiteral("Url"), QStringLiteral("Dátum"), QStringLiteral("Čas"),
                              QStringLiteral("Changefreq"), QStringLiteral("Priority")};
    for (int i = 0; i < headers.size(); ++i)
      QCOMPARE(form->m_pageListView->model()->headerData(i, Qt::Horizontal).toString(), headers[i]);
    QCOMPARE(tabOrder(), (QList<QWidget*>{form->m_folderEdit, form->m_urlEdit, form->m_scanButton,
                                          form->m_generateButton, form->m_pageListView}));
  }

  void menusWithTheirAccessKeysAndShortcuts() {
    const QList<QAction*> menus = form->menuBar()->actions();
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
    QCOMPARE(items(form->m_projectMenu),
             (QStringList{QStringLiteral("&Nový|Ctrl+N"), QStringLiteral("&Otvoriť...|Ctrl+O"),
                          QStringLiteral("-"), QStringLiteral("&Uložiť...|Ctrl+S"),
                          QStringLiteral("-"), QStringLiteral("&Koniec|Alt+F4")}));
    QCOMPARE(items(form->m_pageMenu),
             (QStringList{QStringLiteral("&Vybrať všetky|"), QStringLiteral("&Invertovať výber|"),
                          QStringLiteral("&Zrušiť výber|"), QStringLiteral("-"),
                          QStringLiteral("&Editovať...|Ctrl+E")}));
    QCOMPARE(items(form->m_settingsMenu), QStringList{QStringLiteral("&Nastavenie...|")});
    QCOMPARE(items(form->m_helpMenu), QStringList{QStringLiteral("&O programe...|")});
    QCOMPARE(items(form->m_pageContextMenu),
             (QStringList{QStringLiteral("Vybrať všetky|"), QStringLiteral("Invertovať výber|"),
                          QStringLiteral("Zrušiť výber|"), QStringLiteral("-"),
                          QStringLiteral("Editovať|Ctrl+E")}));
  }

  void designedLayoutAtTheMinimumSize() {
    QCOMPARE(form->size(), QSize(630, 460));
    QCOMPARE(form->minimumSize(), QSize(630, 460));
    QCOMPARE(form->m_pageListView->geometry(), QRect(7, 126, 610, 281));
    QCOMPARE(form->m_scanButton->geometry(), QRect(301, 73, 148, 25));
    QCOMPARE(form->m_generateButton->geometry(), QRect(462, 73, 148, 25));
    QCOMPARE(form->m_folderEdit->geometry(), QRect(7, 35, 274, 21));
    QCOMPARE(form->m_urlEdit->geometry(), QRect(7, 77, 274, 21));
    QCOMPARE(form->m_topLine->geometry(), QRect(0, 0, 630, 2));
    QHeaderView* header = form->m_pageListView->header();
    for (int column = 1; column < 5; ++column) QCOMPARE(header->sectionSize(column), 80);
    QCOMPARE(header->sectionSize(0), form->m_pageListView->viewport()->width() - 4 * 80);
  }

  void layoutFollowsTheWindowAndStopsAtTheMinimum() {
    form->resize(800, 600);
    QTRY_COMPARE(form->size(), QSize(800, 600));
    QCOMPARE(form->m_pageListView->size(), QSize(780, 421));
    QCOMPARE(form->m_generateButton->x(), 780 - 148);
    QCOMPARE(form->m_topLine->width(), 800);
    QCOMPARE(form->m_pageListView->header()->sectionSize(0),
             form->m_pageListView->viewport()->width() - 4 * 80);
    form->resize(500, 300);
    QTRY_COMPARE(form->size(), QSize(630, 460));
    QCOMPARE(form->m_pageListView->size(), QSize(610, 281));
  }

  void buttonsFollowTheFolderText() {
    QSignalSpy changes(form->m_folderEdit, &QLineEdit::textChanged);
    form->m_folderEdit->setText(QStringLiteral("/"));
    QCOMPARE(changes.count(), 0);
    form->m_folderEdit->setFocus();
    QTest::keyClick(form->m_folderEdit, Qt::Key_End);
    QTest::keyClick(form->m_folderEdit, Qt::Key_Backspace);
    QVERIFY(!form->m_scanButton->isEnabled());
    QVERIFY(!form->m_generateButton->isEnabled());
    QTest::keyClick(form->m_folderEdit, Qt::Key_Q);
    QVERIFY(form->m_scanButton->isEnabled());
    QVERIFY(form->m_generateButton->isEnabled());
    form->m_urlEdit->clear();
    QVERIFY(form->m_scanButton->isEnabled());
  }

  void browseButtonPutsTheChosenFolderInTheBox() {
    currentEnvironment->chosenFolder = QStringLiteral("/srv/www");
    form->m_browseAction->trigger();
    QCOMPARE(form->m_folderEdit->text(), QStringLiteral("/srv/www"));
    currentEnvironment->chosenFolder.clear();
    form->m_browseAction->trigger();
    QCOMPARE(form->m_folderEdit->text(), QStringLiteral("/srv/www"));
  }

  void scanThenTickThenGenerate() {
    auto site = makeSite(4);
    scan(*site);
    QAbstractItemModel* model = form->m_pageListView->model();
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

    form->m_includeAllAction->trigger();
    QCOMPARE(model->index(3, 1).data(Qt::ForegroundRole).value<QBrush>().color(),
             QColor(255, 0, 0));
    QTest::mouseClick(form->m_generateButton, Qt::LeftButton);
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
      form->pages().add(url, "1.1.2006", "1:00:00", "none", "none");
    QAbstractItemModel* model = form->m_pageListView->model();
    QTRY_COMPARE(model->rowCount(), 4);
    QVERIFY(model->setData(model->index(0, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(model->setData(model->index(2, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(form->pages().at(0).included);
    QCOMPARE(model->index(0, 4).data(Qt::ForegroundRole).value<QBrush>().color(),
             QColor(255, 0, 0));
    form->m_contextInvertIncludedAction->trigger();
    QCOMPARE(model->index(1, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QCOMPARE(model->index(0, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    form->m_invertIncludedAction->trigger();
    QVERIFY(form->pages().at(0).included);
    QVERIFY(!form->pages().at(1).included);
    form->m_contextExcludeAllAction->trigger();
    for (const PageEntry& row : form->pages()) QVERIFY(!row.included);
    QCOMPARE(model->index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 0, 0));
  }

  void tickCommandsOnAnEmptyListDoNothing() {
    form->m_contextIncludeAllAction->trigger();
    form->m_invertIncludedAction->trigger();
    QCOMPARE(form->pages().size(), 0u);
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
    std::function<void()> letEventsRun = form->scanner().onFileDone;
    bool tried = false;
    bool busy = false;
    form->scanner().onFileDone = [&] {
      if (!tried) {
        tried = true;
        busy = QGuiApplication::overrideCursor() &&
               QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        form->m_scanButton->click();
        form->m_generateButton->click();
        form->m_newProjectAction->trigger();
      }
      letEventsRun();
    };
    scan(*site);
    QVERIFY(tried);
    QVERIFY(busy);
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(form->pages().size(), 7u);
    QVERIFY(!test::fileExists(*site / "sitemap.xml"));
    QCOMPARE(form->m_folderEdit->text(), QString::fromStdString(site->path()));
  }

  void listGrowsWhileAScanRuns() {
    auto site = makeSite(40);
    std::function<void()> letEventsRun = form->scanner().onFileDone;
    bool shownMidway = false;
    form->scanner().onFileDone = [&] {
      QTest::qSleep(10);  // a slow disk
      letEventsRun();
      const int shown = form->m_pageListView->model()->rowCount();
      shownMidway |= shown > 1 && shown < 41;
    };
    scan(*site);
    QVERIFY(shownMidway);
    QCOMPARE(form->m_pageListView->model()->rowCount(), 41);
  }

  void closingDuringAScanStopsItAndSavesThePlacement() {
    auto site = makeSite(20);
    std::function<void()> letEventsRun = form->scanner().onFileDone;
    form->scanner().onFileDone = [&] {
      if (form->isVisible()) form->close();
      letEventsRun();
    };
    scan(*site);
    QCOMPARE(form->pages().size(), 2u);
    QVERIFY(!form->scanner().isRunning());
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
    QCOMPARE(form->pages().size(), 1u);

    scan(*site);
    QCOMPARE(form->pages().size(), 3u);
    QCOMPARE(currentEnvironment->messages.size(), 1);
  }

  void editCommandWithoutASelectedRowSaysSo() {
    form->m_pageListView->setFocus();
    QTest::keyClick(form, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(currentEnvironment->messages, QStringList{QStringLiteral("Nie je vybraná stránka.")});
  }

  void placementIsRestoredAndSaved() {
    cleanup();
    test::TempDir& settings = currentEnvironment->settings;
    settings.writeFile("qorv.ini", "[Window]\r\nWidth=800\r\nLeft=10\r\nTop=20\r\n");
    createWindows(currentEnvironment->app);
    form = Form1;
    QCOMPARE(form->size(), QSize(800, 460));
    QCOMPARE(form->pos(), QPoint(10, 20));
    form->show();
    form->resize(700, 500);
    form->exitProgram();
    QVERIFY(!form->isVisible());
    QCOMPARE(test::readFile(settings / "qorv.ini"),
             std::string("[Window]\r\nWidth=700\r\nLeft=") + std::to_string(form->x()) +
                 "\r\nTop=" + std::to_string(form->y()) + "\r\nMaximized=0\r\nHeight=500\r\n");
  }

  void closingStillWorksWhenThePlacementCannotBeSaved() {
    test::TempDir& settings = currentEnvironment->settings;
    settings.makeDir("qorv.ini");
    form->close();
    QVERIFY(!form->isVisible());
    QCOMPARE(currentEnvironment->messages,
             QStringList{QStringLiteral("V programe došlo k nečakanej chybe.")});
    QVERIFY(test::readFile(settings / "error.log").find("EIniFileException - Unable to write to") !=
            std::string::npos);
    std::filesystem::remove(settings / "qorv.ini");
  }

  void newRowsFollowALocaleChange() {
    auto site = makeSite(1);
    scan(*site);
    QVERIFY(form->pages().at(0).dateText.find('.') != std::string::npos);
    currentEnvironment->formats.shortDateFormat = "yyyy/MM/dd";
    currentEnvironment->formats.dateSeparator = "-";
    QEvent change(QEvent::LocaleChange);
    QCoreApplication::sendEvent(form, &change);
    scan(*site);
    QCOMPARE(form->pages().at(0).dateText.size(), 10u);
    QCOMPARE(form->pages().at(0).dateText[4], '-');
  }

  void projectCommands() {
    currentEnvironment->chosenFile =
        QString::fromStdString(currentEnvironment->settings / "site.prj");
    form->m_folderEdit->setText(QStringLiteral("/srv/site"));
    form->m_urlEdit->setText(QStringLiteral("https://example.com/"));
    form->m_saveProjectAction->trigger();
    QCOMPARE(currentEnvironment->dialogFolders.last(),
             QString::fromStdString(currentEnvironment->settings.path()));
    form->pages().add("x", "1.1.2006", "1:00:00", "none", "none");
    form->m_newProjectAction->trigger();
    QCOMPARE(form->m_folderEdit->text(), QStringLiteral("/"));
    QCOMPARE(form->m_urlEdit->text(), QStringLiteral("http://"));
    QCOMPARE(form->pages().size(), 0u);
    QCOMPARE(form->m_pageListView->model()->rowCount(), 0);
    form->pages().add("kept", "1.1.2006", "1:00:00", "none", "none");
    form->m_openProjectAction->trigger();
    QCOMPARE(form->m_folderEdit->text(), QStringLiteral("/srv/site"));
    QCOMPARE(form->m_urlEdit->text(), QStringLiteral("https://example.com/"));
    QCOMPARE(form->pages().size(), 1u);
    currentEnvironment->chosenFile.clear();
    form->m_folderEdit->setText(QStringLiteral("/other"));
    form->m_openProjectAction->trigger();
    QCOMPARE(form->m_folderEdit->text(), QStringLiteral("/other"));
  }
};

QORV_UI_TEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
