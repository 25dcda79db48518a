// The settings dialog: its controls are the live settings, and Enter and
// Esc behave as in the program.

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <memory>

#include "core/generatorsettings.h"
#include "tests/ui/uitestsupport.h"
#include "ui/settingsdialog.h"
#include "ui/vocabularybox.h"

using namespace qorv;
using test::typeKeys;
using test::whileModal;

class SettingsDialogTest : public QObject {
  Q_OBJECT

 private:
  GeneratorSettings m_settings;
  std::unique_ptr<SettingsDialog> m_dialog;

  template <class Part>
  Part* part(const char* name) const {
    return test::part<Part>(m_dialog.get(), name);
  }
  VocabularyBox* box(const char* name) const { return part<VocabularyBox>(name); }
  const VocabularyChoice& choiceOf(const QString& boxName) const {
    if (boxName == QStringLiteral("m_rootChangefreqBox")) return m_settings.rootChangefreq;
    if (boxName == QStringLiteral("m_rootPriorityBox")) return m_settings.rootPriority;
    if (boxName == QStringLiteral("m_otherChangefreqBox")) return m_settings.otherChangefreq;
    if (boxName == QStringLiteral("m_otherPriorityBox")) return m_settings.otherPriority;
    return m_settings.timeZone;
  }

 private slots:
  void init() {
    m_settings = GeneratorSettings{};
    m_dialog = std::make_unique<SettingsDialog>(m_settings, nullptr);
  }

  void cleanup() { m_dialog.reset(); }

  void startsWithTheDefaults() {
    QCOMPARE(m_dialog->size(), QSize(622, 392));
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Nastavenie"));
    QCOMPARE(part<QLineEdit>("m_fileMaskEdit")->text(), QStringLiteral("*.htm;*.html"));
    QCOMPARE(part<QLineEdit>("m_indexFileEdit")->text(), QStringLiteral("index.htm"));
    QCOMPARE(box("m_rootChangefreqBox")->currentText(), QStringLiteral("daily"));
    QCOMPARE(box("m_rootChangefreqBox")->currentIndex(), 3);
    QCOMPARE(box("m_rootPriorityBox")->currentText(), QStringLiteral("0.5"));
    QCOMPARE(box("m_otherChangefreqBox")->currentText(), QStringLiteral("none"));
    QCOMPARE(box("m_otherPriorityBox")->currentText(), QStringLiteral("none"));
    QCOMPARE(box("m_timeZoneBox")->currentText(), QStringLiteral("+01:00"));
    QCOMPARE(box("m_timeZoneBox")->count(), 26);
    QCOMPARE(box("m_timeZoneBox")->itemText(25), QStringLiteral("automaticky"));
    QVERIFY2(box("m_timeZoneBox")->sizeHint().width() <= box("m_timeZoneBox")->width(),
             "every entry shows in full in the closed box");
    QCOMPARE(box("m_rootPriorityBox")->count(), 12);
    QVERIFY(part<QRadioButton>("m_shortLastmodRadio")->isChecked());
    QVERIFY(!part<QCheckBox>("m_compactCheckBox")->isChecked());
    QCOMPARE(part<QLabel>("m_longLastmodExample")->text(),
             QStringLiteral("(2005-12-31T12:00:00+00:00)"));
    QCOMPARE(part<QCheckBox>("m_compactCheckBox")->text(),
             QStringLiteral("Generovať úsporne (neodsadzovať tagy)"));
    QVERIFY(part<QPushButton>("m_okButton")->isDefault());
  }

