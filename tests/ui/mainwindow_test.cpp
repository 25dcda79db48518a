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
using test::Environment;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  TForm1* form = nullptr;

  /// A site of `files` pages in two folders, under a fresh temporary folder.
  std::unique_ptr<test::TTempDir> MakeSite(int files) {
    auto site = std::make_unique<test::TTempDir>();
    for (int i = 0; i < files; ++i)
      site->WriteFile((i % 2 ? "a/" : "b/") + std::to_string(i) + ".htm");
    site->WriteFile("style.css");
    return site;
  }

  void Scan(const test::TTempDir& site, const QString& url = QStringLiteral("http://s")) {
    form->BrowseEdit1->setText(QString::fromStdString(site.Path()));
    form->Edit1->setText(url);
    QTest::mouseClick(form->Button1, Qt::LeftButton);
  }

  QList<QWidget*> TabOrder() const {
    QList<QWidget*> order;
    QWidget* w = form->BrowseEdit1;
    for (int i = 0; i < 5; ++i) {
      order << w;
      w = w->nextInFocusChain();
      while (w->focusPolicy() == Qt::NoFocus || !w->isVisible()) w = w->nextInFocusChain();
    }
    return order;
  }

 private slots:
  void init() {
    Environment->Messages.clear();
    Environment->Formats = test::DayFirstFormats();
    std::remove((Environment->Settings / "qorv.ini").c_str());
    std::remove((Environment->Settings / "error.log").c_str());
    CreateWindows(Environment->App);
    form = Form1;
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
  }

  void cleanup() {
    form->hide();
    DestroyWindows();
    form = nullptr;
  }

  void startUpState() {
    QCOMPARE(form->windowTitle(), QStringLiteral("Quorvex 1.0203"));
    QCOMPARE(form->Label1->text(), QStringLiteral("Lokálny adresár webu"));
    QCOMPARE(form->Label2->text(), QStringLiteral("Url webu"));
    QCOMPARE(form->Label3->text(), QStringLiteral("Mapa webu"));
    QCOMPARE(form->BrowseEdit1->text(), QStringLiteral("/"));
    QVERIFY(form->BrowseEdit1->hasFocus());
    QCOMPARE(form->Edit1->text(), QStringLiteral("http://"));
    QCOMPARE(form->Button1->text(), QStringLiteral("Zobraziť mapu webu"));
    QCOMPARE(form->Button2->text(), QStringLiteral("Generovať Tessaly"));
    QVERIFY(form->Button1->isEnabled());
    QVERIFY(form->Button2->isEnabled());
    QCOMPARE(form->BrowseEdit1->toolTip(), QStringLiteral("Určenie lokálneho adresára webu"));
    QCOMPARE(form->Edit1->toolTip(),
             QStringLiteral("URL webu, ktorou budú v mape webu nahradené lokálne zložky"));
    QCOMPARE(form->Button1->toolTip(),
             QStringLiteral("Zobrazenie mapy webu, z ktorej bude generovaný SITEMAP.XML"));
    QCOMPARE(form->Button2->toolTip(),
             QStringLiteral("Vygenerovanie súboru SITEMAP.XML pre službu Tessaly"));
    QVERIFY(form->ListView1->toolTip().isEmpty());
    QCOMPARE(form->ListView1->model()->rowCount(), 0);
    const QStringList headers{QStringLiteral("Url"), QStringLiteral("Dátum"), QStringLiteral("Čas"),
                              QStringLiteral("Changefreq"), QStringLiteral("Priority")};
    for (int i = 0; i < headers.size(); ++i)
      QCOMPARE(form->ListView1->model()->headerData(i, Qt::Horizontal).toString(), headers[i]);
    QCOMPARE(TabOrder(), (QList<QWidget*>{form->BrowseEdit1, form->Edit1, form->Button1,
                                          form->Button2, form->ListView1}));
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
    QCOMPARE(items(form->Prog),
             (QStringList{QStringLiteral("&Nový|Ctrl+N"), QStringLiteral("&Otvoriť...|Ctrl+O"),
                          QStringLiteral("-"), QStringLiteral("&Uložiť...|Ctrl+S"),
                          QStringLiteral("-"), QStringLiteral("&Koniec|Alt+F4")}));
    QCOMPARE(items(form->Vber1),
             (QStringList{QStringLiteral("&Vybrať všetky|"), QStringLiteral("&Invertovať výber|"),
                          QStringLiteral("&Zrušiť výber|"), QStringLiteral("-"),
                          QStringLiteral("&Editovať...|Ctrl+E")}));
    QCOMPARE(items(form->Nastavenie1), QStringList{QStringLiteral("&Nastavenie...|")});
    QCOMPARE(items(form->Pomoc), QStringList{QStringLiteral("&O programe...|")});
    QCOMPARE(items(form->PopupMenu1),
             (QStringList{QStringLiteral("Vybrať všetky|"), QStringLiteral("Invertovať výber|"),
                          QStringLiteral("Zrušiť výber|"), QStringLiteral("-"),
                          QStringLiteral("Editovať|Ctrl+E")}));
  }

  void designedLayoutAtTheMinimumSize() {
    QCOMPARE(form->size(), QSize(630, 460));
    QCOMPARE(form->minimumSize(), QSize(630, 460));
    QCOMPARE(form->ListView1->geometry(), QRect(7, 126, 610, 281));
    QCOMPARE(form->Button1->geometry(), QRect(301, 73, 148, 25));
    QCOMPARE(form->Button2->geometry(), QRect(462, 73, 148, 25));
    QCOMPARE(form->BrowseEdit1->geometry(), QRect(7, 35, 274, 21));
    QCOMPARE(form->Edit1->geometry(), QRect(7, 77, 274, 21));
    QCOMPARE(form->Bevel1->geometry(), QRect(0, 0, 630, 2));
    QHeaderView* header = form->ListView1->header();
    for (int column = 1; column < 5; ++column) QCOMPARE(header->sectionSize(column), 80);
    QCOMPARE(header->sectionSize(0), form->ListView1->viewport()->width() - 4 * 80);
  }

  void layoutFollowsTheWindowAndStopsAtTheMinimum() {
    form->resize(800, 600);
    QTRY_COMPARE(form->size(), QSize(800, 600));
    QCOMPARE(form->ListView1->size(), QSize(780, 421));
    QCOMPARE(form->Button2->x(), 780 - 148);
    QCOMPARE(form->Bevel1->width(), 800);
    QCOMPARE(form->ListView1->header()->sectionSize(0),
             form->ListView1->viewport()->width() - 4 * 80);
    form->resize(500, 300);
    QTRY_COMPARE(form->size(), QSize(630, 460));
    QCOMPARE(form->ListView1->size(), QSize(610, 281));
  }

  void buttonsFollowTheFolderText() {
    QSignalSpy changes(form->BrowseEdit1, &QLineEdit::textChanged);
    form->BrowseEdit1->setText(QStringLiteral("/"));
    QCOMPARE(changes.count(), 0);
    form->BrowseEdit1->setFocus();
    QTest::keyClick(form->BrowseEdit1, Qt::Key_End);
    QTest::keyClick(form->BrowseEdit1, Qt::Key_Backspace);
    QVERIFY(!form->Button1->isEnabled());
    QVERIFY(!form->Button2->isEnabled());
    QTest::keyClick(form->BrowseEdit1, Qt::Key_Q);
    QVERIFY(form->Button1->isEnabled());
    QVERIFY(form->Button2->isEnabled());
    form->Edit1->clear();
    QVERIFY(form->Button1->isEnabled());
  }

  void browseButtonPutsTheChosenFolderInTheBox() {
    Environment->ChosenFolder = QStringLiteral("/srv/www");
    form->BrowseButton->trigger();
    QCOMPARE(form->BrowseEdit1->text(), QStringLiteral("/srv/www"));
    Environment->ChosenFolder.clear();
    form->BrowseButton->trigger();
    QCOMPARE(form->BrowseEdit1->text(), QStringLiteral("/srv/www"));
  }

  void scanThenTickThenGenerate() {
    auto site = MakeSite(4);
    Scan(*site);
    QAbstractItemModel* model = form->ListView1->model();
    QCOMPARE(model->rowCount(), 5);
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("http://s/"));
    QCOMPARE(model->index(0, 3).data().toString(), QStringLiteral("daily"));
    for (int row = 0; row < 5; ++row) {
      QCOMPARE(model->index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(),
               Qt::Unchecked);
      QCOMPARE(model->index(row, 2).data(Qt::ForegroundRole).value<QBrush>().color(),
               QColor(0, 0, 0));
    }
    QVERIFY(Environment->Messages.isEmpty());

    form->VybravetkoMenu1->trigger();
    QCOMPARE(model->index(3, 1).data(Qt::ForegroundRole).value<QBrush>().color(),
             QColor(255, 0, 0));
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    const std::string written = test::ReadFile(*site / "sitemap.xml");
    // The root row carries changefreq and priority, the file rows neither.
    QCOMPARE(std::count(written.begin(), written.end(), '\n'), 3 + 6 + 4 * 4);
    QCOMPARE(Environment->Messages.size(), 1);
    QCOMPARE(
        Environment->Messages[0],
        QStringLiteral(
            "Tessaly vytvorená do súboru:\n%1sitemap.xml\n\nVeľkosť súboru: %2 B\n\nPočet Url: 5")
            .arg(QString::fromStdString(site->Path()))
            .arg(written.size()));
  }

  void ticksAndColours() {
    for (const char* url : {"a", "b", "c", "d"})
      form->Pages().Add(url, "1.1.2006", "1:00:00", "none", "none");
    QAbstractItemModel* model = form->ListView1->model();
    QTRY_COMPARE(model->rowCount(), 4);
    QVERIFY(model->setData(model->index(0, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(model->setData(model->index(2, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(form->Pages().Item(0).Included);
    QCOMPARE(model->index(0, 4).data(Qt::ForegroundRole).value<QBrush>().color(),
             QColor(255, 0, 0));
    form->Invertovavber1->trigger();
    QCOMPARE(model->index(1, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QCOMPARE(model->index(0, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    form->InvertovavberMenu1->trigger();
    QVERIFY(form->Pages().Item(0).Included);
    QVERIFY(!form->Pages().Item(1).Included);
    form->Zruioznaenie1->trigger();
    for (const TPageEntry& row : form->Pages()) QVERIFY(!row.Included);
    QCOMPARE(model->index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 0, 0));
  }

  void tickCommandsOnAnEmptyListDoNothing() {
    form->Oznaivetko1->trigger();
    form->InvertovavberMenu1->trigger();
    QCOMPARE(form->Pages().Count(), 0u);
    QVERIFY(Environment->Messages.isEmpty());
  }

  void overlongUrlsAreReportedAfterTheScan() {
    auto site = MakeSite(2);
    Scan(*site, QStringLiteral("http://s/") + QString(2100, QLatin1Char('u')));
    QCOMPARE(Environment->Messages,
             QStringList{QStringLiteral("2 Url presiahlo max. povolenú dĺžku 2048 znakov.")});
  }

  void secondScanGenerateAndNewProjectAreRefusedWhileAScanRuns() {
    auto site = MakeSite(6);
    std::function<void()> letEventsRun = form->Scanner().OnFileDone;
    bool tried = false;
    bool busy = false;
    form->Scanner().OnFileDone = [&] {
      if (!tried) {
        tried = true;
        busy = QGuiApplication::overrideCursor() &&
               QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        form->Button1->click();
        form->Button2->click();
        form->Novprojekt1->trigger();
      }
      letEventsRun();
    };
    Scan(*site);
    QVERIFY(tried);
    QVERIFY(busy);
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(form->Pages().Count(), 7u);
    QVERIFY(!test::FileExists(*site / "sitemap.xml"));
    QCOMPARE(form->BrowseEdit1->text(), QString::fromStdString(site->Path()));
  }

  void listGrowsWhileAScanRuns() {
    auto site = MakeSite(40);
    std::function<void()> letEventsRun = form->Scanner().OnFileDone;
    bool shownMidway = false;
    form->Scanner().OnFileDone = [&] {
      QTest::qSleep(10);  // a slow disk
      letEventsRun();
      const int shown = form->ListView1->model()->rowCount();
      shownMidway |= shown > 1 && shown < 41;
    };
    Scan(*site);
    QVERIFY(shownMidway);
    QCOMPARE(form->ListView1->model()->rowCount(), 41);
  }

  void closingDuringAScanStopsItAndSavesThePlacement() {
    auto site = MakeSite(20);
    std::function<void()> letEventsRun = form->Scanner().OnFileDone;
    form->Scanner().OnFileDone = [&] {
      if (form->isVisible()) form->close();
      letEventsRun();
    };
    Scan(*site);
    QCOMPARE(form->Pages().Count(), 2u);
    QVERIFY(!form->Scanner().IsRunning());
    QVERIFY(test::FileExists(Environment->Settings / "qorv.ini"));
  }

  void unexpectedErrorsAreLoggedAndShownAndTheProgramGoesOn() {
    auto site = MakeSite(2);
    Environment->App.Context().Settings.FileMask = ";*.htm";
    Scan(*site);
    Environment->App.Context().Settings.FileMask = "*.htm;*.html";
    QCOMPARE(Environment->Messages,
             QStringList{QStringLiteral("V programe došlo k nečakanej chybe.")});
    const std::string log = test::ReadFile(Environment->Settings / "error.log");
    QVERIFY2(log.find(" : EWildcardError - Search string cannot be blank\r\n") != std::string::npos,
             log.c_str());
    QCOMPARE(std::count(log.begin(), log.end(), '\n'), 1);
    QCOMPARE(form->Pages().Count(), 1u);

    Scan(*site);
    QCOMPARE(form->Pages().Count(), 3u);
    QCOMPARE(Environment->Messages.size(), 1);
  }

  void editCommandWithoutASelectedRowSaysSo() {
    form->ListView1->setFocus();
    QTest::keyClick(form, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(Environment->Messages, QStringList{QStringLiteral("Nie je vybraná stránka.")});
  }

  void placementIsRestoredAndSaved() {
    cleanup();
    test::TTempDir& settings = Environment->Settings;
    settings.WriteFile("qorv.ini", "[Window]\r\nWidth=800\r\nLeft=10\r\nTop=20\r\n");
    CreateWindows(Environment->App);
    form = Form1;
    QCOMPARE(form->size(), QSize(800, 460));
    QCOMPARE(form->pos(), QPoint(10, 20));
    form->show();
    form->resize(700, 500);
    form->KoniecClick();
    QVERIFY(!form->isVisible());
    QCOMPARE(test::ReadFile(settings / "qorv.ini"),
             std::string("[Window]\r\nWidth=700\r\nLeft=") + std::to_string(form->x()) +
                 "\r\nTop=" + std::to_string(form->y()) + "\r\nMaximized=0\r\nHeight=500\r\n");
  }

  void closingStillWorksWhenThePlacementCannotBeSaved() {
    test::TTempDir& settings = Environment->Settings;
    settings.MakeDir("qorv.ini");
    form->close();
    QVERIFY(!form->isVisible());
    QCOMPARE(Environment->Messages,
             QStringList{QStringLiteral("V programe došlo k nečakanej chybe.")});
    QVERIFY(test::ReadFile(settings / "error.log").find("EIniFileException - Unable to write to") !=
            std::string::npos);
    std::filesystem::remove(settings / "qorv.ini");
  }

  void newRowsFollowALocaleChange() {
    auto site = MakeSite(1);
    Scan(*site);
    QVERIFY(form->Pages().Item(0).DateText.find('.') != std::string::npos);
    Environment->Formats.ShortDateFormat = "yyyy/MM/dd";
    Environment->Formats.DateSeparator = "-";
    QEvent change(QEvent::LocaleChange);
    QCoreApplication::sendEvent(form, &change);
    Scan(*site);
    QCOMPARE(form->Pages().Item(0).DateText.size(), 10u);
    QCOMPARE(form->Pages().Item(0).DateText[4], '-');
  }

  void projectCommands() {
    Environment->ChosenFile = QString::fromStdString(Environment->Settings / "site.prj");
    form->BrowseEdit1->setText(QStringLiteral("/srv/site"));
    form->Edit1->setText(QStringLiteral("https://example.com/"));
    form->Uloiprojekt1->trigger();
    QCOMPARE(Environment->DialogFolders.last(),
             QString::fromStdString(Environment->Settings.Path()));
    form->Pages().Add("x", "1.1.2006", "1:00:00", "none", "none");
    form->Novprojekt1->trigger();
    QCOMPARE(form->BrowseEdit1->text(), QStringLiteral("/"));
    QCOMPARE(form->Edit1->text(), QStringLiteral("http://"));
    QCOMPARE(form->Pages().Count(), 0u);
    QCOMPARE(form->ListView1->model()->rowCount(), 0);
    form->Pages().Add("kept", "1.1.2006", "1:00:00", "none", "none");
    form->Otvoriprojekt1->trigger();
    QCOMPARE(form->BrowseEdit1->text(), QStringLiteral("/srv/site"));
    QCOMPARE(form->Edit1->text(), QStringLiteral("https://example.com/"));
    QCOMPARE(form->Pages().Count(), 1u);
    Environment->ChosenFile.clear();
    form->BrowseEdit1->setText(QStringLiteral("/other"));
    form->Otvoriprojekt1->trigger();
    QCOMPARE(form->BrowseEdit1->text(), QStringLiteral("/other"));
  }
};

QORV_UI_TEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
