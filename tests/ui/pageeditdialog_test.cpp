// The page edit dialog on its own: it shows a row of a page list, writes
// what was edited back on OK, and changes nothing otherwise.

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <functional>
#include <memory>
#include <vector>

#include "core/pagelist.h"
#include "tests/ui/uitestsupport.h"
#include "ui/pageeditdialog.h"
#include "ui/vocabularybox.h"

using namespace qorv;
using test::typeKeys;
using test::whileModal;

class PageEditDialogTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<PageEditDialog> m_dialog;
  PageList m_pages;
  LocaleFormats m_formats = test::dayFirstFormats();

  template <class Part>
  Part* part(const char* name) const {
    return test::part<Part>(m_dialog.get(), name);
  }

  /// Opens the dialog on the first row and runs `body` while it is up.
  bool editFirstRow(const std::function<void(QDialog*)>& body) {
    bool edited = false;
    whileModal([&] { edited = m_dialog->editRow(m_pages, 0, m_formats); }, body);
    return edited;
  }

 private slots:
  void init() {
    m_pages.clear();
    m_dialog = std::make_unique<PageEditDialog>(nullptr);
  }

  void cleanup() { m_dialog.reset(); }

  void editRoundTripRewritesTheTimeInTheLongForm() {
    m_pages.add("http://s/a.htm", "5.3.2006", "09:05:06", "None", "0.55");
    QString tooltip, dateFormat;
    QVERIFY(editFirstRow([&](QDialog*) {
      tooltip = part<QLineEdit>("m_urlEdit")->toolTip();
      dateFormat = part<QDateEdit>("m_dateEdit")->displayFormat();
      part<QPushButton>("m_okButton")->click();
    }));
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Editácia"));
    QCOMPARE(tooltip, QStringLiteral("http://s/a.htm"));
    QCOMPARE(dateFormat, QStringLiteral("d.M.yyyy"));
    QCOMPARE(m_pages.at(0),
             (PageEntry{"http://s/a.htm", "5.3.2006", "9:05:06", "None", "0.55", false}));
  }

  void editWritesWhatWasTyped() {
    m_pages.add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    m_pages.setIncluded(0, true);
    QVERIFY(editFirstRow([&](QDialog* shown) {
      part<QDateEdit>("m_dateEdit")->setDate(QDate(2007, 1, 2));
      part<QTimeEdit>("m_timeEdit")->setTime(QTime(23, 4, 5));
      typeKeys(part<VocabularyBox>("m_changefreqBox"), QStringLiteral("None"));
      typeKeys(part<VocabularyBox>("m_priorityBox"), QStringLiteral("0.55"));
      QTest::keyClick(shown, Qt::Key_Return);
    }));
    QCOMPARE(m_pages.at(0), (PageEntry{"http://s/", "2.1.2007", "23:04:05", "None", "0.55", true}));
  }

  void escStornoAndCloseChangeNothing() {
    m_pages.add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    const PageEntry before = m_pages.at(0);
    const std::vector<std::function<void(QDialog*)>> closers = {
        [](QDialog* shown) { QTest::keyClick(shown, Qt::Key_Escape); },
        [this](QDialog*) { part<QPushButton>("m_cancelButton")->click(); },
        [](QDialog* shown) { shown->close(); }};
    int opened = 0;
    for (const auto& close : closers) {
      QVERIFY(editFirstRow([&](QDialog* shown) {
        ++opened;
        part<QDateEdit>("m_dateEdit")->setDate(QDate(2001, 1, 1));
        typeKeys(part<VocabularyBox>("m_changefreqBox"), QStringLiteral("never"));
        close(shown);
      }));
      QCOMPARE(m_pages.at(0), before);
    }
    QCOMPARE(opened, 3);
  }

  // What the boxes complete is the box's own (vocabularybox_test); here,
  // that what a removal leaves in each box is what the row gets.
  void removalInEitherBoxIsWhatTheRowGets_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::newRow("changefreq, Backspace") << "m_changefreqBox"
                                           << "dai⌫"
                                           << "dai";
    QTest::newRow("priority, Delete") << "m_priorityBox"
                                      << "1⌦"
                                      << "1";
  }

  void removalInEitherBoxIsWhatTheRowGets() {
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    m_pages.add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    QVERIFY(editFirstRow([&](QDialog* dialog) {
      test::pressKeysInto(part<VocabularyBox>(qPrintable(box)), keys);
      QTest::keyClick(dialog, Qt::Key_Return);
    }));
    const PageEntry& row = m_pages.at(0);
    QCOMPARE(QString::fromStdString(box == QStringLiteral("m_changefreqBox") ? row.changefreq
                                                                             : row.priority),
             text);
  }

  void eachOpeningStartsOnTheDatePicker_data() {
    QTest::addColumn<QString>("focusedBefore");
    for (const char* name : {"m_timeEdit", "m_changefreqBox", "m_priorityBox", "m_okButton",
                             "m_cancelButton", "m_urlEdit"})
      QTest::newRow(name) << QString::fromLatin1(name);
  }

  void eachOpeningStartsOnTheDatePicker() {
    QFETCH(QString, focusedBefore);
    m_pages.add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    QWidget* first = nullptr;
    QVERIFY(editFirstRow([&](QDialog* shown) {
      QVERIFY(test::activate(shown));
      first = test::focusedControl();
      QVERIFY(test::focusInActiveWindow(part<QWidget>(qPrintable(focusedBefore))));
    }));
    QWidget* reopened = nullptr;
    QVERIFY(editFirstRow([&](QDialog* shown) {
      QVERIFY(test::activate(shown));
      reopened = test::focusedControl();
    }));
    QCOMPARE(first, part<QDateEdit>("m_dateEdit"));
    QCOMPARE(reopened, part<QDateEdit>("m_dateEdit"));
  }

  void rowThatDoesNotReadBackOrIsMissingIsNotEdited() {
    m_pages.add("http://s/", "2006-03-05", "9:05:06", "daily", "0.5");
    QVERIFY(!m_dialog->editRow(m_pages, 0, m_formats));
    QVERIFY(!m_dialog->editRow(m_pages, 1, m_formats));
    QVERIFY(!m_dialog->isVisible());
  }

  void tabVisitsTheControlsInTheirOrder() {
    m_pages.add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    QList<QWidget*> order;
    QVERIFY(editFirstRow(
        [&](QDialog* shown) { order = test::tabOrder(shown, part<QDateEdit>("m_dateEdit"), 7); }));
    QCOMPARE(order,
             (QList<QWidget*>{part<QDateEdit>("m_dateEdit"), part<QTimeEdit>("m_timeEdit"),
                              part<VocabularyBox>("m_changefreqBox"),
                              part<VocabularyBox>("m_priorityBox"), part<QPushButton>("m_okButton"),
                              part<QPushButton>("m_cancelButton"), part<QLineEdit>("m_urlEdit")}));
  }
};

QORV_UI_TEST_MAIN(PageEditDialogTest)
#include "pageeditdialog_test.moc"
