// The three dialogs: the settings dialog's live binding and completion, the
// page edit dialog's round trip, and the About box.

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "tests/ui/uitestsupport.h"
#include "ui/About.h"
#include "ui/Edit.h"
#include "ui/Settings.h"
#include "ui/Unit1.h"
#include "ui/pagelistmodel.h"
#include "ui/qorvshell.h"
#include "ui/vocabularybox.h"

using namespace qorv;
using test::currentEnvironment;

namespace {

/// Runs `open` (which shows a modal dialog) and, once the dialog is up,
/// `body` on it; the dialog is closed afterwards if `body` left it open.
void whileModal(const std::function<void()>& open, const std::function<void(QDialog*)>& body) {
  QTimer::singleShot(0, [body] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    body(dialog);
    if (dialog->isVisible()) dialog->reject();
  });
  open();
}

GeneratorSettings& settings() { return currentEnvironment->app.context().settings; }

void typeKeys(VocabularyBox* box, const QString& keys) {
  box->setFocus();
  box->lineEdit()->clear();
  QTest::keyClicks(box->lineEdit(), keys);
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    currentEnvironment->messages.clear();
    currentEnvironment->openedUrls.clear();
    currentEnvironment->formats = test::dayFirstFormats();
    settings() = GeneratorSettings{};
    createWindows(currentEnvironment->app);
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
  }

  void cleanup() { destroyWindows(); }

  // The settings dialog.

  void settingsDialogStartsWithTheDefaults() {
    QCOMPARE(SetBox->size(), QSize(622, 392));
    QCOMPARE(SetBox->m_fileMaskEdit->text(), QStringLiteral("*.htm;*.html"));
    QCOMPARE(SetBox->m_indexFileEdit->text(), QStringLiteral("index.htm"));
    QCOMPARE(SetBox->m_rootChangefreqBox->currentText(), QStringLiteral("daily"));
    QCOMPARE(SetBox->m_rootChangefreqBox->currentIndex(), 3);
    QCOMPARE(SetBox->m_rootPriorityBox->currentText(), QStringLiteral("0.5"));
    QCOMPARE(SetBox->m_otherChangefreqBox->currentText(), QStringLiteral("none"));
    QCOMPARE(SetBox->m_otherPriorityBox->currentText(), QStringLiteral("none"));
    QCOMPARE(SetBox->m_timeZoneBox->currentText(), QStringLiteral("+01:00"));
    QCOMPARE(SetBox->m_timeZoneBox->count(), 25);
    QCOMPARE(SetBox->m_rootPriorityBox->count(), 12);
    QVERIFY(SetBox->m_shortLastmodRadio->isChecked());
    QVERIFY(!SetBox->m_compactCheckBox->isChecked());
    QCOMPARE(SetBox->m_longLastmodExample->text(), QStringLiteral("(2005-12-31T12:00:00+00:00)"));
    QCOMPARE(SetBox->m_compactCheckBox->text(),
             QStringLiteral("Generovať úsporne (neodsadzovať tagy)"));
    QVERIFY(SetBox->m_okButton->isDefault());
  }

  void typingCompletesAgainstTheList_data() {
    QTest::addColumn<int>("box");  // 2 root changefreq, 3 root priority, 1 zone
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::newRow("d") << 2 << "d"
                       << "daily" << 3;
    QTest::newRow("capital D keeps its case") << 2 << "D"
                                              << "Daily" << 3;
    QTest::newRow("no match") << 2 << "dx"
                              << "dx" << -1;
    QTest::newRow("whole entry typed") << 2 << "weekly"
                                       << "weekly" << 4;
    QTest::newRow("typed past every entry") << 3 << "0.55"
                                            << "0.55" << -1;
    QTest::newRow("priority") << 3 << "0.7"
                              << "0.7" << 8;
    QTest::newRow("half-hour zone") << 1 << "+05:30"
                                    << "+05:30" << -1;
    QTest::newRow("first entry that begins so") << 1 << "-0"
                                                << "-09:00" << 3;
    QTest::newRow("zone") << 1 << "-01"
                          << "-01:00" << 11;
  }

  void typingCompletesAgainstTheList() {
    QFETCH(int, box);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, index);
    VocabularyBox* combo = box == 2   ? SetBox->m_rootChangefreqBox
                           : box == 3 ? SetBox->m_rootPriorityBox
                                      : SetBox->m_timeZoneBox;
    const VocabularyChoice& choice = box == 2   ? settings().rootChangefreq
                                     : box == 3 ? settings().rootPriority
                                                : settings().timeZone;
    const int entries = combo->count();
    typeKeys(combo, keys);
    QCOMPARE(combo->currentText(), text);
    QCOMPARE(QString::fromStdString(choice.text()), text);
    QCOMPARE(choice.index(), index);
    QCOMPARE(combo->count(), entries);
  }

  void completedRestIsHighlightedAndReplacedByTheNextKey() {
    typeKeys(SetBox->m_otherChangefreqBox, QStringLiteral("m"));
    QCOMPARE(SetBox->m_otherChangefreqBox->lineEdit()->selectedText(), QStringLiteral("onthly"));
    QTest::keyClick(SetBox->m_otherChangefreqBox->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(SetBox->m_otherChangefreqBox->currentText(), QStringLiteral("m"));
    QCOMPARE(settings().otherChangefreq.index(), -1);
    QCOMPARE(settings().otherChangefreq.text(), std::string("m"));
  }

  void pickingAnEntrySetsTheChoice() {
    SetBox->m_otherPriorityBox->setCurrentIndex(11);
    QCOMPARE(settings().otherPriority.index(), 11);
    QCOMPARE(settings().otherPriority.text(), std::string("1.0"));
  }

  void otherControlsAreTheirSettings() {
    SetBox->m_fileMaskEdit->setText(QStringLiteral("*.php"));
    SetBox->m_indexFileEdit->clear();
    SetBox->m_longLastmodRadio->click();
    SetBox->m_compactCheckBox->click();
    QCOMPARE(settings().fileMask, std::string("*.php"));
    QCOMPARE(settings().indexFile, std::string());
    QVERIFY(!settings().dateOnlyLastmod);
    QVERIFY(settings().compact);
    QCOMPARE(SetBox->m_timeZoneBox->currentText(), QStringLiteral("+01:00"));
  }

  void enterPressesOkKeepingTheTypedTextAndEscDoesNothing() {
    QString afterEnter;
    bool openAfterEsc = false;
    whileModal([] { Form1->showSettingsDialog(); },
               [&](QDialog* dialog) {
                 QTest::keyClick(dialog, Qt::Key_Escape);
                 openAfterEsc = dialog->isVisible();
                 typeKeys(SetBox->m_rootChangefreqBox, QStringLiteral("Daily"));
                 QTest::keyClick(SetBox->m_rootChangefreqBox->lineEdit(), Qt::Key_Return);
                 afterEnter = SetBox->m_rootChangefreqBox->currentText();
               });
    QVERIFY(openAfterEsc);
    QVERIFY(!SetBox->isVisible());
    QCOMPARE(afterEnter, QStringLiteral("Daily"));
    QCOMPARE(settings().rootChangefreq.text(), std::string("Daily"));
    QCOMPARE(SetBox->m_rootChangefreqBox->count(), 8);
    bool closedByEnterInTextBox = false;
    whileModal([] { Form1->showSettingsDialog(); },
               [&](QDialog* dialog) {
                 SetBox->m_fileMaskEdit->setFocus();
                 QTest::keyClick(SetBox->m_fileMaskEdit, Qt::Key_Return);
                 closedByEnterInTextBox = !dialog->isVisible();
               });
    QVERIFY(closedByEnterInTextBox);
  }

  void projectValuesShowInTheControlsAtOnce() {
    test::TempDir dir;
    dir.writeFile("p.prj",
                  "[Project]\r\nFileMask=*.php\r\nSetChangefreq1=12\r\nSetPriority2=9\r\n"
                  "SetTimeShort=0\r\nTagIndent=1\r\n");
    currentEnvironment->chosenFile = QString::fromStdString(dir / "p.prj");
    Form1->m_openProjectAction->trigger();
    QCOMPARE(SetBox->m_fileMaskEdit->text(), QStringLiteral("*.php"));
    QCOMPARE(SetBox->m_rootChangefreqBox->currentText(), QString());
    QCOMPARE(SetBox->m_rootChangefreqBox->currentIndex(), -1);
    QCOMPARE(SetBox->m_otherPriorityBox->currentText(), QStringLiteral("0.8"));
    QVERIFY(SetBox->m_longLastmodRadio->isChecked());
    QVERIFY(SetBox->m_compactCheckBox->isChecked());
    Form1->m_newProjectAction->trigger();
    QCOMPARE(SetBox->m_rootChangefreqBox->currentText(), QStringLiteral("daily"));
    QVERIFY(SetBox->m_shortLastmodRadio->isChecked());
    QVERIFY(SetBox->m_compactCheckBox->isChecked());
  }

  void typedZoneReachesTheLongLastmod() {
    test::TempDir site;
    site.writeFile("a.htm");
    typeKeys(SetBox->m_timeZoneBox, QStringLiteral("+05:30"));
    SetBox->m_longLastmodRadio->click();
    Form1->m_folderEdit->setText(QString::fromStdString(site.path()));
    Form1->m_scanButton->click();
    Form1->m_contextIncludeAllAction->trigger();
    Form1->m_generateButton->click();
    const std::string written = test::readFile(site / "sitemap.xml");
    QVERIFY2(written.find("+05:30</lastmod>") != std::string::npos, written.c_str());
  }

  void dialogOpensCentredThenWhereItWasLeft() {
    QPoint first;
    whileModal([] { Form1->showSettingsDialog(); },
               [&](QDialog* dialog) {
                 first = dialog->frameGeometry().center();
                 dialog->move(dialog->pos() + QPoint(30, 20));
               });
    QCOMPARE(first, QGuiApplication::primaryScreen()->geometry().center());
    QPoint second;
    whileModal([] { Form1->showSettingsDialog(); },
               [&](QDialog* dialog) { second = dialog->frameGeometry().center(); });
    QCOMPARE(second, first + QPoint(30, 20));
  }

  void tabVisitsTheControlsInTheirOrder() {
    const auto visited = [](QDialog* dialog, QWidget* first, int steps) {
      QList<QWidget*> order;
      // The headless platform does not activate a modal dialog by itself.
      QApplication::setActiveWindow(dialog);
      if (!QTest::qWaitForWindowActive(dialog)) return order;
      first->setFocus();
      for (int i = 0; i < steps; ++i) {
        QWidget* focus = QApplication::focusWidget();
        // The text field of a box or picker has the focus on its behalf.
        if (focus && focus->parentWidget() &&
            (qobject_cast<QComboBox*>(focus->parentWidget()) ||
             qobject_cast<QAbstractSpinBox*>(focus->parentWidget())))
          focus = focus->parentWidget();
        order << focus;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      }
      return order;
    };
    QList<QWidget*> settings, edit;
    whileModal([] { Form1->showSettingsDialog(); },
               [&](QDialog* dialog) { settings = visited(dialog, SetBox->m_fileMaskEdit, 10); });
    QCOMPARE(settings, (QList<QWidget*>{SetBox->m_fileMaskEdit, SetBox->m_indexFileEdit,
                                        SetBox->m_rootChangefreqBox, SetBox->m_rootPriorityBox,
                                        SetBox->m_otherChangefreqBox, SetBox->m_otherPriorityBox,
                                        SetBox->m_shortLastmodRadio, SetBox->m_timeZoneBox,
                                        SetBox->m_compactCheckBox, SetBox->m_okButton}));
    Form1->pages().add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    Form1->model().flush();
    Form1->m_pageListView->setCurrentIndex(Form1->m_pageListView->model()->index(0, 0));
    whileModal([] { Form1->editSelectedPage(); },
               [&](QDialog* dialog) { edit = visited(dialog, EditBox->m_dateEdit, 7); });
    QCOMPARE(edit,
             (QList<QWidget*>{EditBox->m_dateEdit, EditBox->m_timeEdit, EditBox->m_changefreqBox,
                              EditBox->m_priorityBox, EditBox->m_okButton, EditBox->m_cancelButton,
                              EditBox->m_urlEdit}));
  }

  // The page edit dialog.

  void editRoundTripRewritesTheTimeInTheLongForm() {
    Form1->pages().add("http://s/a.htm", "5.3.2006", "09:05:06", "None", "0.55");
    Form1->model().flush();
    Form1->m_pageListView->setCurrentIndex(Form1->m_pageListView->model()->index(0, 0));
    QString tooltip, dateFormat;
    whileModal([] { Form1->editSelectedPage(); },
               [&](QDialog*) {
                 tooltip = EditBox->m_urlEdit->toolTip();
                 dateFormat = EditBox->m_dateEdit->displayFormat();
                 EditBox->m_okButton->click();
               });
    QCOMPARE(tooltip, QStringLiteral("http://s/a.htm"));
    QCOMPARE(dateFormat, QStringLiteral("d.M.yyyy"));
    QCOMPARE(Form1->pages().at(0),
             (PageEntry{"http://s/a.htm", "5.3.2006", "9:05:06", "None", "0.55", false}));
  }

  void editWritesWhatWasTyped() {
    Form1->pages().add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    Form1->pages().setIncluded(0, true);
    Form1->m_pageListView->setCurrentIndex(Form1->m_pageListView->model()->index(0, 0));
    whileModal([] { QTest::keyClick(Form1, Qt::Key_E, Qt::ControlModifier); },
               [&](QDialog* dialog) {
                 EditBox->m_dateEdit->setDate(QDate(2007, 1, 2));
                 EditBox->m_timeEdit->setTime(QTime(23, 4, 5));
                 typeKeys(EditBox->m_changefreqBox, QStringLiteral("None"));
                 typeKeys(EditBox->m_priorityBox, QStringLiteral("0.55"));
                 QTest::keyClick(dialog, Qt::Key_Return);
               });
    QCOMPARE(Form1->pages().at(0),
             (PageEntry{"http://s/", "2.1.2007", "23:04:05", "None", "0.55", true}));
    QCOMPARE(Form1->m_pageListView->model()->index(0, 3).data().toString(), QStringLiteral("None"));
  }

  void escStornoAndCloseChangeNothing() {
    Form1->pages().add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    Form1->model().flush();
    Form1->m_pageListView->setCurrentIndex(Form1->m_pageListView->model()->index(0, 0));
    const PageEntry before = Form1->pages().at(0);
    const std::vector<std::function<void(QDialog*)>> closers = {
        [](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); },
        [](QDialog*) { EditBox->m_cancelButton->click(); },
        [](QDialog* dialog) { dialog->close(); }};
    int opened = 0;
    for (const auto& close : closers) {
      whileModal([] { Form1->editSelectedPage(); },
                 [&](QDialog* dialog) {
                   ++opened;
                   EditBox->m_dateEdit->setDate(QDate(2001, 1, 1));
                   typeKeys(EditBox->m_changefreqBox, QStringLiteral("never"));
                   close(dialog);
                 });
      QCOMPARE(Form1->pages().at(0), before);
    }
    QCOMPARE(opened, 3);
  }

  void rowWhoseTextsDoNotReadBackIsNotEdited() {
    Form1->pages().add("http://s/", "2006-03-05", "9:05:06", "daily", "0.5");
    Form1->model().flush();
    Form1->m_pageListView->setCurrentIndex(Form1->m_pageListView->model()->index(0, 0));
    QVERIFY(Form1->selectedRow());
    Form1->editSelectedPage();
    QCOMPARE(currentEnvironment->messages, QStringList{QStringLiteral("Nie je vybraná stránka.")});
    QVERIFY(!EditBox->isVisible());
  }

  // The About box.

  void aboutBoxShowsAllFourVersionParts_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("release");
    QTest::addColumn<int>("build");
    QTest::addColumn<QString>("line");
    QTest::newRow("1.2.3.4") << 1 << 2 << 3 << 4 << "Verzia 1.2.3.4";
    QTest::newRow("0.12.0.345") << 0 << 12 << 0 << 345 << "Verzia 0.12.0.345";
  }

  void aboutBoxShowsAllFourVersionParts() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, release);
    QFETCH(int, build);
    QFETCH(QString, line);
    destroyWindows();
    currentEnvironment->app.context().version = TProductVersion{major, minor, release, build};
    createWindows(currentEnvironment->app);
    QCOMPARE(AboutBox->m_versionLabel->text(), line);
    currentEnvironment->app.context().version = TProductVersion{1, 2, 3, 4};
  }

  void linksOpenOnTheDesktopAndTheBoxStaysOpen() {
    QCOMPARE(AboutBox->m_productNameLabel->text(), QStringLiteral("Quorvex"));
    QCOMPARE(AboutBox->m_freewareLabel->text(), QStringLiteral("Freeware"));
    QCOMPARE(AboutBox->m_mailLink->toolTip(), QStringLiteral("mailto:") + kMakerMail);
    QCOMPARE(AboutBox->m_webLink->toolTip(), kMakerWeb);
    QCOMPARE(AboutBox->m_mailLink->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(AboutBox->m_webLink->cursor().shape(), Qt::PointingHandCursor);
    bool openAfterClicks = false;
    whileModal([] { Form1->showAboutDialog(); },
               [&](QDialog* dialog) {
                 QTest::mouseClick(AboutBox->m_mailLink, Qt::LeftButton);
                 QTest::mouseClick(AboutBox->m_mailLink, Qt::LeftButton);
                 QTest::mouseClick(AboutBox->m_webLink, Qt::LeftButton);
                 QTest::keyClick(dialog, Qt::Key_Escape);
                 openAfterClicks = dialog->isVisible();
               });
    QVERIFY(openAfterClicks);
    QCOMPARE(currentEnvironment->openedUrls,
             (QStringList{QStringLiteral("mailto:") + kMakerMail,
                          QStringLiteral("mailto:") + kMakerMail, kMakerWeb}));
  }
};

QORV_UI_TEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
