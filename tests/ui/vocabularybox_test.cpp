// The vocabulary box on its own: what typing, Backspace and Delete leave in
// it, and the choice it reports, for each of the three vocabularies.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <map>
#include <memory>

#include "core/generatorsettings.h"
#include "tests/ui/uitestsupport.h"
#include "ui/vocabularybox.h"

using namespace qorv;
using test::typeKeys;

class VocabularyBoxTest : public QObject {
  Q_OBJECT

 private:
  struct Reported {
    QString text;
    int index = -2;
    int count = 0;
  };

  std::unique_ptr<QDialog> m_dialog;
  QPushButton* m_okButton = nullptr;
  std::map<QString, VocabularyBox*> m_boxes;
  Reported m_reported;

  VocabularyBox* box(const QString& vocabulary) const { return m_boxes.at(vocabulary); }

 private slots:
  void init() {
    // In a dialog with a default button, as every box of the program is.
    m_dialog = std::make_unique<QDialog>();
    auto* layout = new QVBoxLayout(m_dialog.get());
    const std::pair<const char*, Vocabulary> vocabularies[] = {
        {"changefreq", kChangefreqVocabulary},
        {"priority", kPriorityVocabulary},
        {"zone", kTimeZoneList}};
    m_boxes.clear();
    for (const auto& [name, vocabulary] : vocabularies) {
      auto* added = new VocabularyBox(vocabulary, m_dialog.get());
      layout->addWidget(added);
      connect(added, &VocabularyBox::choiceChanged, this, [this](const QString& text, int index) {
        m_reported = {text, index, m_reported.count + 1};
      });
      m_boxes[QString::fromLatin1(name)] = added;
    }
    m_okButton = new QPushButton(QStringLiteral("OK"), m_dialog.get());
    m_okButton->setDefault(true);
    layout->addWidget(m_okButton);
    m_reported = {};
  }

  void cleanup() { m_dialog.reset(); }