  // What the boxes complete is the box's own (vocabularybox_test); here,
  // that each box is wired to its setting, for typed and removed text alike.
  void eachBoxIsItsSetting_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::newRow("root changefreq") << "m_rootChangefreqBox"
                                     << "d"
                                     << "daily" << 3;
    QTest::newRow("root priority") << "m_rootPriorityBox"
                                   << "0.5⌫"
                                   << "0." << -1;
    QTest::newRow("other changefreq") << "m_otherChangefreqBox"
                                      << "m⌫"
                                      << "m" << -1;
    QTest::newRow("other priority") << "m_otherPriorityBox"
                                    << "0.7"
                                    << "0.7" << 8;
    QTest::newRow("zone") << "m_timeZoneBox"
                          << "-01"
                          << "-01:00" << 11;
  }

  void eachBoxIsItsSetting() {
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, index);
    whileModal([this] { m_dialog->exec(); },
               [&](QDialog*) { test::pressKeysInto(this->box(qPrintable(box)), keys); });
    QCOMPARE(QString::fromStdString(choiceOf(box).text()), text);
    QCOMPARE(choiceOf(box).index(), index);
  }

  void pickingAnEntrySetsTheChoice() {
    box("m_otherPriorityBox")->setCurrentIndex(11);
    QCOMPARE(m_settings.otherPriority.index(), 11);
    QCOMPARE(m_settings.otherPriority.text(), std::string("1.0"));
  }

  void otherControlsAreTheirSettings() {
    part<QLineEdit>("m_fileMaskEdit")->setText(QStringLiteral("*.php"));
    part<QLineEdit>("m_indexFileEdit")->clear();
    part<QRadioButton>("m_longLastmodRadio")->click();
    part<QCheckBox>("m_compactCheckBox")->click();
    QCOMPARE(m_settings.fileMask, std::string("*.php"));
    QCOMPARE(m_settings.indexFile, std::string());
    QVERIFY(!m_settings.dateOnlyLastmod);
    QVERIFY(m_settings.compact);
    QCOMPARE(box("m_timeZoneBox")->currentText(), QStringLiteral("+01:00"));
  }

  void settingsSetElsewhereShowWhenAsked() {
    m_settings.fileMask = "*.php";
    m_settings.rootChangefreq.setIndex(12);
    m_settings.otherPriority.setIndex(9);
    m_settings.dateOnlyLastmod = false;
    m_dialog->showSettings();
    QCOMPARE(part<QLineEdit>("m_fileMaskEdit")->text(), QStringLiteral("*.php"));
    QCOMPARE(box("m_rootChangefreqBox")->currentText(), QString());
    QCOMPARE(box("m_rootChangefreqBox")->currentIndex(), -1);
    QCOMPARE(box("m_otherPriorityBox")->currentText(), QStringLiteral("0.8"));
    QVERIFY(part<QRadioButton>("m_longLastmodRadio")->isChecked());
    // Showing is not changing: the settings stay as they were set.
    QCOMPARE(m_settings.rootChangefreq.index(), -1);
  }

  void enterPressesOkKeepingTheTypedTextAndEscDoesNothing() {
    QString afterEnter;
    bool openAfterEsc = false;
    VocabularyBox* root = box("m_rootChangefreqBox");
    whileModal([this] { m_dialog->exec(); },
               [&](QDialog* shown) {
                 QTest::keyClick(shown, Qt::Key_Escape);
                 openAfterEsc = shown->isVisible();
                 typeKeys(root, QStringLiteral("Daily"));
                 QTest::keyClick(root->lineEdit(), Qt::Key_Return);
                 afterEnter = root->currentText();
               });
    QVERIFY(openAfterEsc);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(afterEnter, QStringLiteral("Daily"));
    QCOMPARE(m_settings.rootChangefreq.text(), std::string("Daily"));
    QCOMPARE(root->count(), 8);
    bool closedByEnterInTextBox = false;
    QLineEdit* mask = part<QLineEdit>("m_fileMaskEdit");
    whileModal([this] { m_dialog->exec(); },
               [&](QDialog* shown) {
                 mask->setFocus();
                 QTest::keyClick(mask, Qt::Key_Return);
                 closedByEnterInTextBox = !shown->isVisible();
               });
    QVERIFY(closedByEnterInTextBox);
  }

  void opensCentredThenWhereItWasLeft() {
    QPoint first;
    whileModal([this] { m_dialog->exec(); },
               [&](QDialog* shown) {
                 first = shown->frameGeometry().center();
                 shown->move(shown->pos() + QPoint(30, 20));
               });
    QCOMPARE(first, QGuiApplication::primaryScreen()->geometry().center());
    QPoint second;
    whileModal([this] { m_dialog->exec(); },
               [&](QDialog* shown) { second = shown->frameGeometry().center(); });
    QCOMPARE(second, first + QPoint(30, 20));
  }

  void tabVisitsTheControlsInTheirOrder() {
    QList<QWidget*> order;
    whileModal([this] { m_dialog->exec(); },
               [&](QDialog* shown) {
                 order = test::tabOrder(shown, part<QLineEdit>("m_fileMaskEdit"), 10);
               });
    QCOMPARE(order, (QList<QWidget*>{
                        part<QLineEdit>("m_fileMaskEdit"), part<QLineEdit>("m_indexFileEdit"),
                        box("m_rootChangefreqBox"), box("m_rootPriorityBox"),
                        box("m_otherChangefreqBox"), box("m_otherPriorityBox"),
                        part<QRadioButton>("m_shortLastmodRadio"), box("m_timeZoneBox"),
                        part<QCheckBox>("m_compactCheckBox"), part<QPushButton>("m_okButton")}));
  }
};

QORV_UI_TEST_MAIN(SettingsDialogTest)
#include "settingsdialog_test.moc"
