// The windows without a mouse: a whole run from the keys alone, the keys
// of the site map list and of the folder box, and the About box's links.

#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "tests/ui/uitestsupport.h"
#include "ui/aboutdialog.h"
#include "ui/linklabel.h"
#include "ui/mainwindow.h"
#include "ui/pagelistmodel.h"

using namespace qorv;
using test::currentEnvironment;

namespace {

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* focus = QApplication::focusWidget();
  if (!focus) {
    QTest::qFail("no widget has the focus", __FILE__, __LINE__);
    return;
  }
  QTest::keyClick(focus, key, modifiers);
}

void type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }

}  // namespace

class KeyboardTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> m_window;

  template <class Part>
  Part* part(const char* name) const {
    return test::part<Part>(m_window.get(), name);
  }

  QTreeView* list() const { return part<QTreeView>("m_pageListView"); }

  /// Three rows in the list, the window active and the list focused.
  void focusListOfThreeRows() {
    for (const char* url : {"http://s/", "http://s/a.htm", "http://s/b.htm"})
      m_window->pages().add(url, "5.3.2006", "9:05:06", "none", "none");
    qobject_cast<PageListModel*>(list()->model())->flush();
    QVERIFY(test::focusInActiveWindow(list()));
  }

  std::vector<bool> ticks() const {
    std::vector<bool> included;
    for (const PageEntry& row : m_window->pages()) included.push_back(row.included);
    return included;
  }

  /// The URL that the edit dialog shows, or empty when none opened.
  QString editedUrlAfter(const std::function<void()>& keys) {
    QString url;
    test::whileModal(
        keys, [&](QDialog* dialog) { url = test::part<QLineEdit>(dialog, "m_urlEdit")->text(); });
    QCoreApplication::processEvents();  // the modal check's timer, when no dialog opened
    return url;
  }

 private slots:
  void init() {
    currentEnvironment->messages.clear();
    currentEnvironment->openedUrls.clear();
    currentEnvironment->chooserFolders.clear();
    currentEnvironment->chosenFolder.clear();
    currentEnvironment->chosenFile.clear();
    m_window = std::make_unique<MainWindow>(currentEnvironment->app.context());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
  }

  void cleanup() { m_window.reset(); }

  void wholeRunFromTheKeyboard() {
    test::TempDir site;
    for (const char* page : {"a.htm", "b.htm", "c/d.htm"}) site.writeFile(page);
    test::TempDir projects;
    currentEnvironment->chosenFile = QString::fromStdString(projects / "site.prj");
    QVERIFY(test::activate(m_window.get()));
    QVERIFY2(part<QLineEdit>("m_folderEdit")->hasFocus(), "the window opens in the folder box");

    press(Qt::Key_A, Qt::ControlModifier);
    type(QString::fromStdString(site.path()));
    press(Qt::Key_Tab);
    press(Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("http://s"));
    press(Qt::Key_Tab);
    press(Qt::Key_Space);  // "Zobraziť mapu webu"
    QCOMPARE(m_window->pages().size(), 4u);
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), list());
    press(Qt::Key_Space);  // the row marked on entering the list: the root
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Space);
    const std::string editedUrl = m_window->pages().at(2).url;
    QCOMPARE(ticks(), (std::vector<bool>{true, false, true, false}));
    test::whileModal([] { press(Qt::Key_Return); },
                     [](QDialog* dialog) {
                       if (!test::activate(dialog)) return;
                       press(Qt::Key_Tab);
                       press(Qt::Key_Tab);
                       type(QStringLiteral("w"));  // completes to "weekly"
                       press(Qt::Key_Return);
                     });
    QCOMPARE(m_window->pages().at(2).changefreq, std::string("weekly"));
    QVERIFY(test::activate(m_window.get()));
    press(Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), part<QWidget>("m_generateButton"));
    press(Qt::Key_Space);  // "Generovať Tessaly"
    press(Qt::Key_S, Qt::ControlModifier);

    const std::string sitemap = test::readFile(site / "sitemap.xml");
    QCOMPARE(std::count(sitemap.begin(), sitemap.end(), '\n'), 3 + 6 + 5);
    QVERIFY2(sitemap.find("<loc>http://s/</loc>") != std::string::npos, sitemap.c_str());
    QVERIFY2(sitemap.find("<loc>" + editedUrl + "</loc>") != std::string::npos, sitemap.c_str());
    QVERIFY2(sitemap.find("<changefreq>weekly</changefreq>") != std::string::npos, sitemap.c_str());
    const std::string project = test::readFile(projects / "site.prj");
    QVERIFY2(project.find("LocalFolder=" + site.path()) != std::string::npos, project.c_str());
    QVERIFY2(project.find("URL=http://s") != std::string::npos, project.c_str());
    QCOMPARE(currentEnvironment->messages.size(), 1);
    QVERIFY(currentEnvironment->messages[0].startsWith(QStringLiteral("Tessaly vytvorená")));
  }

  void spaceTicksAndUnticksTheSelectedRow() {
    focusListOfThreeRows();
    list()->setCurrentIndex(list()->model()->index(1, 3));  // a click on a row's tag
    press(Qt::Key_Space);
    QCOMPARE(ticks(), (std::vector<bool>{false, true, false}));
    press(Qt::Key_Space);
    QCOMPARE(ticks(), (std::vector<bool>{false, false, false}));
    press(Qt::Key_Down);
    press(Qt::Key_Space);
    QCOMPARE(ticks(), (std::vector<bool>{false, false, true}));
    QCOMPARE(list()->model()->index(2, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(),
             Qt::Checked);
  }

  void enterEditsTheSelectedRowAsCtrlEDoes_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("rowSelected");
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
    QTest::newRow("Return, none selected") << int(Qt::Key_Return) << int(Qt::NoModifier) << false;
  }

  void enterEditsTheSelectedRowAsCtrlEDoes() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, rowSelected);
    focusListOfThreeRows();
    if (rowSelected) list()->setCurrentIndex(list()->model()->index(1, 0));
    const QString url =
        editedUrlAfter([&] { press(Qt::Key(key), Qt::KeyboardModifiers(QFlag(modifiers))); });
    QCOMPARE(url, rowSelected ? QStringLiteral("http://s/a.htm") : QString());
    QCOMPARE(currentEnvironment->messages,
             rowSelected ? QStringList() : QStringList{QStringLiteral("Nie je vybraná stránka.")});
  }

  void aSingleClickThatActivatesARowEditsNothing() {
    focusListOfThreeRows();
    list()->setCurrentIndex(list()->model()->index(1, 0));
    // Some desktops activate a row on a single click.
    const QString url = editedUrlAfter([this] { emit list()->activated(list()->currentIndex()); });
    QCOMPARE(url, QString());
    QVERIFY(currentEnvironment->messages.isEmpty());
  }

  void f4BrowsesForTheFolder() {
    auto* button = part<QToolButton>("m_browseButton");
    QCOMPARE(button->toolTip(), QStringLiteral("Vybrať priečinok (F4)"));
    currentEnvironment->chosenFolder = QStringLiteral("/srv/www");
    for (const char* from : {"m_urlEdit", "m_pageListView"}) {
      QVERIFY(test::focusInActiveWindow(part<QWidget>(from)));
      press(Qt::Key_F4);
    }
    QCOMPARE(currentEnvironment->chooserFolders.size(), 2);
    QCOMPARE(part<QLineEdit>("m_folderEdit")->text(), QStringLiteral("/srv/www"));
    QVERIFY2(part<QLineEdit>("m_folderEdit")->hasFocus(), "as after a click on the button");
  }

  void aboutBoxLinksByTabAndSpaceWhileEnterCloses() {
    auto* about = m_window->findChild<QDialog*>(QStringLiteral("aboutDialog"));
    auto* ok = test::part<QWidget>(about, "m_okButton");
    auto* mail = test::part<LinkLabel>(about, "m_mailLink");
    auto* web = test::part<LinkLabel>(about, "m_webLink");
    QList<QWidget*> order;
    bool framed = false;
    bool openAfterSpace = false;
    int result = -1;
    test::whileModal([&] { result = about->exec(); },
                     [&](QDialog* shown) {
                       if (!test::activate(shown)) return;
                       const QImage unfocused = web->grab().toImage();
                       for (int i = 0; i < 4; ++i) {
                         order << QApplication::focusWidget();
                         if (i < 3) press(Qt::Key_Tab);
                       }
                       press(Qt::Key_Backtab);
                       framed = web->hasFocus() && web->grab().toImage() != unfocused;
                       press(Qt::Key_Backtab);
                       press(Qt::Key_Space);
                       openAfterSpace = shown->isVisible();
                       press(Qt::Key_Return);
                     });
    QCOMPARE(order, (QList<QWidget*>{ok, mail, web, ok}));
    QVERIFY2(framed, "a link with the focus shows a focus frame");
    QVERIFY(openAfterSpace);
    QCOMPARE(currentEnvironment->openedUrls, QStringList{QStringLiteral("mailto:") + kMakerMail});
    QCOMPARE(result, int(QDialog::Accepted));
    QWidget* focusOnReopening = nullptr;
    test::whileModal([&] { about->exec(); },
                     [&](QDialog* shown) {
                       if (test::activate(shown)) focusOnReopening = QApplication::focusWidget();
                     });
    QCOMPARE(focusOnReopening, ok);
  }
};

QORV_UI_TEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
