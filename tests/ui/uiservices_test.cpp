// The desktop's side of the windows: the plain message box, the folder
// chooser and the project file dialogs as the program shows them.

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <memory>

#include "tests/ui/uitestsupport.h"
#include "ui/uiservices.h"

using namespace qorv;
using test::whileModal;

namespace {

QString withoutTrailingSlash(const std::string& path) {
  QString folder = QString::fromStdString(path);
  if (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
  return folder;
}

}  // namespace

class UiServicesTest : public QObject {
  Q_OBJECT

 private:
  UiServices m_services = UiServices::desktop();

 private slots:
  void plainMessageBox_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("short") << QStringLiteral("Nie je vybraná stránka.");
    QTest::newRow("long") << QStringLiteral(
        "Tessaly vytvorená do súboru:\n/home/user/www/www.example.com/sitemap.xml\n\n"
        "Veľkosť súboru: 1234 B\n\nPočet Url: 12");
  }

  void plainMessageBox() {
    QFETCH(QString, text);
    QString title;
    QString shownText;
    QMessageBox::Icon icon = QMessageBox::Information;
    QStringList buttons;
    bool buttonIcons = true;
    QSize size;
    QSize minimum;
    QSize maximum;
    Qt::WindowFlags flags;
    whileModal([&] { m_services.showMessage(nullptr, text); },
               [&](QDialog* shown) {
                 auto* box = qobject_cast<QMessageBox*>(shown);
                 QVERIFY(box);
                 title = box->windowTitle();
                 shownText = box->text();
                 icon = box->icon();
                 buttonIcons = false;
                 for (QAbstractButton* button : box->buttons()) {
                   buttons << button->text();
                   buttonIcons |= !button->icon().isNull();
                 }
                 size = box->size();
                 minimum = box->minimumSize();
                 maximum = box->maximumSize();
                 flags = box->windowFlags();
               });
    QCOMPARE(title, QStringLiteral("Quorvex"));
    QCOMPARE(shownText, text);
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons, QStringList{QStringLiteral("OK")});
    QVERIFY(!buttonIcons);
    QVERIFY2(size.width() >= kMinimumMessageWidth, qPrintable(QString::number(size.width())));
    QCOMPARE(minimum, size);
    QCOMPARE(maximum, size);
    QVERIFY(!(flags & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
  }

  void folderChooserIsQtsOwnOpenedAtTheStartFolder() {
    test::TempDir start;
    start.makeDir("site");
    QString directory;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    bool dirsOnly = false;
    QString chosen = QStringLiteral("not cancelled");
    whileModal(
        [&] { chosen = m_services.chooseFolder(nullptr, QString::fromStdString(start.path())); },
        [&](QDialog* shown) {
          auto* dialog = qobject_cast<QFileDialog*>(shown);
          QVERIFY2(dialog, "Qt's own file dialog");
          directory = dialog->directory().absolutePath();
          mode = dialog->fileMode();
          dirsOnly = dialog->testOption(QFileDialog::ShowDirsOnly);
        });
    QCOMPARE(directory, withoutTrailingSlash(start.path()));
    QCOMPARE(mode, QFileDialog::Directory);
    QVERIFY(dirsOnly);
    QCOMPARE(chosen, QString());
  }

  void projectDialogsAreQtsOwnInTheGivenFolder_data() {
    QTest::addColumn<bool>("save");
    QTest::newRow("open") << false;
    QTest::newRow("save") << true;
  }

  void projectDialogsAreQtsOwnInTheGivenFolder() {
    QFETCH(bool, save);
    test::TempDir folder;
    folder.writeFile("site.prj");
    QString directory;
    QFileDialog::AcceptMode mode = save ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave;
    QString suffix;
    QStringList filters;
    QString chosen = QStringLiteral("not cancelled");
    const auto ask = save ? m_services.saveProjectName : m_services.openProjectName;
    whileModal([&] { chosen = ask(nullptr, QString::fromStdString(folder.path())); },
               [&](QDialog* shown) {
                 auto* dialog = qobject_cast<QFileDialog*>(shown);
                 QVERIFY2(dialog, "Qt's own file dialog");
                 directory = dialog->directory().absolutePath();
                 mode = dialog->acceptMode();
                 suffix = dialog->defaultSuffix();
                 filters = dialog->nameFilters();
               });
    QCOMPARE(directory, withoutTrailingSlash(folder.path()));
    QCOMPARE(mode, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    QCOMPARE(suffix, QStringLiteral("prj"));
    QCOMPARE(filters, QStringList{QStringLiteral("Project (*.prj)")});
    QCOMPARE(chosen, QString());
  }
};

QORV_UI_TEST_MAIN(UiServicesTest)
#include "uiservices_test.moc"
