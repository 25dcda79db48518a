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
using test::Environment;

namespace {

/// Runs `open` (which shows a modal dialog) and, once the dialog is up,
/// `body` on it; the dialog is closed afterwards if `body` left it open.
void WhileModal(const std::function<void()>& open, const std::function<void(QDialog*)>& body) {
  QTimer::singleShot(0, [body] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    body(dialog);
    if (dialog->isVisible()) dialog->reject();
  });
  open();
}

TGeneratorSettings& Settings() { return Environment->App.Context().Settings; }

void Type(TVocabularyBox* box, const QString& keys) {
  box->setFocus();
  box->lineEdit()->clear();
  QTest::keyClicks(box->lineEdit(), keys);
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    Environment->Messages.clear();
    Environment->OpenedUrls.clear();
    Environment->Formats = test::DayFirstFormats();
    Settings() = TGeneratorSettings{};
    CreateWindows(Environment->App);
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
  }

  void cleanup() { DestroyWindows(); }

  // The settings dialog.

  void settingsDialogStartsWithTheDefaults() {
    QCOMPARE(SetBox->size(), QSize(622, 392));
    QCOMPARE(SetBox->Edit1->text(), QStringLiteral("*.htm;*.html"));
    QCOMPARE(SetBox->Edit2->text(), QStringLiteral("index.htm"));
    QCOMPARE(SetBox->ComboBox2->currentText(), QStringLiteral("daily"));
    QCOMPARE(SetBox->ComboBox2->currentIndex(), 3);
    QCOMPARE(SetBox->ComboBox3->currentText(), QStringLiteral("0.5"));
    QCOMPARE(SetBox->ComboBox4->currentText(), QStringLiteral("none"));
    QCOMPARE(SetBox->ComboBox5->currentText(), QStringLiteral("none"));
    QCOMPARE(SetBox->ComboBox1->currentText(), QStringLiteral("+01:00"));
    QCOMPARE(SetBox->ComboBox1->count(), 25);
    QCOMPARE(SetBox->ComboBox3->count(), 12);
    QVERIFY(SetBox->RadioButton1->isChecked());
    QVERIFY(!SetBox->CheckBox1->isChecked());
    QCOMPARE(SetBox->Label2->text(), QStringLiteral("(2005-12-31T12:00:00+00:00)"));
    QCOMPARE(SetBox->CheckBox1->text(), QStringLiteral("Generovať úsporne (neodsadzovať tagy)"));
    QVERIFY(SetBox->OKBtn->isDefault());
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
    TVocabularyBox* combo = box == 2   ? SetBox->ComboBox2
                            : box == 3 ? SetBox->ComboBox3
                                       : SetBox->ComboBox1;
    const TVocabularyChoice& choice = box == 2   ? Settings().RootChangefreq
                                      : box == 3 ? Settings().RootPriority
                                                 : Settings().TimeZone;
    const int entries = combo->count();
    Type(combo, keys);
    QCOMPARE(combo->currentText(), text);
    QCOMPARE(QString::fromStdString(choice.Text()), text);
    QCOMPARE(choice.Index(), index);
    QCOMPARE(combo->count(), entries);
  }

  void completedRestIsHighlightedAndReplacedByTheNextKey() {
    Type(SetBox->ComboBox4, QStringLiteral("m"));
    QCOMPARE(SetBox->ComboBox4->lineEdit()->selectedText(), QStringLiteral("onthly"));
    QTest::keyClick(SetBox->ComboBox4->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(SetBox->ComboBox4->currentText(), QStringLiteral("m"));
    QCOMPARE(Settings().OtherChangefreq.Index(), -1);
    QCOMPARE(Settings().OtherChangefreq.Text(), std::string("m"));
  }

  void pickingAnEntrySetsTheChoice() {
    SetBox->ComboBox5->setCurrentIndex(11);
    QCOMPARE(Settings().OtherPriority.Index(), 11);
    QCOMPARE(Settings().OtherPriority.Text(), std::string("1.0"));
  }

  void otherControlsAreTheirSettings() {
    SetBox->Edit1->setText(QStringLiteral("*.php"));
    SetBox->Edit2->clear();
    SetBox->RadioButton2->click();
    SetBox->CheckBox1->click();
    QCOMPARE(Settings().FileMask, std::string("*.php"));
    QCOMPARE(Settings().IndexFile, std::string());
    QVERIFY(!Settings().TimeShort);
    QVERIFY(Settings().Compact);
    QCOMPARE(SetBox->ComboBox1->currentText(), QStringLiteral("+01:00"));
  }

  void enterPressesOkKeepingTheTypedTextAndEscDoesNothing() {
    QString afterEnter;
    bool openAfterEsc = false;
    WhileModal([] { Form1->Nastaveniegenertora1Click(); },
               [&](QDialog* dialog) {
                 QTest::keyClick(dialog, Qt::Key_Escape);
                 openAfterEsc = dialog->isVisible();
                 Type(SetBox->ComboBox2, QStringLiteral("Daily"));
                 QTest::keyClick(SetBox->ComboBox2->lineEdit(), Qt::Key_Return);
                 afterEnter = SetBox->ComboBox2->currentText();
               });
    QVERIFY(openAfterEsc);
    QVERIFY(!SetBox->isVisible());
    QCOMPARE(afterEnter, QStringLiteral("Daily"));
    QCOMPARE(Settings().RootChangefreq.Text(), std::string("Daily"));
    QCOMPARE(SetBox->ComboBox2->count(), 8);
    bool closedByEnterInTextBox = false;
    WhileModal([] { Form1->Nastaveniegenertora1Click(); },
               [&](QDialog* dialog) {
                 SetBox->Edit1->setFocus();
                 QTest::keyClick(SetBox->Edit1, Qt::Key_Return);
                 closedByEnterInTextBox = !dialog->isVisible();
               });
    QVERIFY(closedByEnterInTextBox);
  }

  void projectValuesShowInTheControlsAtOnce() {
    test::TTempDir dir;
    dir.WriteFile("p.prj",
                  "[Project]\r\nFileMask=*.php\r\nSetChangefreq1=12\r\nSetPriority2=9\r\n"
                  "SetTimeShort=0\r\nTagIndent=1\r\n");
    Environment->ChosenFile = QString::fromStdString(dir / "p.prj");
    Form1->Otvoriprojekt1->trigger();
    QCOMPARE(SetBox->Edit1->text(), QStringLiteral("*.php"));
    QCOMPARE(SetBox->ComboBox2->currentText(), QString());
    QCOMPARE(SetBox->ComboBox2->currentIndex(), -1);
    QCOMPARE(SetBox->ComboBox5->currentText(), QStringLiteral("0.8"));
    QVERIFY(SetBox->RadioButton2->isChecked());
    QVERIFY(SetBox->CheckBox1->isChecked());
    Form1->Novprojekt1->trigger();
    QCOMPARE(SetBox->ComboBox2->currentText(), QStringLiteral("daily"));
    QVERIFY(SetBox->RadioButton1->isChecked());
    QVERIFY(SetBox->CheckBox1->isChecked());
  }

  void typedZoneReachesTheLongLastmod() {
    test::TTempDir site;
    site.WriteFile("a.htm");
    Type(SetBox->ComboBox1, QStringLiteral("+05:30"));
    SetBox->RadioButton2->click();
    Form1->BrowseEdit1->setText(QString::fromStdString(site.Path()));
    Form1->Button1->click();
    Form1->Oznaivetko1->trigger();
    Form1->Button2->click();
    const std::string written = test::ReadFile(site / "sitemap.xml");
    QVERIFY2(written.find("+05:30</lastmod>") != std::string::npos, written.c_str());
  }

  void dialogOpensCentredThenWhereItWasLeft() {
    QPoint first;
    WhileModal([] { Form1->Nastaveniegenertora1Click(); },
               [&](QDialog* dialog) {
                 first = dialog->frameGeometry().center();
                 dialog->move(dialog->pos() + QPoint(30, 20));
               });
    QCOMPARE(first, QGuiApplication::primaryScreen()->geometry().center());
    QPoint second;
    WhileModal([] { Form1->Nastaveniegenertora1Click(); },
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
    WhileModal([] { Form1->Nastaveniegenertora1Click(); },
               [&](QDialog* dialog) { settings = visited(dialog, SetBox->Edit1, 10); });
    QCOMPARE(settings,
             (QList<QWidget*>{SetBox->Edit1, SetBox->Edit2, SetBox->ComboBox2, SetBox->ComboBox3,
                              SetBox->ComboBox4, SetBox->ComboBox5, SetBox->RadioButton1,
                              SetBox->ComboBox1, SetBox->CheckBox1, SetBox->OKBtn}));
    Form1->Pages().Add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    Form1->Model().Flush();
    Form1->ListView1->setCurrentIndex(Form1->ListView1->model()->index(0, 0));
    WhileModal([] { Form1->ListView1DblClick(); },
               [&](QDialog* dialog) { edit = visited(dialog, EditBox->DateTimePicker1, 7); });
    QCOMPARE(edit, (QList<QWidget*>{EditBox->DateTimePicker1, EditBox->DateTimePicker2,
                                    EditBox->ComboBox1, EditBox->ComboBox2, EditBox->OKBtn,
                                    EditBox->CancelBtn, EditBox->Edit1}));
  }

  // The page edit dialog.

  void editRoundTripRewritesTheTimeInTheLongForm() {
    Form1->Pages().Add("http://s/a.htm", "5.3.2006", "09:05:06", "None", "0.55");
    Form1->Model().Flush();
    Form1->ListView1->setCurrentIndex(Form1->ListView1->model()->index(0, 0));
    QString tooltip, dateFormat;
    WhileModal([] { Form1->ListView1DblClick(); },
               [&](QDialog*) {
                 tooltip = EditBox->Edit1->toolTip();
                 dateFormat = EditBox->DateTimePicker1->displayFormat();
                 EditBox->OKBtn->click();
               });
    QCOMPARE(tooltip, QStringLiteral("http://s/a.htm"));
    QCOMPARE(dateFormat, QStringLiteral("d.M.yyyy"));
    QCOMPARE(Form1->Pages().Item(0),
             (TPageEntry{"http://s/a.htm", "5.3.2006", "9:05:06", "None", "0.55", false}));
  }

  void editWritesWhatWasTyped() {
    Form1->Pages().Add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    Form1->Pages().SetIncluded(0, true);
    Form1->ListView1->setCurrentIndex(Form1->ListView1->model()->index(0, 0));
    WhileModal([] { QTest::keyClick(Form1, Qt::Key_E, Qt::ControlModifier); },
               [&](QDialog* dialog) {
                 EditBox->DateTimePicker1->setDate(QDate(2007, 1, 2));
                 EditBox->DateTimePicker2->setTime(QTime(23, 4, 5));
                 Type(EditBox->ComboBox1, QStringLiteral("None"));
                 Type(EditBox->ComboBox2, QStringLiteral("0.55"));
                 QTest::keyClick(dialog, Qt::Key_Return);
               });
    QCOMPARE(Form1->Pages().Item(0),
             (TPageEntry{"http://s/", "2.1.2007", "23:04:05", "None", "0.55", true}));
    QCOMPARE(Form1->ListView1->model()->index(0, 3).data().toString(), QStringLiteral("None"));
  }

  void escStornoAndCloseChangeNothing() {
    Form1->Pages().Add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    Form1->Model().Flush();
    Form1->ListView1->setCurrentIndex(Form1->ListView1->model()->index(0, 0));
    const TPageEntry before = Form1->Pages().Item(0);
    const std::vector<std::function<void(QDialog*)>> closers = {
        [](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); },
        [](QDialog*) { EditBox->CancelBtn->click(); }, [](QDialog* dialog) { dialog->close(); }};
    int opened = 0;
    for (const auto& close : closers) {
      WhileModal([] { Form1->ListView1DblClick(); },
                 [&](QDialog* dialog) {
                   ++opened;
                   EditBox->DateTimePicker1->setDate(QDate(2001, 1, 1));
                   Type(EditBox->ComboBox1, QStringLiteral("never"));
                   close(dialog);
                 });
      QCOMPARE(Form1->Pages().Item(0), before);
    }
    QCOMPARE(opened, 3);
  }

  void rowWhoseTextsDoNotReadBackIsNotEdited() {
    Form1->Pages().Add("http://s/", "2006-03-05", "9:05:06", "daily", "0.5");
    Form1->Model().Flush();
    Form1->ListView1->setCurrentIndex(Form1->ListView1->model()->index(0, 0));
    QVERIFY(Form1->SelectedRow());
    Form1->ListView1DblClick();
    QCOMPARE(Environment->Messages, QStringList{QStringLiteral("Nie je vybraná stránka.")});
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
    DestroyWindows();
    Environment->App.Context().Version = TProductVersion{major, minor, release, build};
    CreateWindows(Environment->App);
    QCOMPARE(AboutBox->Version->text(), line);
    Environment->App.Context().Version = TProductVersion{1, 2, 3, 4};
  }

  void linksOpenOnTheDesktopAndTheBoxStaysOpen() {
    QCOMPARE(AboutBox->ProductName->text(), QStringLiteral("Quorvex"));
    QCOMPARE(AboutBox->Label6->text(), QStringLiteral("Freeware"));
    QCOMPARE(AboutBox->Label4->toolTip(), QStringLiteral("mailto:") + kMakerMail);
    QCOMPARE(AboutBox->Label5->toolTip(), kMakerWeb);
    QCOMPARE(AboutBox->Label4->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(AboutBox->Label5->cursor().shape(), Qt::PointingHandCursor);
    bool openAfterClicks = false;
    WhileModal([] { Form1->OprogrameClick(); },
               [&](QDialog* dialog) {
                 QTest::mouseClick(AboutBox->Label4, Qt::LeftButton);
                 QTest::mouseClick(AboutBox->Label4, Qt::LeftButton);
                 QTest::mouseClick(AboutBox->Label5, Qt::LeftButton);
                 QTest::keyClick(dialog, Qt::Key_Escape);
                 openAfterClicks = dialog->isVisible();
               });
    QVERIFY(openAfterClicks);
    QCOMPARE(Environment->OpenedUrls,
             (QStringList{QStringLiteral("mailto:") + kMakerMail,
                          QStringLiteral("mailto:") + kMakerMail, kMakerWeb}));
  }
};

QORV_UI_TEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