  void typingCompletesAgainstTheList_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::newRow("d") << "changefreq"
                       << "d"
                       << "daily" << 3;
    QTest::newRow("capital D keeps its case") << "changefreq"
                                              << "D"
                                              << "Daily" << 3;
    QTest::newRow("no match") << "changefreq"
                              << "dx"
                              << "dx" << -1;
    QTest::newRow("whole entry typed") << "changefreq"
                                       << "weekly"
                                       << "weekly" << 4;
    QTest::newRow("typed past every entry") << "priority"
                                            << "0.55"
                                            << "0.55" << -1;
    QTest::newRow("priority") << "priority"
                              << "0.7"
                              << "0.7" << 8;
    QTest::newRow("half-hour zone") << "zone"
                                    << "+05:30"
                                    << "+05:30" << -1;
    QTest::newRow("first entry that begins so") << "zone"
                                                << "-0"
                                                << "-09:00" << 3;
    QTest::newRow("zone") << "zone"
                          << "-01"
                          << "-01:00" << 11;
  }

  void typingCompletesAgainstTheList() {
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, index);
    VocabularyBox* combo = this->box(box);
    const int entries = combo->count();
    typeKeys(combo, keys);
    QCOMPARE(combo->currentText(), text);
    QCOMPARE(m_reported.text, text);
    QCOMPARE(m_reported.index, index);
    QCOMPARE(combo->count(), entries);
  }

  void completedRestIsHighlightedAndReplacedByTheNextKey() {
    VocabularyBox* changefreq = box(QStringLiteral("changefreq"));
    typeKeys(changefreq, QStringLiteral("m"));
    QCOMPARE(changefreq->lineEdit()->selectedText(), QStringLiteral("onthly"));
    QTest::keyClick(changefreq->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(changefreq->currentText(), QStringLiteral("m"));
    QCOMPARE(m_reported.index, -1);
    QCOMPARE(m_reported.text, QStringLiteral("m"));
  }

  void backspaceAndDeleteNeverComplete_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("highlighted");
    const QString changefreq = QStringLiteral("changefreq");
    const QString priority = QStringLiteral("priority");
    const QString zone = QStringLiteral("zone");
    QTest::newRow("typed d completes") << changefreq << "d"
                                       << "daily" << 3 << "aily";
    QTest::newRow("Backspace removes the completed rest") << changefreq << "dai⌫"
                                                          << "dai" << -1 << "";
    QTest::newRow("Backspace removes one character") << changefreq << "wx⌫"
                                                     << "w" << -1 << "";
    QTest::newRow("and again") << changefreq << "week⌫⌫"
                               << "wee" << -1 << "";
    QTest::newRow("what remains is an entry") << changefreq << "nevers⌫"
                                              << "never" << -1 << "";
    QTest::newRow("typing after Backspace completes again") << changefreq << "dai⌫l"
                                                            << "daily" << 3 << "y";
    QTest::newRow("Backspace in the empty box") << changefreq << "⌫d"
                                                << "daily" << 3 << "aily";
    QTest::newRow("Backspace after a completed n") << changefreq << "n⌫"
                                                   << "n" << -1 << "";
    QTest::newRow("Delete removes the completed rest") << changefreq << "d⌦"
                                                       << "d" << -1 << "";
    QTest::newRow("Delete removes the character after the cursor") << changefreq << "weekly⇤⌦"
                                                                   << "eekly" << -1 << "";
    QTest::newRow("typing goes on where Delete left the cursor") << changefreq << "weekly⇤⌦x"
                                                                 << "xeekly" << -1 << "";
    QTest::newRow("priority, Backspace") << priority << "0.5⌫"
                                         << "0." << -1 << "";
    QTest::newRow("priority, Backspace after a completed 1") << priority << "1⌫"
                                                             << "1" << -1 << "";
    QTest::newRow("priority, Delete removes the completed rest") << priority << "1⌦"
                                                                 << "1" << -1 << "";
    QTest::newRow("zone") << zone << "+01⌫"
                          << "+01" << -1 << "";
    QTest::newRow("zone, Delete at the start") << zone << "-1⇤⌦"
                                               << "12:00" << -1 << "";
  }

  void backspaceAndDeleteNeverComplete() {
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(QString, highlighted);
    m_dialog->show();
    const test::BoxState shown = test::pressKeysInto(this->box(box), keys);
    QCOMPARE(shown.text, text);
    QCOMPARE(shown.index, index);
    QCOMPARE(shown.highlighted, highlighted);
    QCOMPARE(m_reported.text, text);
    QCOMPARE(m_reported.index, index);
  }

  void pickingAnEntryReportsTheChoice() {
    box(QStringLiteral("priority"))->setCurrentIndex(11);
    QCOMPARE(m_reported.index, 11);
    QCOMPARE(m_reported.text, QStringLiteral("1.0"));
  }

  void showingAChoiceReportsNoChange() {
    VocabularyBox* zone = box(QStringLiteral("zone"));
    zone->showChoice("+05:30", -1);
    QCOMPARE(zone->currentText(), QStringLiteral("+05:30"));
    QCOMPARE(zone->currentIndex(), -1);
    zone->showChoice("+01:00", 13);
    QCOMPARE(zone->currentIndex(), 13);
    QCOMPARE(m_reported.count, 0);
  }

  void enterPressesTheDefaultButtonKeepingTheTypedText() {
    int clicked = 0;
    connect(m_okButton, &QPushButton::clicked, this, [&] { ++clicked; });
    VocabularyBox* changefreq = box(QStringLiteral("changefreq"));
    typeKeys(changefreq, QStringLiteral("Daily"));
    QTest::keyClick(changefreq->lineEdit(), Qt::Key_Return);
    QCOMPARE(clicked, 1);
    QCOMPARE(changefreq->currentText(), QStringLiteral("Daily"));
    QCOMPARE(changefreq->count(), 8);
  }
};

QORV_UI_TEST_MAIN(VocabularyBoxTest)
#include "vocabularybox_test.moc"
